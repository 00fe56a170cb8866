#include <QAccessible>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "ui/QtPrompter.h"

// Drives the real boxes: a timer waits for the box to open, looks at it and
// answers it, as a person at the keyboard would.
class QtPrompterTest : public QObject {
    Q_OBJECT

    // Runs `act` on the box the next call opens, once it waits for an answer.
    void whenBoxOpens(std::function<void(QWidget*)> act) {
        QTimer::singleShot(0, this, [act] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY2(box, "no box opened");
            act(box);
        });
    }

    QtPrompter prompter{nullptr};

private slots:
    void questionsDefaultToNoWhenTheyWarnAndShowTheirText() {
        QString seenText, seenTitle, seenKind;
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        whenBoxOpens([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            seenText = box->text();
            seenTitle = box->windowTitle();
            seenIcon = box->icon();
            seenKind = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description);
            QTest::keyClick(box, Qt::Key_Return);  // the default button
        });
        const auto answer =
            prompter.message(QStringLiteral("Line one\r\nline two"), QStringLiteral("DELETE!"),
                             Prompter::Icon::Exclamation, Prompter::Buttons::YesNo);
        QCOMPARE(answer, Prompter::Answer::No);
        QCOMPARE(seenText, QStringLiteral("Line one\nline two"));
        QCOMPARE(seenTitle, QStringLiteral("DELETE!"));
        QCOMPARE(seenIcon, QMessageBox::Warning);
        QCOMPARE(seenKind, QStringLiteral("Warning"));  // for a screen reader

        // A plain question defaults to Yes; a box without a title shows the program's.
        whenBoxOpens([&](QWidget* w) {
            seenTitle = w->windowTitle();
            QTest::keyClick(w, Qt::Key_Return);
        });
        QCOMPARE(prompter.message(QStringLiteral("Go on?"), QString(), Prompter::Icon::Question,
                                  Prompter::Buttons::YesNo),
                 Prompter::Answer::Yes);
        QCOMPARE(seenTitle, QStringLiteral("RANDOLA 3.00"));
    }

    void inputBoxOffersItsDefaultAndTellsCancelFromAnswer() {
        QString offered;
        whenBoxOpens([&](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>();
            QVERIFY(edit);
            offered = edit->text();
            edit->setText(QStringLiteral("3"));
            QTest::keyClick(w, Qt::Key_Return);
        });
        QCOMPARE(prompter.input(QStringLiteral("How many?"), QStringLiteral("MULTI-SAVE"),
                                QStringLiteral("1")),
                 std::optional<QString>(QStringLiteral("3")));
        QCOMPARE(offered, QStringLiteral("1"));

        whenBoxOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(prompter.input(QStringLiteral("How many?"), QString(), QStringLiteral("1")),
                 std::optional<QString>());
    }
};

QTEST_MAIN(QtPrompterTest)
#include "QtPrompterTest.moc"
