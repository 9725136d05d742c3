#pragma once
// frmDROptions: the result limit, missing files, the preview size, the server
// update, and the list of every file under the program folder to choose the
// list to search from.
#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace dr::ui {

class frmDROptions : public QDialog {
    Q_OBJECT
public:
    explicit frmDROptions(QWidget* parent = nullptr);

    static constexpr int kDesignWidth = 6765, kDesignHeight = 5715; // twips
    // Columns of lvwFiles.
    enum Column { colFullFilename, colFilename, colPath, colSize, colType, colModified, kColumns };

    QLabel* Label3 = nullptr;
    QComboBox* cmbLimit = nullptr;
    QCheckBox* chkShowMissing = nullptr;
    QGroupBox* framePreview = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cmdPrevSize = nullptr;
    QGroupBox* frameServer = nullptr;
    QCheckBox* chkUpdateServer = nullptr;
    QLineEdit* txtServer = nullptr;
    QLabel* Label1 = nullptr;
    QTreeWidget* lvwFiles = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLineEdit* txtSource = nullptr; // hidden: the list chosen here

    // One row of the file list as the dialog shows it.
    struct FileRow {
        std::string fullPath, name, folder, size, type, modified;
        bool red = false; // not modified for more than three days
    };
    // Every file of the program folder and, recursively, of its subfolders.
    static std::vector<FileRow> listProgramFiles();

    void updateServerClicked();
    void filesClicked();
    void columnClicked(int column);
    void okClicked();
    void cancelClicked();

    // The order the next column click gives (descending first).
    Qt::SortOrder sortOrder() const { return order_; }

private:
    void formLoad();
    void fillFiles();

    Qt::SortOrder order_ = Qt::AscendingOrder;
};

} // namespace dr::ui
