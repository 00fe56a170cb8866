#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QStringList>
#include <vector>

// The find window's grid: "REC#" and a column per field over a list of record
// identities. A row is read from the file the first time it is shown and kept
// while it is among the rows most recently shown, so that memory follows what
// is on screen and one identity per listed row. An empty list still shows one
// empty row.
class FoundRecordsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit FoundRecordsModel(QObject* parent = nullptr);

    // Lists these records of the file open on `handle` under these field names.
    void list(int handle, const QStringList& fieldNames, std::vector<qint64> positions);
    // The number column's heading, and its numbers as plain decimals rather
    // than the find window's (a public draw's pool numbers its entries so).
    void setNumbering(const QString& heading, bool plain);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    int handle() const { return handle_; }
    // The identity of the record in a row; 0 for the empty row of an empty list.
    qint64 positionAt(int row) const;
    // The field cells of a row as the grid shows them.
    QStringList cellsAt(int row) const;

private:
    // Rows kept: several screens' worth, so that scrolling back costs no reads.
    static constexpr int kRowsKept = 2000;

    int handle_ = 0;
    QString numberHeading_ = QStringLiteral("REC#");
    bool plainNumbers_ = false;
    QStringList names_;
    std::vector<qint64> positions_;
    mutable QCache<int, QStringList> rows_{kRowsKept};
};
