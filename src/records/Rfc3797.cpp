#include "records/Rfc3797.h"

#include <QCryptographicHash>
#include <QStringList>
#include <algorithm>

namespace {

// Decimal digits without leading zeros ("0" for zero).
QByteArray canonical(const QString& digits) {
    qsizetype start = 0;
    while (start + 1 < digits.size() && digits[start] == QLatin1Char('0')) ++start;
    return digits.mid(start).toLatin1();
}

// Numbers of any length in ascending order: the shorter is the smaller.
bool numericallyBefore(const QByteArray& a, const QByteArray& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

bool allDigits(const QString& token) {
    return !token.isEmpty() && std::all_of(token.begin(), token.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

}  // namespace

Rfc3797::Key Rfc3797::FromTyped(const QString& typed) {
    Key key;
    const QStringList lines = typed.split(QLatin1Char('\n'));
    for (qsizetype line = 0; line < lines.size(); ++line) {
        QList<QByteArray> numbers;
        for (const QString& token :
             lines[line].simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!allDigits(token)) {
                key.problem =
                    QStringLiteral(
                        "Line %1 of the sources holds \"%2\", which is not a whole number.")
                        .arg(line + 1)
                        .arg(token);
                return {{}, key.problem, 0};
            }
            numbers << canonical(token);
        }
        if (numbers.isEmpty()) continue;
        std::sort(numbers.begin(), numbers.end(), numericallyBefore);
        for (const QByteArray& n : numbers) key.text += n + '.';
        key.text += '/';
        ++key.sources;
    }
    if (key.sources == 0)
        key.problem = QStringLiteral("Name at least one source: a line of whole numbers.");
    return key;
}

QByteArray Rfc3797::FromNumber(const QString& decimal) {
    return canonical(decimal) + "./";
}

QByteArray Rfc3797::Md5(qint64 selection, const QByteArray& key) {
    const char counter[2] = {char((selection >> 8) & 0xFF), char(selection & 0xFF)};
    QCryptographicHash md5(QCryptographicHash::Md5);
    md5.addData(QByteArrayView(counter, 2));
    md5.addData(key);
    md5.addData(QByteArrayView(counter, 2));
    return md5.result();
}

quint64 Rfc3797::Remainder(const QByteArray& md5, quint64 divisor) {
    // Long division a byte at a time: exact for any divisor a pool can have.
    Q_ASSERT(divisor >= 1 && divisor < (quint64(1) << 55));
    quint64 remainder = 0;
    for (const char byte : md5) remainder = (remainder * 256 + quint8(byte)) % divisor;
    return remainder;
}

Rfc3797::Draw::Draw(QByteArray key, qint64 size)
    : key_(std::move(key)), tree_(std::size_t(size) + 1), left_(size) {
    // Every entry in the pool: node j counts the entries of its range.
    for (qint64 j = 1; j <= size; ++j) tree_[std::size_t(j)] = qint32(j & -j);
    while (highBit_ * 2 <= size) highBit_ *= 2;
}

qint64 Rfc3797::Draw::take(qint64 position) {
    const auto size = qint64(tree_.size()) - 1;
    qint64 at = 0;
    for (qint64 step = highBit_; step > 0; step /= 2) {
        if (at + step <= size && tree_[std::size_t(at + step)] < position) {
            at += step;
            position -= tree_[std::size_t(at)];
        }
    }
    const qint64 number = at + 1;
    for (qint64 j = number; j <= size; j += j & -j) --tree_[std::size_t(j)];
    --left_;
    return number;
}

Rfc3797::Draw::Selection Rfc3797::Draw::next() {
    Selection s;
    s.index = index_++;
    s.md5 = Md5(s.index, key_);
    s.left = left_;
    s.position = qint64(Remainder(s.md5, quint64(left_))) + 1;
    s.number = take(s.position);
    return s;
}
