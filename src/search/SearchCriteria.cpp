#include "search/SearchCriteria.h"

#include <array>
#include <utility>

namespace {

const std::array<std::pair<const char*, TrmSearch>, 5> kCriteria = {{
    {"Equal", TrmSearch::Equal},
    {"Equal or Greater", TrmSearch::EqualOrGreater},
    {"Equal or Less", TrmSearch::EqualOrLess},
    {"Greater", TrmSearch::Greater},
    {"Less", TrmSearch::Less},
}};

}  // namespace

QStringList SearchCriteria::Names() {
    QStringList names;
    for (const auto& [name, how] : kCriteria) names << QLatin1String(name);
    return names;
}

std::optional<TrmSearch> SearchCriteria::Named(const QString& name) {
    for (const auto& [listed, how] : kCriteria) {
        if (name == QLatin1String(listed)) return how;
    }
    return std::nullopt;
}
