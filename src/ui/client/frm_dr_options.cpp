#include "ui/client/frm_dr_options.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "client/client_settings.h"
#include "common/format.h"
#include "common/ini.h"
#include "common/runtime.h"
#include "ui/client/frm_dr_client.h"
#include "ui/common/qt_host.h"
#include "ui/common/twips.h"

namespace dr::ui {

using dr::client::settings;

namespace {

// Rows sort as text, without regard to case.
class FileItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        int col = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(col).compare(other.text(col), Qt::CaseInsensitive) < 0;
    }
};

std::string ymd(const DateTime& t) { return formatDate(t, "yyyymmdd"); }

void writeKey(const char* key, const std::string& value) {
    WriteIniValue(dr::client::kIniSection, key, value, dr::client::IniPath());
}

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

} // namespace

std::vector<frmDROptions::FileRow> frmDROptions::listProgramFiles() {
    std::vector<FileRow> rows;
    const DateTime today = now();
    const DateTime subFrom = today.addDays(-9999), subTo = today.addDays(99999);
    const std::string todayDay = ymd(today);

    std::function<void(const std::string&, bool)> walk = [&](const std::string& folder, bool top) {
        std::vector<std::string> subfolders;
        platform().listFolder(folder, true, [&](const Platform::DirEntry& e) {
            std::string name(e.name, e.nameLen);
            std::string path = folder + "/" + name;
            if (e.isDir) {
                subfolders.push_back(std::move(path));
                return true;
            }
            const FileStat& st = *e.stat;
            if (!st.exists || st.isDir) return true;
            DateTime modified = DateTime::fromTimeT(st.modified, true);
            if (top) {
                std::string day = ymd(modified);
                if (day < "19700101" || day > "20990101") return true;
            } else if (modified < subFrom || modified > subTo) {
                return true;
            }
            FileRow r;
            r.fullPath = path;
            r.name = name;
            r.folder = folder + "/";
            r.size = st.size == 0 ? "0" : formatInt(int64_t(st.size), "###,###,###,###");
            if (r.size.size() < 11) r.size.insert(0, 11 - r.size.size(), ' ');
            size_t dot = name.rfind('.');
            r.type = dot == std::string::npos ? "" : UCase(name.substr(dot + 1));
            r.modified = formatDate(modified, "yyyy-mm-dd hh:mm");
            r.red = ymd(modified.addDays(3)) < todayDay;
            rows.push_back(std::move(r));
            return true;
        });
        for (const std::string& sub : subfolders) walk(sub, false);
    };
    walk(rt().programFolder, true);
    return rows;
}

frmDROptions::frmDROptions(QWidget* parent) : QDialog(parent) {
    setObjectName("frmDROptions");
    setWindowTitle("Options for Dirroller Client");
    setModal(true);
    setFont(frmDRClient::designFont());
    setFixedSize(toPx(kDesignWidth), toPx(kDesignHeight));
    auto at = [](QWidget* w, int64_t l, int64_t t, int64_t wd, int64_t h) {
        w->setGeometry(toPx(l), toPx(t), toPx(wd), toPx(h));
    };

    Label3 = named(new QLabel("Max results", this), "Label3");
    at(Label3, 120, 180, 1000, 255);
    cmbLimit = named(new QComboBox(this), "cmbLimit");
    cmbLimit->setEditable(true);
    cmbLimit->addItems({"10", "40", "100", "400", "1000", "4000"});
    at(cmbLimit, 1140, 120, 1155, 315);
    chkShowMissing = named(new QCheckBox("Show missing files", this), "chkShowMissing");
    at(chkShowMissing, 2460, 150, 2000, 255);

    framePreview = named(new QGroupBox("Picture Preview Mode", this), "framePreview");
    at(framePreview, 4560, 0, 2085, 720);
    Label2 = named(new QLabel("Size", framePreview), "Label2");
    at(Label2, 120, 360, 450, 255);
    cmdPrevSize = named(new QComboBox(framePreview), "cmdPrevSize");
    cmdPrevSize->setEditable(true);
    cmdPrevSize->addItems({"32", "64", "100", "150", "200", "250", "Autosize"});
    at(cmdPrevSize, 600, 300, 1365, 315);

    frameServer = named(new QGroupBox("Update Dirrolls from a Server", this), "frameServer");
    at(frameServer, 120, 780, 6525, 1020);
    chkUpdateServer = named(
        new QCheckBox("Update Dirrolls from this path (can be a server path - //server/folder/ )", frameServer),
        "chkUpdateServer");
    at(chkUpdateServer, 120, 300, 6285, 255);
    txtServer = named(new QLineEdit(frameServer), "txtServer");
    at(txtServer, 120, 600, 6285, 315);

    Label1 = named(new QLabel("Previously Saved Dirrolls", this), "Label1");
    at(Label1, 120, 1890, 3000, 255);
    lvwFiles = named(new QTreeWidget(this), "lvwFiles");
    lvwFiles->setRootIsDecorated(false);
    lvwFiles->setUniformRowHeights(true);
    lvwFiles->setAllColumnsShowFocus(true);
    lvwFiles->setColumnCount(kColumns);
    lvwFiles->setHeaderLabels({"FullFilename", "Filename", "Path", "Size", "Type", "Modified"});
    lvwFiles->header()->setSectionsClickable(true);
    lvwFiles->header()->setStretchLastSection(false);
    at(lvwFiles, 120, 2160, 6525, 2880);

    cmdOK = named(new QPushButton("OK", this), "cmdOK");
    cmdOK->setDefault(true);
    at(cmdOK, 3960, 5160, 1275, 435);
    cmdCancel = named(new QPushButton("Cancel", this), "cmdCancel");
    cmdCancel->setAutoDefault(false);
    at(cmdCancel, 5370, 5160, 1275, 435);
    txtSource = named(new QLineEdit(this), "txtSource");
    txtSource->hide();

    connect(chkUpdateServer, &QCheckBox::clicked, this, &frmDROptions::updateServerClicked);
    connect(lvwFiles, &QTreeWidget::itemClicked, this, &frmDROptions::filesClicked);
    connect(lvwFiles->header(), &QHeaderView::sectionClicked, this, &frmDROptions::columnClicked);
    connect(cmdOK, &QPushButton::clicked, this, &frmDROptions::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDROptions::cancelClicked);

    formLoad();
}

