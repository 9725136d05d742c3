#pragma once
// lvwFiles as a Qt table model over the engine's file list: no item per row,
// data() reads only the row it is asked for.
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <functional>

#include "dirroll/file_list.h"

namespace dr::ui {

class FilesTableModel : public QAbstractTableModel, public dr::roll::FileListListener {
    Q_OBJECT
public:
    explicit FilesTableModel(dr::roll::FileList& files, QObject* parent = nullptr);
    ~FilesTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    dr::roll::FileList& files() { return files_; }
    // Headers renamed by the engine.
    void headersChanged();
    // Rows appended by the engine reach the views at most every `ms`
    // milliseconds (0: at once): each announcement repaints the list, and a
    // large load announces thousands of batches.
    void setAppendInterval(int ms) { appendMs_ = ms; }
    // Announces rows appended but not yet shown.
    void flushAppends();

    // How often data() was asked (the benchmark checks scrolling stays local).
    uint64_t dataCalls() const { return dataCalls_; }
    void resetDataCalls() { dataCalls_ = 0; }

    // A row's box ticked or cleared by the user.
    std::function<void(int row, bool tagged)> onTagToggled;
    // The list was hidden or shown by the engine (a large load).
    std::function<void(bool visible)> onVisibility;

    // FileListListener
    void rowsReset() override;
    void rowsAppended(size_t first, size_t count) override;
    void rowsChanged(size_t first, size_t last) override;
    void rowsRemoved(size_t first, size_t count) override;
    void rowsReordered() override;
    void visibilityChanged(bool visible) override;

private:
    dr::roll::FileList& files_;
    int shown_ = 0; // rows the views know of; moves only between begin/end calls
    int appendMs_ = 0;
    bool flushQueued_ = false;
    QElapsedTimer lastAppend_;
    mutable uint64_t dataCalls_ = 0;
};

// 0x00BBGGRR as the settings file keeps colours.
QColor colourOf(uint32_t bgr);

} // namespace dr::ui
