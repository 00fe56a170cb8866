#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "support/FakePrompter.h"
#include "support/PdfText.h"
#include "ui/PdfLinePrinter.h"
#include "ui/SystemLinePrinter.h"

class LinePrinterTest : public QObject {
    Q_OBJECT

private slots:
    void aLineWiderThanThePageIsWrappedNotCut() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("wide.pdf"));
        const QStringList lines{QStringLiteral("Field,").repeated(60), "end"};  // no spaces
        QVERIFY(PdfLinePrinter(pdf).print("Wide", lines) == LinePrinter::Result::Printed);
        const QStringList printed = PdfText::lines(pdf);
        QVERIFY2(printed.size() > lines.size(), "the wide line should take several rows");
        QCOMPARE(printed.join(QString()), lines.join(QString()));
    }

    // A long job is told at each page and may be stopped; a stopped PDF is no file.
    void aLongJobToldAtEachPageStopsWhenAsked() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
        for (const bool stop : {false, true}) {
            QList<qint64> told;
            LinePrinter::Job job{"Long", 300, [](qint64 i) { return QString::number(i); },
                                 [&](qint64 done, qint64 total) {
                                     told << done;
                                     return total == 300 && !(stop && told.size() == 3);
                                 },
                                 QPageSize(QPageSize::Letter)};
            const LinePrinter::Result result = PdfLinePrinter(pdf).print(job);
            QCOMPARE(result, stop ? LinePrinter::Result::Cancelled : LinePrinter::Result::Printed);
            QCOMPARE(QFile::exists(pdf), !stop);
            QCOMPARE(told.first(), 0);
            if (!stop) {
                QCOMPARE(told.last(), 300);
                QVERIFY(PdfText::pageCount(pdf) >= 3);
                QCOMPARE(told.size(), PdfText::pageCount(pdf) + 1);
                QStringList all;  // every line, in order, across the pages
                for (int i = 0; i < 300; ++i) all << QString::number(i);
                QCOMPARE(PdfText::lines(pdf), all);
            }
        }
    }

    void withoutAPrinterTheUserMaySaveAPdf() {
        if (!QPrinterInfo::defaultPrinter().isNull() ||
            !QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("a printer is installed here");
        // Save or not, the file chosen, and the file written.
        const std::tuple<bool, QString, QString> cases[] = {
            {true, "plain", "plain.pdf"}, {true, "", ""}, {false, "", ""}};
        for (const auto& [save, chosen, written] : cases) {
            QTemporaryDir folder;
            FakePrompter prompter;
            if (save)
                prompter.answerYes().answerFile(chosen.isEmpty() ? "" : folder.filePath(chosen));
            else
                prompter.answerNo();
            if (!written.isEmpty()) prompter.answerOk();  // told where the file went
            QVERIFY(SystemLinePrinter(prompter).print("Results", {"first", "second"}) ==
                    (written.isEmpty() ? LinePrinter::Result::Cancelled
                                       : LinePrinter::Result::Printed));
            VERIFY_PROMPTS(prompter);
            const FakePrompter::Prompt asked = prompter.prompts().first();
            QCOMPARE(
                asked.title + ' ' + asked.text,
                QStringLiteral("NO PRINTER! There is no printer installed on this computer.\r\n"
                               "Do you want to save the printout as a PDF file?"));
            QVERIFY(asked.icon == Prompter::Icon::Question &&
                    asked.buttons == Prompter::Buttons::YesNo);
            const QStringList files = QDir(folder.path()).entryList(QDir::Files);
            QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
            if (!files.isEmpty()) {
                QCOMPARE(PdfText::lines(folder.filePath(written)),
                         (QStringList{"first", "second"}));
                QCOMPARE(prompter.last().text, "The printout has been saved as\r\n" +
                                                   QDir::toNativeSeparators(folder.filePath(written)));
            }
        }
    }
};

QTEST_MAIN(LinePrinterTest)
#include "LinePrinterTest.moc"
