#include "exchange/ImportText.h"

#include <algorithm>
#include <cstring>

#include "store/RecordText.h"
#include "store/Records.h"
#include "store/Windows1252.h"

namespace {

bool isAscii(QByteArrayView raw) {
    return std::all_of(raw.begin(), raw.end(), [](char c) { return (c & 0x80) == 0; });
}

bool fill(QByteArrayView bytes, char* field) {
    const qsizetype kept = RecordText::fittingLength(bytes, DataRecord::FieldWidth);
    std::memcpy(field, bytes.data(), std::size_t(kept));
    std::memset(field + kept, ' ', std::size_t(DataRecord::FieldWidth - kept));
    return kept < bytes.size();
}

}  // namespace

namespace ImportText {

bool place(QByteArrayView raw, CsvEncoding encoding, char* field) {
    if (isAscii(raw)) return fill(raw, field);
    // Composed, so that a letter written with a separate accent mark is kept
    // as the one accented letter and takes its place in the key order.
    return fill(
        RecordText::fromUnicode(text(raw, encoding).normalized(QString::NormalizationForm_C)),
        field);
}

bool isUtf8(QByteArrayView raw) {
    const auto* byte = reinterpret_cast<const unsigned char*>(raw.data());
    const auto* end = byte + raw.size();
    while (byte < end) {
        const unsigned char lead = *byte++;
        if (lead < 0x80) continue;
        // The lead byte gives the length; the second byte's range rules out
        // overlong forms, surrogates and code points past U+10FFFF.
        int more = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (end - byte < more || *byte < low || *byte > high) return false;
        for (++byte, --more; more > 0; ++byte, --more) {
            if ((*byte & 0xC0) != 0x80) return false;
        }
    }
    return true;
}

QString text(QByteArrayView raw, CsvEncoding encoding) {
    return encoding == CsvEncoding::Utf8 ? QString::fromUtf8(raw) : Windows1252::toUnicode(raw);
}

}  // namespace ImportText
