#pragma once

#include <QString>
#include <optional>

// The mail server box: "host" (port 25), "host:port", or an smtp:// or
// smtps:// address. smtp+clear:// names an smtp:// server through which the
// user has agreed to send in clear text when it offers no encryption.
namespace MailServer {

// The server's address as the transfer takes it, or nothing when the text is
// none of the forms above.
std::optional<QString> address(const QString& typed);

// True when mail may go to the server unencrypted: the user asked for it with
// smtp+clear://, or the server is on this machine (localhost, 127.x.x.x,
// [::1]), so that nothing crosses a network.
bool clearAllowed(const QString& typed);

// How the user asks for clear text to the server at `address` (as address()
// gives it): "smtp+clear://host:port".
QString clearRequest(const QString& address);

}  // namespace MailServer
