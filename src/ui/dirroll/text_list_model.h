#pragma once
// A one-column list view over a vector of engine texts (the panel's list of
// actual folders and the exclusion list), with a header caption.
#include <QAbstractListModel>
#include <string>
#include <vector>

namespace dr::ui {

class TextListModel : public QAbstractListModel {
    Q_OBJECT
public:
    TextListModel(const std::vector<std::string>& items, QString header, QObject* parent = nullptr)
        : QAbstractListModel(parent), items_(items), header_(std::move(header)), shown_(items.size()) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(shown_);
    }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // The vector changed.
    void refresh();

private:
    const std::vector<std::string>& items_;
    QString header_;
    size_t shown_;
};

} // namespace dr::ui
