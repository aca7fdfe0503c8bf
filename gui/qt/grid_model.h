// A table model over a grid model: cells are read on demand, so a grid of
// 100,000 rows costs no widget per cell. The grid's changes of shape reach
// the views bracketed as Qt expects (begin/end insert, remove, reset), its
// cell changes as dataChanged. The grid must outlive the model.
#pragma once

#include <QAbstractTableModel>

#include "platform/ui/grid.h"

namespace korvane::qt {

class GridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Takes the grid's view hooks; the destructor gives them back empty.
    explicit GridModel(ui::Grid& grid, QObject* parent = nullptr);
    ~GridModel() override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Grid rows of the model's rows: the fixed rows are the header.
    long grid_row(int model_row) const { return model_row + header_rows(); }
    int model_row(long grid_row) const { return static_cast<int>(grid_row - header_rows()); }
    // True from the grid's announcement of a change of shape to its end,
    // while views move their current cells to follow.
    bool reshaping() const { return reshaping_; }

signals:
    // Widths, hidden rows or columns changed, or many cells at once (Redraw
    // back on): a view re-applies what it shows of the grid's layout.
    void grid_layout_changed();

private:
    void shape_changing(const ui::ShapeChange& c);
    void shape_changed(const ui::ShapeChange& c);
    void cells_changed(long r0, long c0, long r1, long c1);
    long header_rows() const { return grid_.FixedRows() > 0 ? 1 : 0; }
    bool in_grid(const QModelIndex& index) const;
    QString text(long row, long col) const;

    ui::Grid& grid_;
    bool reshaping_ = false;
    bool header_moved_ = false;  // rows went in before the header row
};

}  // namespace korvane::qt
