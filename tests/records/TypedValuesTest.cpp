#include <gtest/gtest.h>

#include <QLocale>
#include <optional>

#include "records/TypedValues.h"

namespace {

// Each check runs in a locale of its own; the C locale is put back after.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kGermany(QLocale::German, QLocale::Germany);

TEST(WholeNumber, ReadsAnswersAsAnInputBoxDoes) {
    const LocaleScope scope(kUnitedStates);
    // The answers of the record window's own tests aside.
    const std::pair<const char*, std::optional<qint32>> cases[] = {
        {"-2.5", -2},     {"1,000", 1000}, {"1e3", 1000}, {"2147483647", 2147483647},
        {"3 copies", {}}, {"inf", {}},     {"nan", {}},
    };
    for (const auto& [typed, expected] : cases) {
        EXPECT_EQ(TypedValues::WholeNumber(typed), expected) << '"' << typed << '"';
    }
    const LocaleScope german(kGermany);
    EXPECT_EQ(TypedValues::WholeNumber("2,5"), 2);
}

TEST(DateTyped, TakesTheShortFormHyphenatedAndIsoWithFourDigitYears) {
    const LocaleScope scope(kUnitedStates);
    const std::pair<const char*, QDate> cases[] = {
        {"7/4/2004", {2004, 7, 4}},
        {"07-04-2004", {2004, 7, 4}},
        {"7-4-2004", {2004, 7, 4}},
        {"2004-07-04", {2004, 7, 4}},
        {" 2004-7-4 ", {2004, 7, 4}},
        {"02-29-2004", {2004, 2, 29}},
        {"02-29-2003", {}},
        {"2004-02-30", {}},
        {"7/4/04", {}},
        {"04.07.2004", {}},
        {"", {}},
        {"07-04-2004x", {}},
    };
    for (const auto& [typed, expected] : cases) {
        EXPECT_EQ(TypedValues::DateTyped(typed).value_or(QDate()), expected) << '"' << typed << '"';
    }
    const LocaleScope german(kGermany);
    EXPECT_EQ(TypedValues::DateTyped("4.7.2004"), QDate(2004, 7, 4));
}

TEST(DateToStore, KeepsWhatFitsAsTypedAndNeverCutsADate) {
    const QDate today(2026, 3, 9);
    {
        const LocaleScope scope(kUnitedStates);
        EXPECT_EQ(TypedValues::DateToStore(" 7/4/2004 ", today), "7/4/2004");
        EXPECT_EQ(TypedValues::DateToStore("02-30-2004", today), "03-09-2026");
        EXPECT_EQ(TypedValues::DateForNewRecord(QDate(2026, 11, 23)), "11/23/2026");
    }
    // "2004. 07. 04." and "23 Nov 2026" would lose their ends in 10 characters.
    const LocaleScope hungarian(QLocale(QLocale::Hungarian, QLocale::Hungary));
    EXPECT_EQ(TypedValues::DateToStore("2004. 07. 04.", today), "07-04-2004");
    EXPECT_EQ(TypedValues::DateForNewRecord(today), "03-09-2026");
    const LocaleScope c(QLocale::c());
    EXPECT_EQ(TypedValues::DateForNewRecord(QDate(2026, 12, 6)), "12-06-2026");
}

}  // namespace
