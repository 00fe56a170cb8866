#include "search/FoundRecordsModel.h"

#include <QGuiApplication>
#include <QPalette>

#include "search/FoundRecords.h"

FoundRecordsModel::FoundRecordsModel(QObject* parent) : QAbstractTableModel(parent) {}

void FoundRecordsModel::list(int handle, const QStringList& fieldNames,
                             std::vector<qint64> positions) {
    beginResetModel();
    handle_ = handle;
    names_ = fieldNames;
    positions_ = std::move(positions);
    rows_.clear();
    endResetModel();
}

void FoundRecordsModel::setNumbering(const QString& heading, bool plain) {
    beginResetModel();
    numberHeading_ = heading;
    plainNumbers_ = plain;
    endResetModel();
}

int FoundRecordsModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return std::max<int>(1, int(positions_.size()));
}

int FoundRecordsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(names_.size()) + 1;
}

qint64 FoundRecordsModel::positionAt(int row) const {
    return row >= 0 && std::size_t(row) < positions_.size() ? positions_[std::size_t(row)] : 0;
}

QStringList FoundRecordsModel::cellsAt(int row) const {
    const qint64 position = positionAt(row);
    if (position == 0) return {};
    if (const QStringList* kept = rows_.object(row)) return *kept;
    // A record deleted since it was listed shows as an empty row.
    auto* cells = new QStringList(
        FoundRecords::CellsOf(handle_, position, int(names_.size())).value_or(QStringList()));
    while (cells->size() < names_.size()) cells->append(QString());
    const QStringList shown = *cells;
    rows_.insert(row, cells);
    return shown;
}

QVariant FoundRecordsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    const int column = index.column();
    if (role == Qt::DisplayRole) {
        if (positionAt(row) == 0) return QString();
        if (column == 0) {
            return plainNumbers_ ? QString::number(row + 1) : FoundRecords::RowNumber(row + 1);
        }
        return cellsAt(row).value(column - 1);
    }
    // The number column looks like the header: it is where a listed record
    // is chosen.
    if (role == Qt::BackgroundRole && column == 0) {
        return QGuiApplication::palette().brush(QPalette::Button);
    }
    return {};
}

QVariant FoundRecordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical) return {};
    if (section == 0) return numberHeading_;
    return names_.value(section - 1);
}
