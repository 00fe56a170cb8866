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

TEST(RecordString, LaysOutEveryMemberAtItsOffsetAndHistoryAddsThePickStamp) {
    const QByteArray s = RecordToString(sampleRecord());
    EXPECT_EQ(s, QByteArray("Ann").leftJustified(50) + QByteArray("Lee").leftJustified(50) +
                     QByteArray(500, ' ') + "07-04-2004" + QByteArray(10, ' ') +
                     QByteArray("\x02\x01\x00\x00", 4) + "F" +
                     QByteArray("likes tea").leftJustified(255));
    const QByteArray h = RecordToString(HistoryRecord{sampleRecord(), "12-06-2026", "14:05:09"});
    EXPECT_EQ(h, s + "12-06-202614:05:09  ");
    EXPECT_EQ(RecordToString(RecordFromString<HistoryRecord>(h)), h);
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
        EXPECT_EQ(RecordFromString<DataRecord>(s).TimesPicked, count);
        EXPECT_EQ(RecordToString(RecordFromString<DataRecord>(s)), s);
    }
    EXPECT_EQ(RecordToString(r), QByteArray(50, 'x') + QByteArray(500, ' ') +
                                     QByteArray("abc").leftJustified(50) + QByteArray(20, ' ') +
                                     QByteArray("\x00\x00\x00\x80", 4) + "F" +
                                     QByteArray(255, 'n'));
    // A short fetched text is padded with spaces, as the fixed buffer is.
    const DataRecord fetched = RecordFromString<DataRecord>("Bob");
    EXPECT_EQ(fetched.Field[0], QByteArray("Bob").append(47, ' '));
    EXPECT_EQ(fetched.Notes.size(), 255);
}

TEST(RecordText, CutsOnlyBetweenCharacters) {
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

TEST(KeyLayout, EachKeyGivesItsNameNumberStartAndWidth) {
    const QByteArray layout = KeyLayout::Build({"ITEM", " COLOUR ", "SIZE"});
    ASSERT_EQ(layout.size(), 93);
    EXPECT_EQ(layout.left(3), QByteArray("\x04\x01\x03"));
    const char* names[] = {"ITEM", "COLOUR", "SIZE"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(layout.mid(3 + 30 * k, 30), QByteArray(names[k])
                                                  .leftJustified(25, ' ')
                                                  .append(char(k + 1))
                                                  .append(char(1 + 50 * k))
                                                  .append('\0')
                                                  .append(char(50))
                                                  .append('\0'));
    }
    EXPECT_EQ(KeyLayout::KeyCount(layout), 3);
    // Twelve keys reach past one byte: the last starts at 551.
    const QByteArray twelve = KeyLayout::Build(QStringList(12, QStringLiteral("F")));
    EXPECT_EQ(twelve.mid(3 + 30 * 11 + 26, 2), QByteArray("\x27\x02", 2));
    EXPECT_EQ(KeyLayout::KeyCount(twelve), 12);
    QByteArray bad = KeyLayout::Build({"A", "B"});
    EXPECT_FALSE(KeyLayout::KeyCount(bad.left(60)));
    bad[3 + 30 + 26] = 0x34;  // key 2 starting at 52
    EXPECT_FALSE(KeyLayout::KeyCount(bad));
    EXPECT_FALSE(KeyLayout::KeyCount(QByteArray("\x04\x01\x00", 3)));
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
