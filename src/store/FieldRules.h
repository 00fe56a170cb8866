#pragma once

#include <QString>

// What a field name of a new database may be: 1 to 25 capital letters A to Z,
// at most twelve fields; the same name may appear twice.
namespace FieldRules {

constexpr int MaxNameLength = 25;
constexpr int MaxFields = 12;

enum class Verdict { Accepted, Empty, InvalidFormat, TooMany };

// The verdict on `typed`, the name as the user typed it (letters of either
// case; stored upper-cased), as the next of `count` fields.
Verdict Check(const QString& typed, int count);

struct Refusal {
    QString text;
    QString title;
};
// The message and its title for a refused name (both empty when accepted).
Refusal RefusalFor(Verdict verdict);

}  // namespace FieldRules
