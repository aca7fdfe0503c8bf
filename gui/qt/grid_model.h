// A table model over a grid model: cells are read on demand, so a grid of
// 100,000 rows costs no widget per cell.
#pragma once

#include <QAbstractTableModel>

#include "platform/ui/grid.h"

namespace korvane::qt {

class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(ui::Grid& grid, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Grid rows of the model's rows: the fixed rows are the header.
    long grid_row(int model_row) const { return model_row + header_rows(); }
    int model_row(long grid_row) const { return static_cast<int>(grid_row - header_rows()); }
    void reset() { beginResetModel(); endResetModel(); }
    void cells_changed(long r0, long c0, long r1, long c1);

private:
    long header_rows() const { return grid_.FixedRows() > 0 ? 1 : 0; }
    ui::Grid& grid_;
};

}  // namespace korvane::qt
