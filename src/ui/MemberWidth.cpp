#include "ui/MemberWidth.h"

#include "store/RecordText.h"

namespace {

qsizetype bytesOf(const QString& text) {
    return RecordText::fromUnicode(text).size();
}

}  // namespace

QValidator::State MemberWidth::validate(QString& input, int& position) const {
    while (bytesOf(input) > width_ && input.size() > position && input.endsWith(QLatin1Char(' '))) {
        input.chop(1);
    }
    while (bytesOf(input) > width_ && position > 0) {
        // A character outside the basic plane is two UTF-16 units: both go.
        const int units = position > 1 && input.at(position - 1).isLowSurrogate() &&
                                  input.at(position - 2).isHighSurrogate()
                              ? 2
                              : 1;
        position -= units;
        input.remove(position, units);
    }
    return bytesOf(input) > width_ ? Invalid : Acceptable;
}
