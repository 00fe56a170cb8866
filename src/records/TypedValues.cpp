#include "records/TypedValues.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <limits>

namespace {

constexpr int kStoredDateWidth = 10;

// Month and day may be typed without their leading zero; a format with MM or dd
// would refuse "7-4-2004".
QString relaxed(QString format) {
    static const QRegularExpression twoDigitDay(QStringLiteral("(?<!d)dd(?!d)"));
    static const QRegularExpression twoDigitMonth(QStringLiteral("(?<!M)MM(?!M)"));
    format.replace(twoDigitDay, QStringLiteral("d"));
    format.replace(twoDigitMonth, QStringLiteral("M"));
    return format;
}

// The locale's short format always with a four-digit year: two digits would make
// the century a guess.
QString shortFormatFullYear() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy"))) {
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    return format;
}

std::optional<double> number(const QString& text, const QLocale& locale) {
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

namespace TypedValues {

std::optional<qint32> WholeNumber(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty()) return std::nullopt;
    std::optional<double> value = number(text, QLocale());
    if (!value) value = number(text, QLocale::c());
    if (!value) return std::nullopt;
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double whole = std::nearbyint(*value);
    if (whole < std::numeric_limits<qint32>::min() || whole > std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(whole);
}

std::optional<QDate> DateTyped(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty()) return std::nullopt;
    const QLocale locale;
    const QStringList formats = {relaxed(shortFormatFullYear()), QStringLiteral("M-d-yyyy"),
                                 QStringLiteral("yyyy-M-d")};
    for (const QString& format : formats) {
        const QDate date = locale.toDate(text, format);
        if (date.isValid()) return date;
    }
    return std::nullopt;
}

QString DateForNewRecord(const QDate& today) {
    // Decided by the format, not the day: the form must not change with the
    // date, so one day too long for a record means the hyphenated form always.
    const QLocale locale;
    const QString format = shortFormatFullYear();
    for (int month = 1; month <= 12; ++month) {
        const QDate longest(2000, month, 28);
        if (locale.toString(longest, format).size() > kStoredDateWidth) {
            return HyphenatedDate(today);
        }
    }
    return locale.toString(today, format);
}

QString DateToStore(const QString& typed, const QDate& today) {
    const std::optional<QDate> date = DateTyped(typed);
    if (!date) return HyphenatedDate(today);
    const QString text = typed.trimmed();
    return text.size() <= kStoredDateWidth ? text : HyphenatedDate(*date);
}

qint32 CountToStore(const QString& typed) {
    const std::optional<qint32> count = WholeNumber(typed);
    return count && *count >= 0 ? *count : 0;
}

QString HyphenatedDate(const QDate& date) {
    return date.toString(QStringLiteral("MM-dd-yyyy"));
}

}  // namespace TypedValues
