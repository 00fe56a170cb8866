#include <QFile>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "support/FakePrompter.h"
#include "support/PdfText.h"
#include "ui/PdfLinePrinter.h"
#include "ui/SystemLinePrinter.h"

namespace {

bool printerInstalled() {
    return !QPrinterInfo::defaultPrinter().isNull() || !QPrinterInfo::availablePrinters().isEmpty();
}

}  // namespace

class LinePrinterTest : public QObject {
    Q_OBJECT

private slots:
    void aLongPrintoutKeepsEveryLineInOrderOverSeveralPages();
    void anUnwritableFileIsAFailure();
    void withoutAPrinterTheUserMaySaveAPdf_data();
    void withoutAPrinterTheUserMaySaveAPdf();

private:
    QTemporaryDir dir_;
};

void LinePrinterTest::aLongPrintoutKeepsEveryLineInOrderOverSeveralPages() {
    const QString pdf = dir_.filePath(QStringLiteral("long.pdf"));
    QStringList fields;
    for (int i = 0; i < 12; ++i) fields << QStringLiteral("Field%1").arg(i).repeated(5);
    const QString wide = fields.join(QLatin1Char(','));  // wider than a page, no spaces
    QStringList lines{QStringLiteral("RESULTS"), QStringLiteral(" "),
                      QStringLiteral("Ann,Lee\r\n======"), wide};
    for (int i = 1; i <= 150; ++i) lines << QStringLiteral("Line %1").arg(i);
    lines << QString();
    QCOMPARE(PdfLinePrinter(pdf).print(QStringLiteral("Long"), lines),
             LinePrinter::Result::Printed);

    const QStringList printed = PdfText::lines(pdf);
    QCOMPARE(printed.mid(0, 3), (QStringList{"RESULTS", "Ann,Lee", "======"}));
    QVERIFY2(printed.size() > 3 + 1 + 150, "the wide line should take several rows");
    QCOMPARE(printed.mid(3).join(QString()), wide + lines.mid(4, 150).join(QString()));
    QVERIFY(PdfText::pageCount(pdf) >= 3);
}

void LinePrinterTest::anUnwritableFileIsAFailure() {
    const QString pdf = dir_.filePath(QStringLiteral("no-such-folder/out.pdf"));
    QCOMPARE(PdfLinePrinter(pdf).print(QStringLiteral("Lost"), {QStringLiteral("x")}),
             LinePrinter::Result::Failed);
    QVERIFY(!QFile::exists(pdf));
}

void LinePrinterTest::withoutAPrinterTheUserMaySaveAPdf_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("result");
    const auto printed = static_cast<int>(LinePrinter::Result::Printed);
    const auto cancelled = static_cast<int>(LinePrinter::Result::Cancelled);
    QTest::newRow("saved") << true << "saved.pdf"
                           << "saved.pdf" << printed;
    QTest::newRow("suffix added") << true << "plain"
                                  << "plain.pdf" << printed;
    QTest::newRow("declined") << false << ""
                              << "" << cancelled;
    QTest::newRow("no file chosen") << true << ""
                                    << "" << cancelled;
}

void LinePrinterTest::withoutAPrinterTheUserMaySaveAPdf() {
    if (printerInstalled()) QSKIP("a printer is installed here");
    QFETCH(bool, save);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(int, result);
    QTemporaryDir folder;
    FakePrompter prompter;
    if (save) {
        prompter.answerYes().answerFile(chosen.isEmpty() ? QString() : folder.filePath(chosen));
    } else {
        prompter.answerNo();
    }

    SystemLinePrinter printer(prompter);
    QCOMPARE(static_cast<int>(printer.print(QStringLiteral("RANDOLA Results"),
                                            {QStringLiteral("first"), QStringLiteral("second")})),
             result);

    VERIFY_PROMPTS(prompter);
    const FakePrompter::Prompt question = prompter.prompts().first();
    QCOMPARE(question.text, QStringLiteral("There is no printer installed on this computer.\r\n"
                                           "Do you want to save the printout as a PDF file?"));
    QCOMPARE(question.title, QStringLiteral("NO PRINTER!"));
    QCOMPARE(question.icon, Prompter::Icon::Question);
    QCOMPARE(question.buttons, Prompter::Buttons::YesNo);
    if (written.isEmpty()) {
        QVERIFY(QDir(folder.path()).isEmpty());
    } else {
        QCOMPARE(PdfText::lines(folder.filePath(written)),
                 (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    }
}

QTEST_MAIN(LinePrinterTest)
#include "LinePrinterTest.moc"
