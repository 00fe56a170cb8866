#include "store/RankIndex.h"

void RankIndex::invalidate() {
    valid_ = false;
    ids_.clear();
    ids_.shrink_to_fit();
}

void RankIndex::assign(std::vector<qint64> ids) {
    ids_ = std::move(ids);
    valid_ = true;
}

std::size_t RankIndex::lowerBound(const QByteArray& key, qint64 id, const KeyOf& keyOf) const {
    std::size_t low = 0;
    std::size_t high = ids_.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        const qint64 midId = ids_[mid];
        const int c = keyOf(midId).compare(key);
        const bool before = c < 0 || (c == 0 && midId < id);
        if (before) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

void RankIndex::insertAt(std::size_t index, qint64 id) {
    ids_.insert(ids_.begin() + static_cast<std::ptrdiff_t>(index), id);
}

void RankIndex::remove(const QByteArray& key, qint64 id, const KeyOf& keyOf) {
    const std::size_t at = lowerBound(key, id, keyOf);
    if (at < ids_.size() && ids_[at] == id) {
        ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
        invalidate();
    }
}
