#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "store/RecordManager.h"

// The five comparisons a search offers, by the names the user chooses from.
namespace SearchCriteria {

// In the order the list offers them; the first is the one preset.
QStringList Names();

// The comparison of a name exactly as listed (case counts); nothing for any
// other text.
std::optional<TrmSearch> Named(const QString& name);

}  // namespace SearchCriteria
