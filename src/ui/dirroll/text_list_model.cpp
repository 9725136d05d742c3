#include "ui/dirroll/text_list_model.h"

namespace dr::ui {

QVariant TextListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<size_t>(index.row()) >= items_.size()) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const std::string& s = items_[static_cast<size_t>(index.row())];
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QVariant TextListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (section == 0 && o == Qt::Horizontal && role == Qt::DisplayRole) return header_;
    return {};
}

void TextListModel::refresh() {
    beginResetModel();
    shown_ = items_.size();
    endResetModel();
}

} // namespace dr::ui
