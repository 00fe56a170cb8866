#pragma once

#include <QString>
#include <optional>

// The mail server box: "host" (port 25), "host:port", or an smtp:// or
// smtps:// address.
namespace MailServer {

// The server's address as the transfer takes it, or nothing when the text is
// none of the forms above.
std::optional<QString> address(const QString& typed);

}  // namespace MailServer
