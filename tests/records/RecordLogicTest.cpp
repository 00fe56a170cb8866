#include <gtest/gtest.h>

#include <QProcess>
#include <functional>

#include "PickDatabase.h"
#include "exchange/RecordExport.h"
#include "records/DrawPool.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "records/RecordChanges.h"
#include "records/Rfc3797.h"
#include "reports/PickCertificate.h"

namespace {

RandomPick::Outcome pick(const PickDatabase& db, qint32 n, RandomSource& random) {
    return RandomPick::run({db.handle, db.historyPath(), n, "07-04-2004", "14:05:09"}, random);
}

// A public draw from the key of `sources`, from the pool published with `published`.
RandomPick::Outcome draw(const PickDatabase& db, qint32 n, const QString& sources,
                         const QByteArray& published = {}) {
    return RandomPick::run({db.handle, db.historyPath(), n, "07-04-2004", "14:05:09"},
                           {Rfc3797::FromTyped(sources).text, sources, published});
}

// The certificates of the pick made at the stamp every pick here is given.
std::vector<PickCertificate::Certificate> certificates(const PickDatabase& db) {
    PickCertificate::Reading read =
        PickCertificate::Read(db.historyPath(), db.name, "07-04-2004", "14:05:09");
    EXPECT_TRUE(read.outcome.written()) << read.outcome.reason.toStdString();
    if (read.certificates.size() != 1) throw std::runtime_error("not one certificate");
    return std::move(read.certificates);
}

QString line(const char* first, const char* second = "") {
    return QStringLiteral("%1,%2,,,,,,,,,,\r\n======").arg(first, second);
}

// The selections of a certificate as rfc3797_draw.py prints them.
QStringList selectionLines(const PickCertificate::Certificate& c) {
    QStringList out;
    for (const PickCertificate::Selection& s : c.selections) {
        out << QStringLiteral("%1 %2 %3 %4 %5 %6")
                   .arg(s.index)
                   .arg(QString::fromLatin1(s.md5.toHex().toUpper()))
                   .arg(s.left)
                   .arg(s.position)
                   .arg(s.number)
                   .arg(s.repeats < 0 ? QStringLiteral("picked")
                                      : QStringLiteral("aside %1").arg(s.repeats));
    }
    return out;
}

}  // namespace

TEST(Rfc3797, KeyStringsFromTypedSourcesAndTheRfcExample) {
    const Rfc3797::Key example = Rfc3797::FromTyped("9319\n2 5 12 8 10\n9 18 26 34 41 45\n");
    EXPECT_EQ(example.text, "9319./2.5.8.10.12./9.18.26.34.41.45./");
    EXPECT_EQ(example.sources, 3);
    EXPECT_EQ(Rfc3797::Md5(0, example.text).toHex().toUpper(), "990DD0A5692A029A98B5E01AA28F3459");
    // The counter is two bytes wide.
    EXPECT_EQ(Rfc3797::Md5(65536 + 7, example.text), Rfc3797::Md5(7, example.text));
    const std::tuple<const char*, const char*, const char*> typed[] = {
        {" 007\t0 \r\n\n100 99 99\n", "0.7./99.99.100./", ""},
        {"123456789012345678901234567890 9", "9.123456789012345678901234567890./", ""},
        {"12\n3 -4", "", "Line 2 of the sources holds \"-4\", which is not a whole number."},
    };
    for (const auto& [text, key, problem] : typed) {
        const Rfc3797::Key made = Rfc3797::FromTyped(text);
        EXPECT_EQ(made.text, QByteArray(key)) << text;
        EXPECT_EQ(made.problem, QString(problem)) << text;
    }
    // An ordinary pick's number: any of 256 bits, in decimal.
    unsigned char bytes[32];
    std::fill(std::begin(bytes), std::end(bytes), 0xFF);
    EXPECT_EQ(SystemRandomSource::decimal(bytes),
              "115792089237316195423570985008687907853269984665640564039457584007913129639935");
    std::fill(std::begin(bytes), std::end(bytes), 0);
    bytes[31] = 7;
    EXPECT_EQ(SystemRandomSource::decimal(bytes), "7");
    EXPECT_NE(SystemRandomSource().number(), SystemRandomSource().number());
}

