#include "ui/dirroll/files_table_model.h"

#include <QColor>
#include <QFont>
#include <QTimer>
#include <limits>

namespace dr::ui {

using dr::roll::FileList;
namespace col = dr::roll;

QColor colourOf(uint32_t bgr) { return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff); }

static int clampRows(size_t n) {
    return n > static_cast<size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                      : static_cast<int>(n);
}

FilesTableModel::FilesTableModel(FileList& files, QObject* parent) : QAbstractTableModel(parent), files_(files) {
    shown_ = clampRows(files_.size());
    files_.addListener(this);
}

FilesTableModel::~FilesTableModel() { files_.removeListener(this); }

int FilesTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }
int FilesTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : col::kColumns; }

static QString fieldText(std::string_view v) {
    return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
}

QVariant FilesTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    size_t row = static_cast<size_t>(index.row());
    int c = index.column();
    if (row >= files_.size() || c < 0 || c >= col::kColumns) return {};
    ++dataCalls_;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        if (c == col::FullFilename) return {};
        std::string_view v = files_.field(row, c);
        // The stored size is padded with blanks for sorting; the column aligns it instead.
        if (c == col::Size)
            while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
        return fieldText(v);
    }
    case Qt::CheckStateRole:
        if (c == col::FullFilename) return files_.tagged(row) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole:
        if (c >= col::Filename && c <= col::Modified) {
            uint32_t colour = files_.colour(row);
            if (colour != 0) return colourOf(colour);
        }
        return {};
    case Qt::FontRole:
        if (c >= col::Filename && c <= col::Type && files_.bold(row)) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    case Qt::TextAlignmentRole:
        if (c == col::Size) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

bool FilesTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != col::FullFilename) return false;
    size_t row = static_cast<size_t>(index.row());
    if (row >= files_.size()) return false;
    bool on = value.toInt() == Qt::Checked;
    if (on == files_.tagged(row)) return true;
    files_.setTagged(row, on);
    if (onTagToggled) onTagToggled(index.row(), on);
    return true;
}

QVariant FilesTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || section < 0 || section >= col::kColumns) return {};
    if (role == Qt::DisplayRole) return fieldText(files_.headers[static_cast<size_t>(section)]);
    return {};
}

Qt::ItemFlags FilesTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == col::FullFilename) f |= Qt::ItemIsUserCheckable;
    return f;
}

void FilesTableModel::headersChanged() { emit headerDataChanged(Qt::Horizontal, 0, col::kColumns - 1); }

void FilesTableModel::flushAppends() {
    flushQueued_ = false;
    const size_t n = files_.size();
    if (n <= static_cast<size_t>(shown_)) return;
    const int last = clampRows(n) - 1;
    if (last < shown_) return;
    beginInsertRows({}, shown_, last);
    shown_ = last + 1;
    endInsertRows();
    lastAppend_.start();
}

void FilesTableModel::rowsReset() {
    flushQueued_ = false;
    beginResetModel();
    shown_ = clampRows(files_.size());
    endResetModel();
}

void FilesTableModel::rowsAppended(size_t, size_t) {
    if (appendMs_ <= 0 || !lastAppend_.isValid() || lastAppend_.elapsed() >= appendMs_) {
        flushAppends();
    } else if (!flushQueued_) {
        flushQueued_ = true;
        QTimer::singleShot(appendMs_, this, [this] {
            if (flushQueued_) flushAppends();
        });
    }
}

void FilesTableModel::rowsChanged(size_t first, size_t last) {
    flushAppends();
    if (shown_ == 0 || first >= static_cast<size_t>(shown_)) return;
    int l = static_cast<int>(std::min(last, static_cast<size_t>(shown_ - 1)));
    emit dataChanged(index(static_cast<int>(first), 0), index(l, col::kColumns - 1));
}

void FilesTableModel::rowsRemoved(size_t first, size_t count) {
    // Rows the views never saw, or a count that does not add up: start afresh.
    if (count == 0 || first >= static_cast<size_t>(shown_) ||
        static_cast<size_t>(shown_) - count != files_.size()) {
        rowsReset();
        return;
    }
    int f = static_cast<int>(first);
    int l = static_cast<int>(std::min(first + count, static_cast<size_t>(shown_))) - 1;
    beginRemoveRows({}, f, l);
    shown_ -= l - f + 1;
    endRemoveRows();
}

void FilesTableModel::rowsReordered() {
    flushAppends();
    if (static_cast<size_t>(shown_) != files_.size()) {
        rowsReset();
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Persistent indexes (the selection) cannot follow rows the engine moved
    // without telling where; they are dropped.
    const QModelIndexList old = persistentIndexList();
    changePersistentIndexList(old, QModelIndexList(old.size()));
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FilesTableModel::visibilityChanged(bool visible) {
    if (visible) flushAppends();
    if (onVisibility) onVisibility(visible);
}

} // namespace dr::ui
