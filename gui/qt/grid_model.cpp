#include "gui/qt/grid_model.h"

#include <QColor>

namespace korvane::qt {

GridModel::GridModel(ui::Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.Rows() - header_rows());
}

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(grid_.Cols()); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    long r = grid_row(index.row()), c = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(grid_.TextMatrix(r, c));
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
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Horizontal) return header_rows() ? QString::fromStdString(grid_.TextMatrix(0, section)) : QVariant();
    return section + 1;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (grid_.Editable() && grid_.Enabled() && index.column() >= grid_.FixedCols()) f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    long r = grid_row(index.row()), c = index.column();
    if (!grid_.editing() && !grid_.begin_edit(r, c)) return false;
    return grid_.commit_edit(value.toString().toStdString());
}

void GridModel::cells_changed(long r0, long c0, long r1, long c1) {
    if (r1 < header_rows()) {
        emit headerDataChanged(Qt::Horizontal, static_cast<int>(c0), static_cast<int>(c1));
        return;
    }
    emit dataChanged(index(model_row(std::max(r0, header_rows())), static_cast<int>(c0)),
                     index(model_row(r1), static_cast<int>(c1)));
}

}  // namespace korvane::qt
