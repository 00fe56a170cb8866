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

Refusal RefusalFor(Verdict verdict) {
    switch (verdict) {
        case Verdict::Empty:
            return {QStringLiteral("You have not supplied a field name."),
                    QStringLiteral("NO FIELD NAME!")};
        case Verdict::InvalidFormat:
            return {QStringLiteral("You can only use characters 'A' thru 'Z' in a field name."),
                    QStringLiteral("INVALID FORMAT!")};
        case Verdict::TooMany:
            return {QStringLiteral("You can only create 12 field names."),
                    QStringLiteral("TO MANY FIELDS!")};
        case Verdict::Accepted:
            break;
    }
    return {};
}

}  // namespace FieldRules
