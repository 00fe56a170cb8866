#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <functional>
#include <map>
#include <numeric>

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

std::vector<PickCertificate::Certificate> certificates(const PickDatabase& db) {
    PickCertificate::Reading read =
        PickCertificate::Read(db.historyPath(), db.name, "07-04-2004", "14:05:09");
    EXPECT_TRUE(read.outcome.written()) << read.outcome.reason.toStdString();
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
        {" \n\t\n", "", "Name at least one source: a line of whole numbers."},
        {"12\n3 -4", "", "Line 2 of the sources holds \"-4\", which is not a whole number."},
        {"1.5", "", "Line 1 of the sources holds \"1.5\", which is not a whole number."},
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
    ASSERT_EQ(read.size(), 1u);
    const DrawReceipt& receipt = read[0].receipt;
    EXPECT_EQ(receipt.poolSize, 29);

    const QString listing = db.folder.file("pool.txt");
    const DrawPool::Reading pool = DrawPool::Read(db.handle);
    ASSERT_TRUE(pool.pool);
    ASSERT_EQ(RecordExport::ExportPool(listing, RecordExport::PoolFormat::Listing, db.handle,
                                       *pool.pool, {})
                  .status,
              RecordExport::Status::Written);
    EXPECT_TRUE(
        db.folder.readAll("pool.txt").startsWith("1\t\t\n2\t\t\n3\tA\tTeam A\n4\tAnn\tLee\n"));
    QProcess python;
    python.start("/usr/bin/python3", {RANDOLA_TEST_SUPPORT_DIR "/rfc3797_draw.py", listing,
                                      QString::fromLatin1(receipt.key), "12"});
    ASSERT_TRUE(python.waitForFinished(20000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QStringList computed =
        QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(computed.isEmpty());
    EXPECT_EQ(computed.takeFirst(), QString::fromLatin1(receipt.sha256.toHex().toUpper()));
    EXPECT_EQ(computed, selectionLines(read[0]));
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

// The selection that finds a repeat is spent: the next one is the selection after it.
TEST(RandomPick, ARepeatSetAsideSpendsItsSelection) {
    PickDatabase db;
    const DataRecord a = PickDatabase::entry({"A"});
    db.add({a, a, PickDatabase::entry({"B"}), PickDatabase::entry({"C"})});
    // Key "0./" selects number 2 (an A), number 1 (the other A), then number 4 of 3 and 4.
    const RandomPick::Outcome out = draw(db, 2, "0");
    ASSERT_EQ(out.status, RandomPick::Status::Picked);
    EXPECT_EQ(out.lines, QStringList({line("A"), line("C")}));
    const auto read = certificates(db);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].receipt.setAside, (std::vector<std::pair<qint64, qint64>>{{1, 0}}));
    EXPECT_EQ(selectionLines(read[0]).join('|').remove(QRegularExpression(" [0-9A-F]{32}")),
              "0 4 2 2 picked|1 3 1 1 aside 0|2 2 2 4 picked");
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
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].receipt.sources, "98765432109876543210");
    EXPECT_EQ(read[0].receipt.key, "98765432109876543210./");
    EXPECT_EQ(read[0].receipt.method, "RFC 3797");
    EXPECT_EQ(read[0].receipt.pool, DrawPool::Read(db.handle).pool->ids);
    QStringList replayed;
    for (const PickCertificate::Selection& s : read[0].selections)
        replayed << s.fields.join(',') + ",,,,,,,,,,\r\n======";
    EXPECT_EQ(replayed, out.lines);
    const PickCertificate::Verdict verdict = PickCertificate::Verify(read, db.handle);
    EXPECT_TRUE(verdict.reproduced);
    EXPECT_TRUE(
        verdict.text.startsWith("The pick of 07-04-2004 at 14:05:09 is reproduced exactly: "
                                "the 18 records of its pool are as they were"))
        << verdict.text.toStdString();
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
        {"an omit cleared", [&](PickDatabase& db) { update(db, 4, "D", "F"); }, false},
        {"a record added", [](PickDatabase& db) { db.addNamed("E"); }, false},
        {"a record deleted",
         [](PickDatabase& db) {
             trm_GetNth(db.handle, 1);
             trm_Delete(db.handle);
         },
         false},
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
        const QByteArrayList before = db.historyStrings();
        const RandomPick::Outcome out = draw(db, 1, "42", published);
        EXPECT_EQ(out.status, drawn ? RandomPick::Status::Picked : RandomPick::Status::PoolChanged)
            << what;
        if (drawn) continue;
        EXPECT_TRUE(
            out.reason.startsWith("The pool has changed since it was published, so "
                                  "nothing was drawn.\r\nIts SHA-256 was " +
                                  published.toHex().toUpper()))
            << what;
        EXPECT_EQ(db.historyStrings(), before) << what;
        EXPECT_EQ(draw(db, 1, "42", DrawPool::Read(db.handle).pool->sha256).status,
                  RandomPick::Status::Picked)
            << what;
    }
}

