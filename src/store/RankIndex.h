#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstddef>
#include <functional>
#include <vector>

// The record identities of a file in key-1 order, so that "the n-th record"
// costs one lookup instead of a walk. Built from the key-1 index in one scan
// when first needed, then kept current by single inserts, deletes and key
// changes; a batch of changes simply invalidates it for one rebuild later.
class RankIndex {
public:
    using KeyOf = std::function<QByteArray(qint64 id)>;

    bool valid() const { return valid_; }
    void invalidate();
    void assign(std::vector<qint64> ids);

    std::size_t size() const { return ids_.size(); }
    qint64 idAt(std::size_t index) const { return ids_[index]; }
    const std::vector<qint64>& ids() const { return ids_; }

    // Where a record with this key and identity stands (or would stand) in
    // (key, identity) order; `keyOf` gives the stored key of a ranked record.
    std::size_t lowerBound(const QByteArray& key, qint64 id, const KeyOf& keyOf) const;
    void insertAt(std::size_t index, qint64 id);
    // Removes the identity if it is where its key says; else the index is
    // no longer trusted and is invalidated.
    void remove(const QByteArray& key, qint64 id, const KeyOf& keyOf);

private:
    std::vector<qint64> ids_;
    bool valid_ = false;
};
