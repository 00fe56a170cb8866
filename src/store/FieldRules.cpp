#include "store/FieldRules.h"

#include <algorithm>

namespace FieldRules {

// The typed characters themselves are checked: upper-casing would turn some
// letters outside A to Z into ones inside ("ß" becomes "SS").
Verdict Check(const QString& typed, int count) {
    if (typed.trimmed().isEmpty()) return Verdict::Empty;
    const bool lettersOnly = std::all_of(typed.begin(), typed.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
    });
    if (!lettersOnly || typed.size() > MaxNameLength) return Verdict::InvalidFormat;
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