// Verify names each record of the pool edited or deleted since the pick.
TEST(PickCertificate, VerifyNamesTheRecordsChangedOrGoneSinceThePick) {
    using Change = std::function<void(PickDatabase&)>;
    const std::pair<Change, const char*> changes[] = {
        {[](PickDatabase& db) {
             trm_GetNth(db.handle, 3);
             trm_Update(db.handle, RecordToString(PickDatabase::entry({"C", "Team X"})));
         },
         "Changed: number 3 of the pool, now C, Team X."},
        {[](PickDatabase& db) {
             trm_GetNth(db.handle, 5);
             trm_Delete(db.handle);
         },
         "No longer in the file: number 5 of the pool."},
    };
    for (const auto& [change, named] : changes) {
        PickDatabase db;
        db.addNamed("ABCDEFGH");
        ASSERT_EQ(draw(db, 2, "7 8").status, RandomPick::Status::Picked);
        change(db);
        const PickCertificate::Verdict verdict =
            PickCertificate::Verify(certificates(db), db.handle);
        EXPECT_FALSE(verdict.reproduced);
        EXPECT_EQ(verdict.text,
                  "The pick of 07-04-2004 at 14:05:09 cannot be reproduced from the "
                  "records now in the file: its pool has changed since.\r\n" +
                      QString(named));
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
    const RandomPick::Outcome out = draw(db, 3, "1 2 3");
    ASSERT_EQ(out.status, RandomPick::Status::Picked);
    EXPECT_EQ(db.historyStrings().size(), 3);
    const auto read = certificates(db);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].receipt.records, 3);
    QStringList picked;
    for (const PickCertificate::Selection& s : read[0].selections) picked << s.fields.join(',');
    EXPECT_EQ(picked.join('|'), QString(out.lines.join('|')).replace(",,,,,,,,,,\r\n======", ""));
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
        {PickDatabase::entry({"Cy"}), {0, 4}},
    };
    for (const auto& [record, odds] : rows) {
        const auto found = RandomPick::OddsOf(db.handle, record);
        ASSERT_TRUE(found);
        EXPECT_EQ(std::make_pair(found->copies, found->pool), odds) << record.Field[0].data();
    }
    db.addNamed("D");
    EXPECT_EQ(RandomPick::OddsOf(db.handle, ann)->pool, 5);
}

// Consecutive identities take next to nothing but their fingerprints; any
// others come back as they were.
TEST(DrawPool, KeepsAPoolCompactlyAndReadsItBack) {
    std::vector<qint64> consecutive(10000);
    std::iota(consecutive.begin(), consecutive.end(), 1);
    const QByteArray fingerprints(10000, 'x');
    EXPECT_LE(DrawPool::Encode(consecutive, fingerprints).size(), 10000 + 8);
    for (const std::vector<qint64>& ids :
         {consecutive, std::vector<qint64>{5, 3, 4, 1000000, 1, 2, 3, 9}, std::vector<qint64>{}}) {
        const QByteArray marks(qsizetype(ids.size()), '\x7f');
        std::vector<qint64> back;
        QByteArray backMarks;
        ASSERT_TRUE(DrawPool::Decode(DrawPool::Encode(ids, marks), back, backMarks));
        EXPECT_EQ(back, ids);
        EXPECT_EQ(backMarks, marks);
    }
    std::vector<qint64> back;
    QByteArray marks;
    EXPECT_FALSE(DrawPool::Decode(QByteArray("\x05\x00\x09"), back, marks));
}

