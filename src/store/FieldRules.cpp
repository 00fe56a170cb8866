#include "store/FieldRules.h"

#include <algorithm>

namespace FieldRules {

Verdict Check(const QString& name, int count) {
    if (name.trimmed().isEmpty()) return Verdict::Empty;
    const bool lettersOnly = std::all_of(name.begin(), name.end(), [](QChar c) {
        return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
    });
    // Upper-casing can lengthen a name ("ß" becomes "SS").
    if (!lettersOnly || name.size() > MaxNameLength) return Verdict::InvalidFormat;
    if (count >= MaxFields) return Verdict::TooMany;
    return Verdict::Accepted;
}

QString RefusalText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Empty:
            return QStringLiteral("You have not supplied a field name.");
        case Verdict::InvalidFormat:
            return QStringLiteral("You can only use characters 'A' thru 'Z' in a field name.");
        case Verdict::TooMany:
            return QStringLiteral("You can only create 12 field names.");
        case Verdict::Accepted:
            break;
    }
    return {};
}

QString RefusalTitle(Verdict verdict) {
    switch (verdict) {
        case Verdict::Empty:
            return QStringLiteral("NO FIELD NAME!");
        case Verdict::InvalidFormat:
            return QStringLiteral("INVALID FORMAT!");
        case Verdict::TooMany:
            return QStringLiteral("TO MANY FIELDS!");
        case Verdict::Accepted:
            break;
    }
    return {};
}

}  // namespace FieldRules
