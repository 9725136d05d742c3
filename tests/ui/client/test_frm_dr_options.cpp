// The Options dialog: its settings, its list of the program folder's files and
// the sorting by a column click.
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "client_window_fixture.h"
#include "common/ini.h"
#include "ui/client/frm_dr_options.h"

using namespace drtest;
using dr::ui::frmDROptions;
using dr::ui::frmDRClient;

namespace {

std::string ini(const TestEnv& env, const char* key) {
    return dr::ReadIniValue(env.path("dr-client.ini"), "general", key);
}

QTreeWidgetItem* rowOf(QTreeWidget* list, const std::string& fullPath) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(frmDROptions::colFullFilename).toStdString() == fullPath)
            return list->topLevelItem(i);
    return nullptr;
}

// Answers the Options dialog: the test changes its fields, then OK is clicked.
std::function<void(QDialog&)> options(std::function<void(frmDROptions&)> edit) {
    return [edit](QDialog& d) {
        auto* dlg = qobject_cast<frmDROptions*>(&d);
        ASSERT_NE(dlg, nullptr);
        edit(*dlg);
        dlg->cmdOK->click();
    };
}

} // namespace

TEST_F(ClientWindowTest, MaxResultsTypedAsTwoHundredFiftyIsStoredAndLimitsTheNextSearch) {
    std::vector<std::string> records;
    for (int i = 0; i < 300; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "report%03d.txt", i);
        std::string folder = file(std::string("docs/") + name);
        records.push_back(listRecord(name, folder, "2026-12-09 17:05"));
    }
    writeList("work.DR", records);
    frmDRClient& w = start();
    onDialog = options([](frmDROptions& d) {
        EXPECT_EQ(d.cmbLimit->currentText(), "100");
        d.cmbLimit->setEditText("250");
    });
    w.mnuToolsOptions->trigger();
    EXPECT_EQ(dialogs, std::vector<std::string>{"frmDROptions"});
    EXPECT_EQ(ini(env, "maxresults"), "250");
    EXPECT_EQ(dr::client::settings().maxResults, 250);

    w.txtFind->setText("report");
    w.cmdFind->click();
    EXPECT_EQ(lastCaption(), "Findwright  - 250 Matches");
    EXPECT_NE(page().find("report249.txt"), std::string::npos);
    EXPECT_EQ(page().find("report250.txt"), std::string::npos);
}

TEST_F(ClientWindowTest, AutosizeIsWrittenAndReadBack) {
    frmDRClient& w = create();
    onDialog = options([](frmDROptions& d) {
        d.cmdPrevSize->setCurrentIndex(d.cmdPrevSize->findText("Autosize"));
        d.chkShowMissing->setChecked(true);
    });
    w.showOptions();
    EXPECT_EQ(ini(env, "picPrevSize"), "Autosize");
    EXPECT_EQ(ini(env, "ShowMissing"), "1");
    EXPECT_EQ(dr::client::settings().previewSize, 1);

    frmDROptions again;
    EXPECT_EQ(again.cmdPrevSize->currentText(), "Autosize");
    EXPECT_TRUE(again.chkShowMissing->isChecked());
}

TEST_F(ClientWindowTest, OptionsShowTheSettingsAndCancelWritesNothing) {
    env.write("dr-client.ini", "[general]\r\nmaxresults=40\r\npicPrevSize=150\r\nUpdateServer=1\r\n"
                               "ServerUpdatePath=/srv/lists\r\n");
    dr::client::LoadClientSettings();
    frmDROptions d;
    EXPECT_EQ(d.windowTitle(), "Options for Dirroller Client");
    EXPECT_EQ(d.cmbLimit->currentText(), "40");
    EXPECT_EQ(d.cmdPrevSize->currentText(), "150");
    EXPECT_TRUE(d.chkUpdateServer->isChecked());
    EXPECT_TRUE(d.txtServer->isEnabled());
    EXPECT_EQ(d.txtServer->text(), "/srv/lists/");
    d.chkUpdateServer->click();
    EXPECT_FALSE(d.txtServer->isEnabled());
    const std::string before = env.read("dr-client.ini");
    d.cmbLimit->setEditText("7");
    d.cmdCancel->click();
    EXPECT_EQ(env.read("dr-client.ini"), before);
}

