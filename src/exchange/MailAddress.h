#pragma once

#include <QString>

// The plain address form name@domain that the mail boxes take.
namespace MailAddress {

// True for name@domain: no blanks, brackets, quotes or control characters,
// one @ with text on both sides and a dot-separated domain.
bool isPlain(const QString& address);

// True when the text holds a character outside ASCII, which a server that
// speaks plain SMTP refuses in an address.
bool holdsNonAscii(const QString& text);

// True when the text holds a line break or another control character, which
// would let it speak to the server on its own.
bool holdsControl(const QString& text);

}  // namespace MailAddress
