#include "exchange/ExportFormat.h"

#include <array>

namespace {

struct Names {
    const char* extension;
    const char* kind;
};

// In the order of ExportFormat.
constexpr std::array<Names, 3> kNames = {{{".csv", "csv"}, {".html", "html"}, {".txt", "text"}}};

const Names& namesOf(ExportFormat format) {
    return kNames.at(static_cast<std::size_t>(format));
}

}  // namespace

QString ExtensionOf(ExportFormat format) {
    return QLatin1String(namesOf(format).extension);
}

QString KindOf(ExportFormat format) {
    return QLatin1String(namesOf(format).kind);
}