TEST_F(ClientWindowTest, ChosenFileBecomesTheListOfTheNextSearch) {
    std::string docs = file("docs/alpha.txt");
    writeList("work.DR", {listRecord("alpha.txt", docs, "2026-12-09 17:05")});
    writeList("lists/other.DR", {listRecord("alpha.txt", docs, "2026-12-09 17:05"),
                                 listRecord("alpha.txt", docs, "2026-12-09 17:06")});
    frmDRClient& w = start();
    onDialog = options([this](frmDROptions& d) {
        QTreeWidgetItem* row = rowOf(d.lvwFiles, env.path("lists/other.DR"));
        ASSERT_NE(row, nullptr);
        d.lvwFiles->setCurrentItem(row);
        emit d.lvwFiles->itemClicked(row, frmDROptions::colFilename);
        EXPECT_EQ(d.txtSource->text().toStdString(), env.path("lists/other.DR"));
    });
    w.showOptions();
    EXPECT_EQ(ini(env, "dirroll"), env.path("lists/other.DR"));
    EXPECT_EQ(w.cmbDirroll->currentText(), "work"); // the combo keeps its entry
    w.txtFind->setText("alpha");
    w.cmdFind->click();
    EXPECT_EQ(lastCaption(), "Findwright  - 2 Matches");
}

TEST_F(ClientWindowTest, FileListRowsAndTheirColumns) {
    dr::client::LoadClientSettings();
    env.write("old.txt", "12345");
    age("old.txt", 4);
    env.write("recent.txt", "");
    age("recent.txt", 3);
    env.write("sub/deep/inner.Dat", std::string(1234567, 'x'));
    env.write("ancient-top.txt", "a");
    setFileTime(env.path("ancient-top.txt"), dr::DateTime{1990, 5, 1, 12, 0, 0});
    env.write("sub/ancient.txt", "a");
    setFileTime(env.path("sub/ancient.txt"), dr::DateTime{1990, 5, 1, 12, 0, 0});

    frmDROptions d;
    for (int c : {frmDROptions::colFullFilename, frmDROptions::colPath, frmDROptions::colType})
        EXPECT_TRUE(d.lvwFiles->isColumnHidden(c)) << c;
    EXPECT_EQ(d.lvwFiles->headerItem()->text(frmDROptions::colModified), "Modified");

    QTreeWidgetItem* inner = rowOf(d.lvwFiles, env.path("sub/deep/inner.Dat"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->text(frmDROptions::colFilename), "inner.Dat");
    EXPECT_EQ(inner->text(frmDROptions::colPath).toStdString(), env.path("sub/deep") + "/");
    EXPECT_EQ(inner->text(frmDROptions::colSize), "  1,234,567");
    EXPECT_EQ(inner->text(frmDROptions::colType), "DAT");

    struct Case { const char* name; bool listed; bool red; };
    for (const Case& k : {Case{"old.txt", true, true}, Case{"recent.txt", true, false},
                          Case{"ancient-top.txt", true, true}, Case{"sub/ancient.txt", false, false}}) {
        SCOPED_TRACE(k.name);
        QTreeWidgetItem* row = rowOf(d.lvwFiles, env.path(k.name));
        ASSERT_EQ(row != nullptr, k.listed);
        if (!row) continue;
        const QColor red(Qt::red);
        EXPECT_EQ(row->foreground(frmDROptions::colFilename).color() == red, k.red);
        EXPECT_EQ(row->foreground(frmDROptions::colModified).color() == red, k.red);
    }
    EXPECT_EQ(rowOf(d.lvwFiles, env.path("recent.txt"))->text(frmDROptions::colSize), "          0");
    EXPECT_EQ(rowOf(d.lvwFiles, env.path("old.txt"))->text(frmDROptions::colModified), "2026-12-07 09:00");
}

TEST_F(ClientWindowTest, SizeColumnClickedTwiceSortsDescendingThenAscending) {
    dr::client::LoadClientSettings();
    // Unpadded, "45" would sort after "300,000" as text.
    for (auto [name, size] : {std::pair{"a.bin", 5}, std::pair{"b.bin", 1200}, std::pair{"c.bin", 300000},
                              std::pair{"d.bin", 45}})
        env.write(std::string("sizes/") + name, std::string(static_cast<size_t>(size), 'x'));
    frmDROptions d;
    auto order = [&] {
        std::string names;
        for (int i = 0; i < d.lvwFiles->topLevelItemCount(); ++i) {
            QString n = d.lvwFiles->topLevelItem(i)->text(frmDROptions::colFilename);
            if (n.endsWith(".bin")) names += n.left(1).toStdString();
        }
        return names;
    };
    auto sizesSorted = [&](bool descending) {
        for (int i = 1; i < d.lvwFiles->topLevelItemCount(); ++i) {
            auto size = [&](int r) {
                return d.lvwFiles->topLevelItem(r)->text(frmDROptions::colSize).remove(',').trimmed().toLongLong();
            };
            if (descending ? size(i - 1) < size(i) : size(i - 1) > size(i)) return false;
        }
        return true;
    };
    emit d.lvwFiles->header()->sectionClicked(frmDROptions::colSize);
    EXPECT_EQ(order(), "cbda");
    EXPECT_TRUE(sizesSorted(true));
    emit d.lvwFiles->header()->sectionClicked(frmDROptions::colSize);
    EXPECT_EQ(order(), "adbc");
    EXPECT_TRUE(sizesSorted(false));
}
