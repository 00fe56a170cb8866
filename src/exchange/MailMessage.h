#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The mail as it goes to the server: headers and a UTF-8 text body, with
// CR LF line ends throughout and no line longer than 998 octets.
struct MailMessage {
    QString from;  // plain name@domain addresses
    QString to;
    QString subject;
    QString body;
    QDateTime date;
    // The unique part of the Message-ID, before the sender's domain.
    QString uniqueId;

    QByteArray compose() const;

    // A header value as RFC 2047 encoded words when it is not plain printable
    // ASCII, so that no text of the user's can end a header or start another.
    static QByteArray headerText(const QString& text);
    // Line ends as CR LF, ending with one.
    static QByteArray bodyLines(const QString& body);
};