// Picks are told apart in the history by their stamp: a later pick in the
// same second must not share it, nor may one made while the clock stepped back.
TEST(PickStamp, StaysAfterThePreviousPick) {
    const QDateTime noon(QDate(2026, 12, 6), QTime(12, 0, 0));
    struct Case {
        QDateTime now;
        QString lastDate, lastTime, date, time;
    };
    const Case cases[] = {
        {noon, "", "", "12-06-2026", "12:00:00"},                    // first pick of the run
        {noon, "12-06-2026", "12:00:00", "12-06-2026", "12:00:01"},  // same second
        {noon.addMSecs(700), "12-06-2026", "12:00:00", "12-06-2026", "12:00:01"},  // later in it
        {noon, "12-06-2026", "12:00:01", "12-06-2026", "12:00:02"},  // a third in that second
        {noon.addSecs(43199), "12-06-2026", "23:59:59", "12-07-2026", "00:00:00"},
    };
    for (const Case& c : cases) {
        const RandomPick::Stamp stamp = RandomPick::stampFor(c.now, c.lastDate, c.lastTime);
        EXPECT_EQ(stamp.date, c.date) << qPrintable(c.lastTime);
        EXPECT_EQ(stamp.time, c.time) << qPrintable(c.lastTime);
    }
}

