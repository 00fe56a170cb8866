#include "exchange/MailAddress.h"

#include <QRegularExpression>
#include <algorithm>

namespace MailAddress {

bool isPlain(const QString& address) {
    if (holdsControl(address)) return false;
    static const QRegularExpression form(QStringLiteral(
        R"(^[^\s@<>()\[\]\\,;:"]+@[^\s@<>()\[\]\\,;:".]+(\.[^\s@<>()\[\]\\,;:".]+)*$)"));
    return form.match(address).hasMatch();
}

bool holdsNonAscii(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x7f; });
}

bool holdsControl(const QString& text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

}  // namespace MailAddress