void frmDROptions::formLoad() {
    const auto& s = settings();
    txtSource->setText(qs(s.currentListPath));
    const int64_t widths[kColumns] = {0, 2700, 0, 1000, 0, 1700};
    for (int c = 0; c < kColumns; ++c) {
        // A column of width 0 is there but cannot be seen.
        lvwFiles->setColumnHidden(c, widths[c] == 0);
        if (widths[c] > 0) lvwFiles->setColumnWidth(c, toPx(widths[c]));
    }
    cmbLimit->setEditText(QString::number(s.maxResults));
    fillFiles();
    if (s.previewSize == 1) cmdPrevSize->setCurrentIndex(cmdPrevSize->findText("Autosize"));
    else cmdPrevSize->setEditText(QString::number(s.previewSize));
    chkShowMissing->setChecked(s.showMissing);
    chkUpdateServer->setChecked(s.updateServer == "1");
    txtServer->setText(qs(s.serverUpdatePath));
    updateServerClicked();
}

void frmDROptions::fillFiles() {
    lvwFiles->clear();
    QList<QTreeWidgetItem*> items;
    for (const FileRow& r : listProgramFiles()) {
        auto* item = new FileItem(QStringList{qs(r.fullPath), qs(r.name), qs(r.folder), qs(r.size), qs(r.type),
                                              qs(r.modified)});
        item->setTextAlignment(colSize, Qt::AlignRight | Qt::AlignVCenter);
        if (r.red) {
            item->setForeground(colFilename, QColor(Qt::red));
            item->setForeground(colModified, QColor(Qt::red));
        }
        items.push_back(item);
    }
    lvwFiles->addTopLevelItems(items);
}

void frmDROptions::updateServerClicked() { txtServer->setEnabled(chkUpdateServer->isChecked()); }

void frmDROptions::filesClicked() {
    if (QTreeWidgetItem* item = lvwFiles->currentItem()) txtSource->setText(item->text(colFullFilename));
}

void frmDROptions::columnClicked(int column) {
    if (column < 0 || column >= kColumns) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    order_ = order_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    lvwFiles->sortItems(column, order_);
    QApplication::restoreOverrideCursor();
}

void frmDROptions::okClicked() {
    writeKey("dirroll", ss(txtSource->text()));
    writeKey("maxresults", ss(cmbLimit->currentText()));
    writeKey("picPrevSize", ss(cmdPrevSize->currentText()));
    writeKey("UpdateServer", chkUpdateServer->isChecked() ? "1" : "0");
    writeKey("ShowMissing", chkShowMissing->isChecked() ? "1" : "0");
    writeKey("ServerUpdatePath", ss(txtServer->text()));
    dr::client::LoadClientSettings();
    accept();
}

void frmDROptions::cancelClicked() { reject(); }

} // namespace dr::ui
