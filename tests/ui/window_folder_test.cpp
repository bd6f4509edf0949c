#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "ui/dropped_paths.h"
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
        fake.files.add_file("/data/inversion/zelkon.inp", "");
    }

    void drop_on_folder_list(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QWidget* viewport = control<FolderList>("Dir1").viewport();
        QPoint centre = viewport->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
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

// The list shows the chain down to the folder and the folders in it; Enter
// on one of them chooses it.
TEST_F(WindowFolderTest, FolderListShowsThePathAndChoosesAFolder) {
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
    EXPECT_TRUE(list.findItems("other", Qt::MatchExactly | Qt::MatchRecursive).empty());

    list.setCurrentItem(current->child(0));
    QTest::keyClick(&list, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(form.controls.Dir1, "/data/inversion/grid");
    EXPECT_EQ(list.shown_folder(), "/data/inversion/grid");
}

// Only the first item dropped counts, and only when it is a folder.
TEST_F(WindowFolderTest, ADroppedFolderBecomesTheInversionFolder) {
    form.controls.Dir1 = "/data/other";
    drop_on_folder_list({QUrl::fromLocalFile("/data/inversion/zelkon.inp"),
                         QUrl::fromLocalFile("/data/inversion")});
    EXPECT_EQ(form.controls.Dir1, "/data/other");
    drop_on_folder_list(
        {QUrl::fromLocalFile("/data/inversion"), QUrl::fromLocalFile("/data/other")});
    EXPECT_EQ(form.controls.Dir1, "/data/inversion");
    EXPECT_EQ(control<FolderList>("Dir1").shown_folder(), "/data/inversion");
}

// A remote URL stays text, so it is no folder; a drop without URLs gives nothing.
TEST(DroppedPathsTest, UrlListGivesPathsInOrder) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/data/inv one"), QUrl("https://example.org/data")});
    EXPECT_EQ(dropped_paths(data),
              (std::vector<std::string>{"/data/inv one", "https://example.org/data"}));
    QMimeData text;
    text.setText("/data/inv");
    EXPECT_FALSE(dropped_paths(text).has_value());
}

TEST_F(WindowFolderTest, TheDriveListOffersTheFormsDrivesAndChoosingOneShowsIt) {
    auto& drives = control<QComboBox>("Drive1");
    std::vector<std::string> offered;
    for (int i = 0; i < drives.count(); ++i) {
        offered.push_back(drives.itemText(i).toStdString());
    }
    EXPECT_EQ(offered, form.drive_list());

    form.controls.Dir1 = "/data/inversion";
    form.controls.Drive1.clear();
    window.refresh();
    drives.setFocus();
    QTest::keyClick(&drives, Qt::Key_Down);
    std::string first_drive = form.drive_list().front();
    EXPECT_EQ(form.controls.Drive1, first_drive);
    EXPECT_EQ(form.controls.Dir1, first_drive);
    EXPECT_EQ(control<FolderList>("Dir1").shown_folder(), first_drive);
}

}  // namespace
}  // namespace zelkon
