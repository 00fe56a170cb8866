#include <gtest/gtest.h>

#include <QFile>

#include "store/CodePage.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/Records.h"
#include "store/StoreError.h"
#include "support/TestFolder.h"

namespace {

DataRecord sampleRecord() {
    DataRecord r;
    r.Field[0] = "Ann";
    r.Field[1] = "Lee";
    r.DateEntered = "07-04-2004";
    r.LastPicked = "";
    r.TimesPicked = 258;
    r.Omit = "F";
    r.Notes = "likes tea";
    return r;
}

}  // namespace

TEST(RecordString, LaysOutEveryMemberAtItsOffset) {
    const QByteArray s = RecordToString(sampleRecord());
    ASSERT_EQ(s.size(), 880);
    EXPECT_EQ(s.mid(0, 50), QByteArray("Ann").append(47, ' '));
    EXPECT_EQ(s.mid(50, 50), QByteArray("Lee").append(47, ' '));
    EXPECT_EQ(s.mid(100, 500), QByteArray(500, ' '));
    EXPECT_EQ(s.mid(600, 10), QByteArray("07-04-2004"));
    EXPECT_EQ(s.mid(610, 10), QByteArray(10, ' '));
    EXPECT_EQ(s.mid(620, 4), QByteArray("\x02\x01\x00\x00", 4));
    EXPECT_EQ(s.mid(624, 1), QByteArray("F"));
    EXPECT_EQ(s.mid(625), QByteArray("likes tea").append(246, ' '));
}

TEST(RecordString, RoundTripsCountsNulBytesAndCutsOrPadsText) {
    DataRecord r;
    r.Field[0] = QByteArray(51, 'x');
    r.Field[11] = "abc";
    r.Notes = QByteArray(300, 'n');
    r.Omit = "F";
    for (qint32 count : {0, 1, 2147483647, -2147483647 - 1}) {
        r.TimesPicked = count;
        const QByteArray s = RecordToString(r);
        ASSERT_EQ(s.size(), 880);
        const DataRecord back = RecordFromString<DataRecord>(s);
        EXPECT_EQ(back.TimesPicked, count);
        EXPECT_EQ(RecordToString(back), s);
    }
    const QByteArray s = RecordToString(r);
    EXPECT_EQ(s.mid(620, 4), QByteArray("\x00\x00\x00\x80", 4));
    EXPECT_EQ(s.mid(0, 50), QByteArray(50, 'x'));
    EXPECT_EQ(s.mid(550, 50), QByteArray("abc").append(47, ' '));
    EXPECT_EQ(s.mid(625), QByteArray(255, 'n'));
    // A short fetched text is padded with spaces, as the fixed buffer is.
    const DataRecord fetched = RecordFromString<DataRecord>("Bob");
    EXPECT_EQ(fetched.Field[0], QByteArray("Bob").append(47, ' '));
    EXPECT_EQ(fetched.Notes.size(), 255);
}

TEST(HistoryString, EndsWithPickDateAndTimePaddedToTen) {
    HistoryRecord h;
    h.Record = sampleRecord();
    h.PickDate = "12-06-2026";
    h.PickTime = "14:05:09";
    const QByteArray s = RecordToString(h);
    ASSERT_EQ(s.size(), 900);
    EXPECT_EQ(s.left(880), RecordToString(sampleRecord()));
    EXPECT_EQ(s.right(20), QByteArray("12-06-202614:05:09  "));
    EXPECT_EQ(RecordToString(RecordFromString<HistoryRecord>(s)), s);
}

TEST(CodePage, MapsWindows1252AndReplacesTheRest) {
    EXPECT_EQ(CodePage::fromUnicode(QStringLiteral("caf\u00e9 \u20ac5")), QByteArray("caf\xe9 \x80"
                                                                                     "5"));
    EXPECT_EQ(CodePage::fromUnicode(QStringLiteral("\u0160\u017e\u2019")),
              QByteArray("\x8a\x9e\x92"));
    EXPECT_EQ(CodePage::fromUnicode(QStringLiteral("\u4e2d!")), QByteArray("?!"));
    EXPECT_EQ(CodePage::fromUnicode(QString::fromUcs4(U"\U0001F600x")), QByteArray("?x"));
    EXPECT_EQ(CodePage::toUnicode(QByteArray("\x80\xe9\x9f")),
              QStringLiteral("\u20ac\u00e9\u0178"));
    // Each character is one byte wide in a record, whatever its code.
    EXPECT_EQ(CodePage::field(QStringLiteral("\u00e9\u00e9"), 4), QByteArray("\xe9\xe9  "));
    // Keys compare on this form: letters folded, other bytes kept.
    EXPECT_EQ(CodePage::foldCase("abc XYZ 09 \xe9\xff\x9a\xf7"),
              QByteArray("ABC XYZ 09 \xc9\x9f\x8a\xf7"));
}

