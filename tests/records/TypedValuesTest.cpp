#include <gtest/gtest.h>

#include <QLocale>
#include <optional>

#include "records/TypedValues.h"

namespace {

// Each case runs in a locale of its own; the default locale is put back after.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kGermany(QLocale::German, QLocale::Germany);
const QLocale kHungary(QLocale::Hungarian, QLocale::Hungary);

struct NumberCase {
    const char* typed;
    std::optional<qint32> expected;
};

TEST(WholeNumber, ReadsAnswersAsAnInputBoxDoes) {
    const LocaleScope scope(kUnitedStates);
    const NumberCase cases[] = {
        {"3", 3},
        {" 3 ", 3},
        {"0", 0},
        {"-4", -4},
        {"2.5", 2},  // halves go to the even number
        {"3.5", 4},
        {"-2.5", -2},
        {"0.5", 0},
        {"2.4999", 2},
        {"1,000", 1000},
        {"1e3", 1000},
        {"+7", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},  // does not fit
        {"1e12", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"3 copies", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
    };
    for (const NumberCase& c : cases) {
        EXPECT_EQ(TypedValues::WholeNumber(QString::fromLatin1(c.typed)), c.expected)
            << "typed: \"" << c.typed << '"';
    }
}

TEST(WholeNumber, TakesTheLocalesDecimalCommaAndStillThePoint) {
    const LocaleScope scope(kGermany);
    EXPECT_EQ(TypedValues::WholeNumber(QStringLiteral("2,5")), 2);
    EXPECT_EQ(TypedValues::WholeNumber(QStringLiteral("3,5")), 4);
    EXPECT_EQ(TypedValues::WholeNumber(QStringLiteral("12")), 12);
}

struct DateCase {
    const char* typed;
    QDate expected;  // invalid: not taken as a date
};

TEST(DateTyped, TakesShortFormatHyphenatedAndIsoWithAFourDigitYear) {
    const LocaleScope scope(kUnitedStates);
    const DateCase cases[] = {
        {"7/4/2004", QDate(2004, 7, 4)},  // the system's short form, four-digit year
        {"07/04/2004", QDate(2004, 7, 4)},
        {"12/31/1999", QDate(1999, 12, 31)},
        {"07-04-2004", QDate(2004, 7, 4)},  // the program's own form
        {"7-4-2004", QDate(2004, 7, 4)},
        {" 07-04-2004 ", QDate(2004, 7, 4)},
        {"2004-07-04", QDate(2004, 7, 4)},  // ISO
        {"2004-7-4", QDate(2004, 7, 4)},
        {"02-29-2004", QDate(2004, 2, 29)},
        {"02-29-2003", QDate()},  // no such day
        {"13-01-2004", QDate()},
        {"2004-02-30", QDate()},
        {"7/4/04", QDate()},      // two-digit year: the century would be a guess
        {"04.07.2004", QDate()},  // another country's form
        {"", QDate()},
        {"tomorrow", QDate()},
        {"07-04-2004x", QDate()},
    };
    for (const DateCase& c : cases) {
        const std::optional<QDate> date = TypedValues::DateTyped(QString::fromLatin1(c.typed));
        EXPECT_EQ(date.value_or(QDate()), c.expected) << "typed: \"" << c.typed << '"';
    }
}

TEST(DateTyped, FollowsTheLocalesShortForm) {
    const LocaleScope scope(kGermany);
    EXPECT_EQ(TypedValues::DateTyped(QStringLiteral("4.7.2004")), QDate(2004, 7, 4));
    EXPECT_EQ(TypedValues::DateTyped(QStringLiteral("04.07.2004")), QDate(2004, 7, 4));
    EXPECT_EQ(TypedValues::DateTyped(QStringLiteral("07-04-2004")), QDate(2004, 7, 4));
    EXPECT_FALSE(TypedValues::DateTyped(QStringLiteral("7/4/2004")));
}

struct StoreCase {
    const char* typed;
    const char* stored;
};

TEST(DateToStore, KeepsADateAsTypedAndRepairsTheRest) {
    const LocaleScope scope(kUnitedStates);
    const QDate today(2026, 3, 9);
    const StoreCase cases[] = {
        {"7/4/2004", "7/4/2004"},     {"07-04-2004", "07-04-2004"}, {"2004-07-04", "2004-07-04"},
        {"  7/4/2004  ", "7/4/2004"}, {"", "03-09-2026"},           {"          ", "03-09-2026"},
        {"02-30-2004", "03-09-2026"}, {"someday", "03-09-2026"},
    };
    for (const StoreCase& c : cases) {
        EXPECT_EQ(TypedValues::DateToStore(QString::fromLatin1(c.typed), today),
                  QString::fromLatin1(c.stored))
            << "typed: \"" << c.typed << '"';
    }
}

TEST(DateToStore, ADateTooLongForTheRecordIsKeptAsTheSameDay) {
    const LocaleScope scope(kHungary);  // "2004. 07. 04." is 13 characters
    const QDate today(2026, 3, 9);
    EXPECT_EQ(TypedValues::DateToStore(QStringLiteral("2004. 07. 04."), today),
              QStringLiteral("07-04-2004"));
    EXPECT_EQ(TypedValues::DateForNewRecord(today), QStringLiteral("03-09-2026"));
}

TEST(DateForNewRecord, UsesTheShortFormWithAFourDigitYearWhenItFits) {
    const QDate day(2026, 11, 23);
    {
        const LocaleScope scope(kUnitedStates);
        EXPECT_EQ(TypedValues::DateForNewRecord(day), QStringLiteral("11/23/2026"));
    }
    {
        const LocaleScope scope(kGermany);
        EXPECT_EQ(TypedValues::DateForNewRecord(day), QStringLiteral("23.11.2026"));
    }
    {
        // "23 Nov 2026" would be cut to 10; the 6th takes the same form as the 23rd.
        const LocaleScope scope(QLocale::c());
        EXPECT_EQ(TypedValues::DateForNewRecord(day), QStringLiteral("11-23-2026"));
        EXPECT_EQ(TypedValues::DateForNewRecord(QDate(2026, 12, 6)), QStringLiteral("12-06-2026"));
    }
}

TEST(DateForNewRecord, PassesTheDateTestAndIsStoredUnchanged) {
    for (const QLocale& locale : {kUnitedStates, kGermany, kHungary, QLocale::c()}) {
        const LocaleScope scope(locale);
        const QDate day(2026, 1, 5);
        const QString offered = TypedValues::DateForNewRecord(day);
        EXPECT_EQ(TypedValues::DateTyped(offered), day) << locale.name().toStdString();
        EXPECT_EQ(TypedValues::DateToStore(offered, QDate(2000, 1, 1)), offered);
    }
}

TEST(CountToStore, KeepsWholeCountsAndZeroesTheRest) {
    const LocaleScope scope(kUnitedStates);
    const std::pair<const char*, qint32> cases[] = {
        {"0", 0},          {"7", 7},  {"2.5", 2},     {"2147483647", 2147483647},
        {"2147483648", 0}, {"-3", 0}, {"letters", 0}, {"", 0},
    };
    for (const auto& [typed, stored] : cases) {
        EXPECT_EQ(TypedValues::CountToStore(QString::fromLatin1(typed)), stored)
            << "typed: \"" << typed << '"';
    }
}

}  // namespace
