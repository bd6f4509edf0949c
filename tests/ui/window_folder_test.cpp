#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "ui/folder_list.h"
#include "window_fixture.h"

namespace zelkon {
namespace {

class WindowFolderTest : public WindowTest {
  protected:
    WindowFolderTest() {
        fake.files.add_folder("/data/inversion/grid");
        fake.files.add_folder("/data/inversion/old");
        fake.files.add_folder("/data/other");
    }

    void drop_on_folder_list(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        auto& list = control<FolderList>("Dir1");
        QPoint centre = list.viewport()->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &enter);
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &drop);
    }

    QTreeWidgetItem* item_named(const QString& name) {
        auto items =
            control<FolderList>("Dir1").findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return items.size() == 1 ? items.front() : nullptr;
    }
};

TEST_F(WindowFolderTest, SetFolderButtonMovesTheListsToTheTypedFolder) {
    auto& typed = control<QLineEdit>("Text_set_folder");
    QTest::keyClicks(&typed, "/data/inversion");
    control<QPushButton>("Command_set_folder").click();
    EXPECT_EQ(form.controls.Dir1, "/data/inversion");
    EXPECT_EQ(control<FolderList>("Dir1").shown_folder(), "/data/inversion");
    EXPECT_EQ(control<QComboBox>("Drive1").currentText(), q(form.controls.Drive1));
    EXPECT_EQ(typed.text(), "/data/inversion");
}

TEST_F(WindowFolderTest, FolderListShowsThePathDownToTheFolderAndItsSubfolders) {
    form.controls.Dir1 = "/data/inversion";
    window.refresh();
    auto& list = control<FolderList>("Dir1");
    QTreeWidgetItem* current = list.currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(0), "inversion");
    ASSERT_NE(current->parent(), nullptr);
    EXPECT_EQ(current->parent()->text(0), "data");
    ASSERT_EQ(current->childCount(), 2);
    EXPECT_EQ(current->child(0)->text(0), "grid");
    EXPECT_EQ(current->child(1)->text(0), "old");
    EXPECT_EQ(item_named("other"), nullptr);
}

TEST_F(WindowFolderTest, DoubleClickingAFolderMakesItTheInversionFolder) {
    form.controls.Dir1 = "/data/inversion";
    window.refresh();
    show_window();
    auto& list = control<FolderList>("Dir1");
    QTreeWidgetItem* grid = item_named("grid");
    ASSERT_NE(grid, nullptr);
    // A double click begins with a click, which picks the item the second press lands on.
    QPoint centre = list.visualItemRect(grid).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
    QApplication::processEvents();
    EXPECT_EQ(form.controls.Dir1, "/data/inversion/grid");
    EXPECT_EQ(list.shown_folder(), "/data/inversion/grid");
}

TEST_F(WindowFolderTest, EnterOnAFolderMakesItTheInversionFolder) {
    form.controls.Dir1 = "/data/inversion";
    window.refresh();
    auto& list = control<FolderList>("Dir1");
    list.setCurrentItem(item_named("data"));
    QTest::keyClick(&list, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(form.controls.Dir1, "/data");
}

TEST_F(WindowFolderTest, DroppedFolderBecomesTheInversionFolder) {
    drop_on_folder_list(
        {QUrl::fromLocalFile("/data/other"), QUrl::fromLocalFile("/data/inversion")});
    EXPECT_EQ(form.controls.Dir1, "/data/other");
    EXPECT_EQ(control<FolderList>("Dir1").shown_folder(), "/data/other");
}

TEST_F(WindowFolderTest, DroppedFileChangesNothing) {
    fake.files.add_file("/data/inversion/zelkon.inp", "");
    form.controls.Dir1 = "/data/other";
    drop_on_folder_list({QUrl::fromLocalFile("/data/inversion/zelkon.inp")});
    EXPECT_EQ(form.controls.Dir1, "/data/other");
}

TEST_F(WindowFolderTest, ChoosingADriveShowsThatDrive) {
    form.controls.Dir1 = "/data/inversion";
    form.controls.Drive1.clear();
    window.refresh();
    auto& drives = control<QComboBox>("Drive1");
    drives.setFocus();
    QTest::keyClick(&drives, Qt::Key_Down);
    std::string first_drive = form.drive_list().front();
    EXPECT_EQ(form.controls.Drive1, first_drive);
    EXPECT_EQ(form.controls.Dir1, first_drive);
    EXPECT_EQ(control<FolderList>("Dir1").shown_folder(), first_drive);
}

}  // namespace
}  // namespace zelkon
