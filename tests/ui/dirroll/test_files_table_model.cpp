// The table model over the engine's file list.
#include <QColor>
#include <QFont>

#include "dirroll/file_list.h"
#include "ui/dirroll/files_table_model.h"
#include "window_fixture.h"

using namespace drtest;
namespace roll = dr::roll;

namespace {
roll::FileList::Fields row(std::string_view name, std::string_view size) {
    roll::FileList::Fields f{};
    f[roll::Filename] = name;
    f[roll::Path] = "/d/";
    f[roll::Size] = size;
    f[roll::Type] = "TXT";
    f[roll::Modified] = "2026-12-10 09:15";
    return f;
}
} // namespace

TEST(FilesTableModel, CellsCheckBoxesColoursAndBold) {
    qtApp();
    roll::FileList files;
    files.append(row("a.txt", "        100"), 0x800080);
    files.append(row("b.txt", "      2,000"), 0, true);
    dr::ui::FilesTableModel m(files);
    ASSERT_EQ(m.rowCount(), 2);
    ASSERT_EQ(m.columnCount(), 14);

    EXPECT_EQ(m.headerData(roll::Size, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(), "Size");
    EXPECT_EQ(m.index(0, roll::Filename).data().toString().toStdString(), "a.txt");
    EXPECT_EQ(m.index(1, roll::Size).data().toString().toStdString(), "2,000");
    EXPECT_EQ(m.index(1, roll::Size).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_FALSE(m.index(0, roll::FullFilename).data().isValid());
    EXPECT_EQ(m.index(0, roll::FullFilename).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(m.index(1, roll::FullFilename).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(m.flags(m.index(0, roll::FullFilename)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(m.flags(m.index(0, roll::Filename)) & Qt::ItemIsUserCheckable);

    // Colours are 0x00BBGGRR; columns 2 to 6 take them.
    EXPECT_EQ(m.index(0, roll::Type).data(Qt::ForegroundRole).value<QColor>(), QColor(0x80, 0x00, 0x80));
    EXPECT_FALSE(m.index(0, roll::Created).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(m.index(1, roll::Filename).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(dr::ui::colourOf(0xC0), QColor(0xC0, 0, 0));

    files.setBold(0, true);
    EXPECT_TRUE(m.index(0, roll::Filename).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(m.index(0, roll::Modified).data(Qt::FontRole).isValid());

    int toggled = -1;
    m.onTagToggled = [&](int r, bool on) { toggled = on ? r : -r - 10; };
    EXPECT_TRUE(m.setData(m.index(0, roll::FullFilename), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(files.tagged(0));
    EXPECT_EQ(toggled, 0);
    EXPECT_FALSE(m.setData(m.index(0, roll::Filename), Qt::Checked, Qt::CheckStateRole));
}

TEST(FilesTableModel, FollowsTheEnginesChanges) {
    qtApp();
    roll::FileList files;
    dr::ui::FilesTableModel m(files);
    int inserted = 0, reset = 0, layout = 0;
    QObject::connect(&m, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&m, &QAbstractItemModel::modelReset, [&] { ++reset; });
    QObject::connect(&m, &QAbstractItemModel::layoutChanged, [&] { ++layout; });

    files.append(row("b", "1"));
    files.append(row("a", "2"));
    EXPECT_EQ(m.rowCount(), 0); // appended rows are announced in batches
    files.publish();
    EXPECT_EQ(m.rowCount(), 2);
    EXPECT_EQ(inserted, 1);

    files.columnClick(roll::Filename);
    EXPECT_EQ(layout, 1);
    EXPECT_EQ(m.index(0, roll::Filename).data().toString().toStdString(), "b"); // descending first

    files.removeRow(0);
    EXPECT_EQ(m.rowCount(), 1);
    EXPECT_EQ(m.index(0, roll::Filename).data().toString().toStdString(), "a");
    EXPECT_FALSE(m.index(5, roll::Filename).data().isValid());

    files.clear();
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_GE(reset, 1);
}
