#include "gui/qt/grid_model.h"

#include <QColor>

namespace korvane::qt {

GridModel::GridModel(ui::Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    grid_.on_shape_changing = [this](const ui::ShapeChange& c) { shape_changing(c); };
    grid_.on_shape_changed = [this](const ui::ShapeChange& c) { shape_changed(c); };
    grid_.on_cells_changed = [this](long r0, long c0, long r1, long c1) { cells_changed(r0, c0, r1, c1); };
    grid_.on_layout_changed = [this] {
        if (rowCount() > 0 && columnCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
        emit grid_layout_changed();
    };
}

GridModel::~GridModel() {
    grid_.on_shape_changing = nullptr;
    grid_.on_shape_changed = nullptr;
    grid_.on_cells_changed = nullptr;
    grid_.on_layout_changed = nullptr;
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.Rows() - header_rows());
}

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(grid_.Cols()); }

bool GridModel::in_grid(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < rowCount() && index.column() < columnCount();
}

// The grid speaks in its own rows, the header included; the model's rows
// start below the header.
void GridModel::shape_changing(const ui::ShapeChange& c) {
    reshaping_ = true;
    const long h = header_rows();
    const int count = static_cast<int>(c.last - c.first);
    switch (c.kind) {
    case ui::ShapeChange::InsertRows: {
        // Rows going in above the header push it down: for the model they
        // come in at the top, and the header shows another row.
        header_moved_ = c.first < h;
        const int first = static_cast<int>(std::max(c.first - h, 0L));
        beginInsertRows({}, first, first + count);
        break;
    }
    case ui::ShapeChange::RemoveRows:
        beginRemoveRows({}, model_row(c.first), model_row(c.last));  // fixed rows are never removed alone
        break;
    case ui::ShapeChange::InsertCols:
        beginInsertColumns({}, static_cast<int>(c.first), static_cast<int>(c.last));
        break;
    case ui::ShapeChange::RemoveCols:
        beginRemoveColumns({}, static_cast<int>(c.first), static_cast<int>(c.last));
        break;
    case ui::ShapeChange::Reset:
        beginResetModel();
        break;
    }
}

void GridModel::shape_changed(const ui::ShapeChange& c) {
    switch (c.kind) {
    case ui::ShapeChange::InsertRows:
        endInsertRows();
        if (header_moved_ && columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
        header_moved_ = false;
        break;
    case ui::ShapeChange::RemoveRows: endRemoveRows(); break;
    case ui::ShapeChange::InsertCols: endInsertColumns(); break;
    case ui::ShapeChange::RemoveCols: endRemoveColumns(); break;
    case ui::ShapeChange::Reset: endResetModel(); break;
    }
    reshaping_ = false;
}

QString GridModel::text(long row, long col) const {
    const std::string_view t = grid_.TextMatrix(row, col);
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!in_grid(index)) return {};
    long r = grid_row(index.row()), c = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(r, c);
    case Qt::BackgroundRole: {
        std::uint32_t bgr = grid_.CellBackColor(r, c);
        if (bgr == ui::kWhite) return {};
        return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    }
    case Qt::TextAlignmentRole:
        switch (grid_.ColAlignment(c)) {
        case ui::Alignment::Right: return int(Qt::AlignRight | Qt::AlignVCenter);
        case ui::Alignment::Center: return int(Qt::AlignCenter);
        default: return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole || section < 0) return {};
    if (o == Qt::Horizontal) {
        if (!header_rows() || section >= columnCount()) return {};
        return text(0, section);
    }
    return section < rowCount() ? QVariant(section + 1) : QVariant();
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!in_grid(index)) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (grid_.CellEditable(grid_row(index.row()), index.column())) f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !in_grid(index)) return false;
    long r = grid_row(index.row()), c = index.column();
    // An edit the grid still holds open on another cell lost its editor.
    if (grid_.editing() && (grid_.edit_row() != r || grid_.edit_col() != c)) grid_.cancel_edit();
    if (!grid_.editing() && !grid_.begin_edit(r, c)) return false;
    return grid_.commit_edit(value.toString().toStdString());
}

void GridModel::cells_changed(long r0, long c0, long r1, long c1) {
    const long h = header_rows();
    if (r0 < h) emit headerDataChanged(Qt::Horizontal, static_cast<int>(c0), static_cast<int>(c1));
    if (r1 >= h)
        emit dataChanged(index(model_row(std::max(r0, h)), static_cast<int>(c0)),
                         index(model_row(r1), static_cast<int>(c1)));
}

}  // namespace korvane::qt
