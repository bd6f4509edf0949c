#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableWidget>

#include "ui/run_log_view.h"
#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowLayoutTest = WindowTest;

// The width a one-line box gives its text: inside its frame and margins,
// less the two pixels Qt leaves free on either side.
int text_room(const QLineEdit& box) {
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.lineWidth = box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box);
    QRect inside = box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box);
    QMargins margins = box.textMargins();
    return inside.width() - margins.left() - margins.right() - 4;
}

// A 30-character path shows whole in the path boxes at the smallest and the
// designed size; a bigger window gives them, the run log and the grid more room.
TEST_F(WindowLayoutTest, ABiggerWindowGivesThePathBoxesLogAndGridMoreRoom) {
    const QString path = "/srv/zelkon/inversions/area-07";
    ASSERT_EQ(path.size(), 30);
    show_window();
    auto& work_drive = control<QLineEdit>("Text_work_drive");
    auto& set_folder = control<QLineEdit>("Text_set_folder");
    auto& log = control<RunLogView>("TextBox_run_log");
    auto& grid = control<QTableWidget>("Grid_server_stats");
    std::vector<std::vector<int>> rooms;
    for (QSize size : {window.minimumSizeHint(), QSize(1280, 800), QSize(1920, 1080)}) {
        window.resize(size);
        QApplication::processEvents();
        rooms.push_back({text_room(work_drive), text_room(set_folder), log.width(), log.height(),
                         grid.width(), grid.height()});
    }
    int needed = work_drive.fontMetrics().horizontalAdvance(path);
    for (int box : {0, 1}) {
        EXPECT_GE(rooms[0][box], needed) << box;
        EXPECT_GE(rooms[1][box], needed) << box;
    }
    for (std::size_t i = 0; i < rooms[1].size(); ++i) {
        EXPECT_GT(rooms[2][i], rooms[1][i]) << i;
    }
}

// The form sizes the grid's columns from the width the window gives it; the
// default stands for a window of the designed size.
TEST_F(WindowLayoutTest, TheFormKnowsTheGridsWidthInTwips) {
    show_window();
    auto& grid = control<QTableWidget>("Grid_server_stats");
    EXPECT_EQ(form.controls.Grid_server_stats_width, grid.width() * 15);
    EXPECT_NEAR(kDefaultGridWidthTwips, grid.width() * 15, 750);
    window.resize(1600, 1000);
    QApplication::processEvents();
    EXPECT_EQ(form.controls.Grid_server_stats_width, grid.width() * 15);
}

}  // namespace
}  // namespace zelkon