// Python's hashlib, from the method as published, draws from the listing
// the program publishes exactly the selections the program's certificate gives.
TEST(RandomPick, EverySelectionAgreesWithAnIndependentComputation) {
    PickDatabase db;
    db.addNamed("QWERTYUIOPASDFGHJKLZXCVBNM", "XYZ");
    const DataRecord ann = PickDatabase::entry({"Ann", "Lee"});
    db.add({ann, ann, ann, ann, PickDatabase::entry({}), PickDatabase::entry({})});
    const QString sources = "9319\n2 5 12 8 10\n9 18 26 34 41 45";
    const RandomPick::Outcome out = draw(db, 12, sources);
    ASSERT_EQ(out.status, RandomPick::Status::Picked);
    const auto read = certificates(db);
    const DrawReceipt& receipt = read[0].receipt;
    EXPECT_EQ(receipt.poolSize, 29);

    const QString listing = db.folder.file("pool.txt");
    const auto exported = RecordExport::ExportPool(listing, RecordExport::PoolFormat::Listing,
                                                   db.handle, *DrawPool::Read(db.handle).pool, {});
    ASSERT_EQ(exported.status, RecordExport::Status::Written);
    EXPECT_TRUE(
        db.folder.readAll("pool.txt").startsWith("1\t\t\n2\t\t\n3\tA\tTeam A\n4\tAnn\tLee\n"));
    QProcess python;
    python.start("/usr/bin/python3", {RANDOLA_TEST_SUPPORT_DIR "/rfc3797_draw.py", listing,
                                      QString::fromLatin1(receipt.key), "12"});
    ASSERT_TRUE(python.waitForFinished(20000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QStringList computed =
        QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(computed, QStringList{receipt.sha256.toHex().toUpper()} + selectionLines(read[0]));
    EXPECT_TRUE(computed.join('\n').contains("aside")) << "no repeat was set aside";
    // The records the pick drew are the entries the computation picked.
    const QStringList entries = QString::fromUtf8(db.folder.readAll("pool.txt")).split('\n');
    QStringList picked;
    for (const QString& selection : computed) {
        if (!selection.endsWith("picked")) continue;
        const QString entry = entries[selection.section(' ', 4, 4).toInt() - 1];
        picked << line(qPrintable(entry.section('\t', 1, 1)),
                       qPrintable(entry.section('\t', 2, 2)));
    }
    EXPECT_EQ(picked, out.lines);
}

// The pick's receipt draws again the same records in the same order, and the
// records still hold what the pool's SHA-256 says.
TEST(RandomPick, AReceiptReplaysToTheSameRecordsInTheSameOrder) {
    PickDatabase db;
    db.addNamed("TSRQPONMLKJIHGFEDCBA", "EF");  // added in the reverse of key order
    FixedRandomSource random("98765432109876543210");
    const RandomPick::Outcome out = pick(db, 6, random);
    ASSERT_EQ(out.status, RandomPick::Status::Picked);
    const auto read = certificates(db);
    const DrawReceipt& receipt = read[0].receipt;
    EXPECT_EQ(receipt.method + ' ' + receipt.sources + ' ' + receipt.key,
              "RFC 3797 98765432109876543210 98765432109876543210./");
    EXPECT_EQ(receipt.pool, DrawPool::Read(db.handle).pool->ids);
    QStringList replayed;
    for (const PickCertificate::Selection& s : read[0].selections)
        replayed << s.fields.join(',') + ",,,,,,,,,,\r\n======";
    EXPECT_EQ(replayed, out.lines);
    EXPECT_TRUE(PickCertificate::Verify(read, db.handle).reproduced);
    // Each record of the pool edited or deleted since is named by its number.
    trm_GetEqual(db.handle, 1, "C");
    trm_Update(db.handle, RecordToString(PickDatabase::entry({"C", "Team X"})));
    trm_GetEqual(db.handle, 1, "G");  // number 5: E and F are omitted
    trm_Delete(db.handle);
    const PickCertificate::Verdict changed = PickCertificate::Verify(certificates(db), db.handle);
    EXPECT_FALSE(changed.reproduced);
    EXPECT_EQ(changed.text,
              "The pick of 07-04-2004 at 14:05:09 cannot be reproduced from the records now in "
              "the file: its pool has changed since.\r\nChanged: number 3 of the pool, now C, "
              "Team X.\r\nNo longer in the file: number 5 of the pool.");
}

// Whatever changes what the pool lists refuses the draw; stamps and notes do not.
TEST(RandomPick, APoolChangedSincePublicationIsNotDrawnFrom) {
    using Change = std::function<void(PickDatabase&)>;
    const auto update = [](PickDatabase& db, qint64 n, const QByteArray& name,
                           const QByteArray& omit) {
        trm_GetNth(db.handle, n);
        trm_Update(db.handle, RecordToString(PickDatabase::entry({name, "Team " + name}, omit)));
    };
    const std::tuple<const char*, Change, bool> changes[] = {
        {"a field edited", [&](PickDatabase& db) { update(db, 2, "b", "F"); }, false},
        {"a record omitted", [&](PickDatabase& db) { update(db, 2, "B", "T"); }, false},
        {"a record added", [](PickDatabase& db) { db.addNamed("E"); }, false},
        {"edited through another connection",
         [](PickDatabase& db) {
             const int other = trm_Open(db.folder.folder().dataFile(db.name), 0);
             trm_GetFirst(other, 1);
             trm_Update(other, RecordToString(PickDatabase::entry({"A", "Team Z"})));
             trm_Close(other);
         },
         false},
        {"picked, and notes changed",
         [](PickDatabase& db) {
             FixedRandomSource random("5");
             pick(db, 2, random);
             DataRecord noted = RecordFromString<DataRecord>(trm_GetNth(db.handle, 3));
             noted.Notes = "a note";
             trm_Update(db.handle, RecordToString(noted));
         },
         true},
    };
    for (const auto& [what, change, drawn] : changes) {
        PickDatabase db;
        db.addNamed("ABCD", "D");
        const QByteArray published = DrawPool::Read(db.handle).pool->sha256;
        change(db);
        EXPECT_EQ(draw(db, 1, "42", published).status,
                  drawn ? RandomPick::Status::Picked : RandomPick::Status::PoolChanged)
            << what;
    }
}

// A pick stopped at any write stores nothing: no history record without its
// receipt, no receipt without its records.
TEST(RandomPick, ACutOffPickLeavesNoRecordsWithoutAReceiptNorAReceiptWithoutRecords) {
    PickDatabase db;
    db.addNamed("ABCDE");
    const QByteArrayList data = db.dataStrings();
    // Three picks write seven times: an update and a history record each, then the receipt.
    for (int failing = 0; failing < 7; ++failing) {
        trm_FailAfter(failing, TrmCode::IoError);
        const RandomPick::Outcome out = draw(db, 3, "1 2 3");
        trm_FailAfter(-1, 0);
        EXPECT_EQ(out.status, RandomPick::Status::StoreFailed) << failing;
        EXPECT_TRUE(db.historyStrings().isEmpty()) << failing;
        EXPECT_TRUE(PickCertificate::EntriesWithReceipts(db.historyPath()).isEmpty()) << failing;
        EXPECT_EQ(db.dataStrings(), data) << failing;
    }
    ASSERT_EQ(draw(db, 3, "1 2 3").status, RandomPick::Status::Picked);
    EXPECT_EQ(db.historyStrings().size(), 3);
    EXPECT_EQ(certificates(db)[0].receipt.records, 3);
}

TEST(RandomPick, OddsAreTheEntrysCopiesInThePoolOutOfThePool) {
    PickDatabase db;
    const DataRecord ann = PickDatabase::entry({"Ann", "Lee"});
    db.add({ann, ann, PickDatabase::entry({"Ann", "Lee"}, "T"), PickDatabase::entry({"ANN", "Lee"}),
            PickDatabase::entry({"Ann", "Lea"}), PickDatabase::entry({"Bob"}, "T")});
    const std::pair<DataRecord, std::pair<qint64, qint64>> rows[] = {
        {ann, {2, 4}},                                  // its omitted copy does not count
        {PickDatabase::entry({"ann", "Lee"}), {0, 4}},  // the fields compare exactly
        {PickDatabase::entry({"Bob"}, "T"), {0, 4}},    // omitted, and no copy in the pool
    };
    for (const auto& [record, odds] : rows) {
        const auto found = RandomPick::OddsOf(db.handle, record);
        ASSERT_TRUE(found);
        EXPECT_EQ(std::make_pair(found->copies, found->pool), odds) << record.Field[0].data();
    }
    db.addNamed("D");
    EXPECT_EQ(RandomPick::OddsOf(db.handle, ann)->pool, 5);
}

// An entry repeats an earlier one when every field is equal and one not blank;
// records omitted from picks are never drawn.
TEST(RandomPick, DrawsOnlyRecordsNotOmittedAndEachEntryOnce) {
    const DataRecord ann = PickDatabase::entry({"Ann", "Lee"});
    const DataRecord bob = PickDatabase::entry({"Bob", "Day"});
    std::vector<DataRecord> records = {ann, ann, ann, bob, bob};
    const QByteArrayList others[] = {
        {"Bob", "Dey"}, {"Ann"}, {"ann", "Lee"}, {"", "Lee"}, {"", "Lee"}, {}, {}, {"0"}};
    for (const QByteArrayList& fields : others) records.push_back(PickDatabase::entry(fields));
    for (const char* omitted : {"Cy", "Di"}) records.push_back(PickDatabase::entry({omitted}, "T"));
    records.push_back(PickDatabase::entry({"Eve"}, "t"));  // only "T" omits
    const QStringList expected = {line(""),           line(""),           line("", "Lee"),
                                  line("0"),          line("Ann"),        line("Ann", "Lee"),
                                  line("Bob", "Day"), line("Bob", "Dey"), line("Eve"),
                                  line("ann", "Lee")};
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        PickDatabase db;
        db.add(records);
        FixedRandomSource random(QString::number(seed));
        const RandomPick::Outcome out = pick(db, qint32(expected.size()), random);
        ASSERT_EQ(out.status, RandomPick::Status::Picked) << out.reason.toStdString();
        QStringList drawn = out.lines;
        drawn.sort();
        EXPECT_EQ(drawn, expected) << seed;
    }
    EXPECT_EQ(RandomPick::resultLine(PickDatabase::entry({"  Ren\xc3\xa9 ", "", "x"})),
              QStringLiteral("Ren\u00e9,,x,,,,,,,,,\r\n======"));
}

// A save of many copies, stopped part way, keeps none of them; completed,
// the copies take their places among the records. Enough copies that the
// indexes are built after the rows. (A failing save, and the other changes,
// are driven through the record window.)
TEST(SaveCopies, ManyCopiesAllOrNone) {
    PickDatabase db;
    db.addNamed("AZ");
    constexpr qint32 copies = 12000;
    int reports = 0;
    const ChangeResult stopped =
        RecordChanges::SaveCopies(db.handle, PickDatabase::entry({"B"}), copies,
                                  [&](qint64, qint64) { return ++reports < 2; });
    EXPECT_TRUE(stopped.cancelled && !stopped.ok());
    EXPECT_EQ(reports, 2);
    EXPECT_EQ(stopped.total, 2);

    const ChangeResult saved =
        RecordChanges::SaveCopies(db.handle, PickDatabase::entry({"b"}), copies);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.total, copies + 2);
    EXPECT_EQ(trm_GetDirect(db.handle, saved.position).left(1), "b");
    EXPECT_EQ(RecordAtPosition(db.handle, 880, copies + 2).left(1), "Z");
    EXPECT_EQ(RecordAtPosition(db.handle, 880, 2).left(1), "b");
    EXPECT_EQ(trm_GetGreater(db.handle, 1, "A").left(1), "b");
    EXPECT_EQ(trm_CountWhere(db.handle, DataRecord::OmitOffset, 'F'), copies + 2);
    // Every index is back: a file without one would be told damaged when next opened.
    trm_CloseAll();
    db.handle = trm_Open(db.folder.folder().dataFile(db.name), 0);
    ASSERT_GT(db.handle, 0);
    EXPECT_EQ(RecordAtPosition(db.handle, 880, 3).left(1), "b");
}