// An entry repeats an earlier one when every field is equal and one not blank;
// records omitted from picks are never drawn.
TEST(RandomPick, DrawsOnlyRecordsNotOmittedAndEachEntryOnce) {
    const DataRecord ann = PickDatabase::entry({"Ann", "Lee"});
    const DataRecord bob = PickDatabase::entry({"Bob", "Day"});
    std::vector<DataRecord> records = {ann, ann, ann, bob, bob};
    for (const QByteArrayList& fields : {QByteArrayList{"Bob", "Dey"},
                                         {"Ann"},
                                         {"ann", "Lee"},
                                         {"", "Lee"},
                                         {"", "Lee"},
                                         {},
                                         {},
                                         {"0"}})
        records.push_back(PickDatabase::entry(fields));
    for (const char* omitted : {"Cy", "Di"}) records.push_back(PickDatabase::entry({omitted}, "T"));
    const QStringList expected = {line(""),           line(""),           line("", "Lee"),
                                  line("0"),          line("Ann"),        line("Ann", "Lee"),
                                  line("Bob", "Day"), line("Bob", "Dey"), line("ann", "Lee")};
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

// Pearson's statistic over entries drawn in `picks` picks of `n`, each from
// a key of its own, against expected shares; below the 99.9% point of
// chi-square for its freedom.
static void expectUniform(const PickDatabase& db, int picks, qint32 n,
                          const std::map<QString, double>& share, double critical) {
    std::map<QString, int> observed;
    for (int i = 0; i < picks; ++i) {
        FixedRandomSource random(QString::number(20040704 + i));
        for (const QString& l : pick(db, n, random).lines) ++observed[l];
    }
    double chi = 0;
    for (const auto& [l, s] : share) {
        const double e = picks * n * s;
        chi += (observed[l] - e) * (observed[l] - e) / e;
    }
    EXPECT_LT(chi, critical);
}

TEST(RandomPick, EachCopyIsOneChanceAndEveryRecordEquallyLikelyInAPick) {
    PickDatabase weighted;  // A once, B twice, C three times, D four times
    std::map<QString, double> share;
    for (int k = 1; k <= 4; ++k) {
        const QByteArray name(1, char('A' + k - 1));
        weighted.add(std::vector<DataRecord>(std::size_t(k), PickDatabase::entry({name})));
        share[line(name.data())] = k / 10.0;
    }
    expectUniform(weighted, 1000, 1, share, 16.27);

    PickDatabase even;
    even.addNamed("ABCDEFGHIJKLMNOPQRST");
    share.clear();
    for (char c : QByteArray("ABCDEFGHIJKLMNOPQRST"))
        share[line(QByteArray(1, c).data(), ("Team " + QByteArray(1, c)).data())] = 1 / 20.0;
    expectUniform(even, 200, 5, share, 43.82);
}

// A save of many copies, stopped part way or failing, keeps none of them;
// completed, the copies take their places among the records. Enough copies
// that the indexes are built after the rows. (The other changes and their
// failures are driven through the record window.)
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

    trm_FailAfter(copies - 1, TrmCode::IoError);  // the last copy cannot be written
    const ChangeResult failed =
        RecordChanges::SaveCopies(db.handle, PickDatabase::entry({"B"}), copies);
    trm_FailAfter(-1, 0);
    EXPECT_EQ(failed.code, TrmCode::IoError);
    EXPECT_EQ(failed.total, 2);
    EXPECT_EQ(db.dataStrings().size(), 2);

    const ChangeResult saved =
        RecordChanges::SaveCopies(db.handle, PickDatabase::entry({"b"}), copies);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.total, copies + 2);
    EXPECT_EQ(trm_GetDirect(db.handle, saved.position).left(1), "b");
    EXPECT_EQ(RecordAtPosition(db.handle, 880, copies + 2).left(1), "Z");
    EXPECT_EQ(RecordAtPosition(db.handle, 880, 2).left(1), "b");
    EXPECT_EQ(trm_GetGreater(db.handle, 1, "A").left(1), "b");
    EXPECT_EQ(trm_CountWhere(db.handle, DataRecord::OmitOffset, 'F'), copies + 2);
}
