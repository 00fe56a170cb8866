#include "exchange/MailMessage.h"

#include <QLocale>

namespace {

// Encoded words stay within the 75 characters a word may take: 45 bytes of
// text become 60 of base64.
constexpr qsizetype WordBytes = 45;
// Beyond this a plain header line would pass the 998 octets a line may hold.
constexpr qsizetype PlainLimit = 900;
// The octets a line of a mail may hold before its CR LF.
constexpr qsizetype LineLimit = 998;
// Base64 lines are cut at the length mail programs write.
constexpr qsizetype Base64Line = 76;

bool isPlainAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    }
    return text.size() <= PlainLimit;
}

QByteArray encodedWord(const QByteArray& bytes) {
    return "=?UTF-8?B?" + bytes.toBase64() + "?=";
}

QByteArray domainOf(const QString& address) {
    return address.mid(address.lastIndexOf(QLatin1Char('@')) + 1).toUtf8();
}

// The date's offset from UTC as +hhmm.
QByteArray zoneOf(const QDateTime& date) {
    const int minutes = date.offsetFromUtc() / 60;
    const int away = minutes < 0 ? -minutes : minutes;
    return QByteArray(1, minutes < 0 ? '-' : '+') +
           QByteArray::number(away / 60).rightJustified(2, '0') +
           QByteArray::number(away % 60).rightJustified(2, '0');
}

// True when a line of `lines` (CR LF ends) would pass the limit on the wire,
// where a leading dot is doubled.
bool holdsLongLine(const QByteArray& lines) {
    qsizetype start = 0;
    while (start < lines.size()) {
        const qsizetype end = lines.indexOf("\r\n", start);
        const qsizetype length = (end < 0 ? lines.size() : end) - start;
        const qsizetype dot = lines.at(start) == '.' ? 1 : 0;
        if (length + dot > LineLimit) return true;
        if (end < 0) break;
        start = end + 2;
    }
    return false;
}

QByteArray base64Lines(const QByteArray& bytes) {
    const QByteArray encoded = bytes.toBase64();
    QByteArray lines;
    for (qsizetype at = 0; at < encoded.size(); at += Base64Line)
        lines += encoded.mid(at, Base64Line) + "\r\n";
    return lines;
}

}  // namespace

QByteArray MailMessage::headerText(const QString& text) {
    if (isPlainAscii(text)) return text.toLatin1();
    QList<QByteArray> words;
    QByteArray word;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character and stays in one word.
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, n).toUtf8();
        if (word.size() + bytes.size() > WordBytes) {
            words << encodedWord(word);
            word.clear();
        }
        word += bytes;
        i += n - 1;
    }
    if (!word.isEmpty() || words.isEmpty()) words << encodedWord(word);
    return words.join("\r\n ");
}

QByteArray MailMessage::bodyLines(const QString& body) {
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toUtf8();
}

QByteArray MailMessage::compose() const {
    const QByteArray stamp =
        QLocale::c().toString(date, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")).toLatin1() +
        zoneOf(date);
    QByteArray mail;
    mail += "Date: " + stamp + "\r\n";
    mail += "From: " + from.toUtf8() + "\r\n";
    mail += "To: " + to.toUtf8() + "\r\n";
    mail += "Subject: " + headerText(subject) + "\r\n";
    mail += "Message-ID: <" + uniqueId.toUtf8() + "@" + domainOf(from) + ">\r\n";
    mail += "MIME-Version: 1.0\r\n";
    mail += "Content-Type: text/plain; charset=UTF-8\r\n";
    // Twelve fields of accented letters make a line longer than a server
    // must take; such a body goes as base64, which the reader's program
    // turns back into the very same bytes.
    const QByteArray lines = bodyLines(body);
    const bool encoded = holdsLongLine(lines);
    mail +=
        encoded ? "Content-Transfer-Encoding: base64\r\n" : "Content-Transfer-Encoding: 8bit\r\n";
    mail += "\r\n";
    mail += encoded ? base64Lines(lines) : lines;
    return mail;
}
