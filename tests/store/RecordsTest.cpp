#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <cstring>
#include <random>

#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/KeyOrder.h"
#include "store/RecordText.h"
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

TEST(RecordText, KeepsEveryScriptAndCutsOnlyBetweenCharacters) {
    // Every name fits its field whole, byte for byte, and comes back the same.
    for (const char* name : {"Łukasz Dvořák", "Şükrü İnce ılık", "Ξενοφών", "Жанна",
                             "Nguyễn Thị Ánh", "王小明", "山田太郎", "محمد", "😀 emoji"}) {
        const QString text = QString::fromUtf8(name);
        const QByteArray member = RecordText::field(text, 50);
        ASSERT_EQ(member.size(), 50);
        EXPECT_EQ(RecordText::trimmed(member), QByteArray(name));
        EXPECT_EQ(RecordText::toUnicode(RecordText::trimmed(member)), text);
    }
    // A cut that would fall inside a character falls before it.
    const struct {
        QByteArray value;
        QByteArray kept;
    } cuts[] = {
        {QByteArray(49, 'a') + "ł", QByteArray(49, 'a')},         // 2 bytes from 49
        {QByteArray(48, 'a') + "王", QByteArray(48, 'a')},        // 3 bytes from 48
        {QByteArray(47, 'a') + "😀", QByteArray(47, 'a')},         // 4 bytes from 47
        {QByteArray(46, 'a') + "😀x", QByteArray(46, 'a') + "😀"},  // fits exactly
    };
    for (const auto& c : cuts) {
        EXPECT_EQ(RecordText::fixedWidth(c.value, 50),
                  QByteArray(c.kept).append(50 - c.kept.size(), ' '));
    }
}

namespace {

// Keys as the record manager orders them by definition: folded, padded with
// spaces, compared byte by byte.
int paddedOrder(const QByteArray& a, const QByteArray& b) {
    const auto fold = [](const QByteArray& s) {
        return QString::fromUtf8(s).toCaseFolded().toUtf8().leftJustified(120, ' ');
    };
    return std::clamp(std::memcmp(fold(a).constData(), fold(b).constData(), 120), -1, 1);
}

int keyOrder(const QByteArray& a, const QByteArray& b) {
    const QByteArray ka = KeyOrder::Key(a);
    const QByteArray kb = KeyOrder::Key(b);
    const int c =
        std::memcmp(ka.constData(), kb.constData(), std::size_t(std::min(ka.size(), kb.size())));
    return c != 0 ? std::clamp(c, -1, 1) : (ka.size() < kb.size() ? -1 : ka.size() > kb.size());
}

}  // namespace

TEST(KeyOrder, OrdersStoredKeysAsFoldedPaddedKeysWhateverTheirBytes) {
    EXPECT_EQ(keyOrder("łukasz", "ŁUKASZ   "), 0);
    EXPECT_EQ(keyOrder("ΣΟΦΙΑ", "σοφια"), 0);
    EXPECT_EQ(keyOrder("ab", "ab\t"), 1) << "a byte below the space sorts before the padding";
    // Short keys over the bytes that matter: control bytes on both sides of
    // 1F, the space, letters in both cases and a two-byte letter.
    const QByteArrayList alphabet = {"\x01", "\x1f", " ", "a", "B", "\x7f", "Ł"};
    std::mt19937 random(7);
    const auto any = [&] {
        QByteArray s;
        for (int n = int(random() % 6); n > 0; --n) s += alphabet[random() % alphabet.size()];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const QByteArray a = any();
        const QByteArray b = any();
        ASSERT_EQ(keyOrder(a, b), paddedOrder(a, b))
            << a.toHex().constData() << " / " << b.toHex().constData();
    }
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