TEST(KeyLayout, ThreeFieldsGiveTheDocumentedBytes) {
    const QByteArray layout = KeyLayout::Build({"ITEM", " COLOUR ", "SIZE"});
    ASSERT_EQ(layout.size(), 93);
    EXPECT_EQ(layout.left(3), QByteArray("\x04\x01\x03"));
    const char* names[] = {"ITEM", "COLOUR", "SIZE"};
    const QByteArray starts[] = {QByteArray("\x01\x00", 2), QByteArray("\x33\x00", 2),
                                 QByteArray("\x65\x00", 2)};
    for (int k = 0; k < 3; ++k) {
        const QByteArray entry = layout.mid(3 + 30 * k, 30);
        EXPECT_EQ(entry.left(25), QByteArray(names[k]).append(25 - qstrlen(names[k]), ' '));
        EXPECT_EQ(entry.at(25), char(k + 1));
        EXPECT_EQ(entry.mid(26, 2), starts[k]);
        EXPECT_EQ(entry.at(28), char(50));
        EXPECT_EQ(entry.at(29), char(0));
    }
    EXPECT_EQ(KeyLayout::KeyCount(layout), 3);
}

TEST(KeyLayout, TwelveKeysReachPastOneByteAndBrokenLayoutsAreRefused) {
    const QByteArray twelve = KeyLayout::Build(QStringList(12, QStringLiteral("F")));
    EXPECT_EQ(twelve.mid(3 + 30 * 11 + 26, 2), QByteArray("\x27\x02", 2));  // starts at 551
    EXPECT_EQ(KeyLayout::KeyCount(twelve), 12);
    QByteArray bad = KeyLayout::Build({"A", "B"});
    EXPECT_FALSE(KeyLayout::KeyCount(bad.left(60)));
    bad[3 + 30 + 26] = 0x34;  // key 2 starting at 52
    EXPECT_FALSE(KeyLayout::KeyCount(bad));
    EXPECT_FALSE(KeyLayout::KeyCount(QByteArray("\x04\x01\x00", 3)));
    EXPECT_FALSE(KeyLayout::KeyCount(QByteArray()));
}

TEST(DefinitionFile, HoldsTwelveEntriesWhateverTheFieldCount) {
    TestFolder folder;
    const QString path = folder.file("shop.dfn");
    DefinitionFile::Write(path, {"ITEM", "COLOUR", "SIZE", "PRICE", "SHELF"});
    DefinitionFile::Write(path, {"ITEM", "COLOUR", "SIZE"});  // overwrite with fewer fields
    const QByteArray bytes = folder.readAll("shop.dfn");
    ASSERT_EQ(bytes.size(), 312);
    EXPECT_EQ(bytes.left(26), QByteArray("ITEM").append(21, ' ').append('T'));
    EXPECT_EQ(bytes.mid(52, 26), QByteArray("SIZE").append(21, ' ').append('T'));
    for (int k = 3; k < 12; ++k) EXPECT_EQ(bytes.mid(26 * k, 26), QByteArray(25, ' ').append('F'));
    const auto entries = DefinitionFile::Read(path);
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_EQ(DefinitionFile::FieldNames(entries), QStringList({"ITEM", "COLOUR", "SIZE"}));
    EXPECT_EQ(folder.files(), QStringList({"shop.dfn"}));  // no temporary left behind
}

TEST(DefinitionFile, ReadsWholeEntriesUpToTwelveAndRefusesFilesWithoutAField) {
    TestFolder folder;
    const auto writeBytes = [&](const QByteArray& bytes) { folder.write("x.dfn", bytes); };
    const auto namesRead = [&] {
        return DefinitionFile::FieldNames(DefinitionFile::Read(folder.file("x.dfn")));
    };
    EXPECT_THROW(DefinitionFile::Read(folder.file("none.dfn")), StoreError);
    writeBytes(QByteArray(312, ' '));  // twelve entries, none in use
    EXPECT_THROW(namesRead(), StoreError);
    writeBytes(DefinitionFile::Build({"A"}).left(20));  // not one whole entry
    EXPECT_THROW(namesRead(), StoreError);
    const QByteArray twelve =
        DefinitionFile::Build({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L"});
    const QByteArray thirteenth = QByteArray("M").append(24, ' ').append('T');
    const std::pair<QByteArray, QStringList> readable[] = {
        {DefinitionFile::Build({"A"}).left(52), {"A"}},                // two whole entries
        {DefinitionFile::Build({"A", "B"}).append('\n'), {"A", "B"}},  // a stray trailing byte
        {DefinitionFile::Build({"A"}).left(40), {"A"}},  // a partial entry after a whole one
        {twelve + thirteenth + "xy",
         QStringList({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L"})},
    };
    for (const auto& [bytes, names] : readable) {
        writeBytes(bytes);
        EXPECT_EQ(namesRead(), names) << bytes.size() << " bytes";
    }
}
