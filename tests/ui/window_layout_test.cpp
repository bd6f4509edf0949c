#include <QLineEdit>
#include <QPushButton>
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

// The form fits its designed size with every shown control inside the window,
// big enough to use, and every button wide enough for its caption.
TEST_F(WindowLayoutTest, EveryControlFitsTheDesignedSize) {
    QSize needed = window.minimumSizeHint();
    EXPECT_LE(needed.width(), 1280);
    EXPECT_LE(needed.height(), 800);
    show_window();
    QRect inside = window.rect();
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        QString name = widget->objectName();
        bool is_control = name.startsWith("Text_") || name.startsWith("Command_") ||
                          name.startsWith("Label_") || name.startsWith("Grid_") ||
                          name.startsWith("ProgressBar_") || name == "Drive1" || name == "Dir1" ||
                          name == "Check_use_RPC";
        if (!is_control || !widget->isVisible()) {
            continue;
        }
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(inside.contains(QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size())));
        EXPECT_GE(widget->width(), 20);
        EXPECT_GE(widget->height(), 15);
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_GE(button->width(), button->sizeHint().width());
        }
    }
}

// A 30-character path shows whole, whatever the window's size, and a wider
// window gives longer paths more room.
TEST_F(WindowLayoutTest, PathBoxesHoldATypicalPathAndGrow) {
    const QString path = "/srv/zelkon/inversions/area-07";
    ASSERT_EQ(path.size(), 30);
    show_window();
    for (const char* name : {"Text_work_drive", "Text_set_folder"}) {
        SCOPED_TRACE(name);
        auto& box = control<QLineEdit>(name);
        int needed = box.fontMetrics().horizontalAdvance(path);
        window.resize(window.minimumSizeHint());
        QApplication::processEvents();
        EXPECT_GE(text_room(box), needed);
        window.resize(1280, 800);
        QApplication::processEvents();
        int designed = text_room(box);
        EXPECT_GE(designed, needed);
        window.resize(1920, 1080);
        QApplication::processEvents();
        EXPECT_GT(text_room(box), designed);
    }
}

TEST_F(WindowLayoutTest, GrowingTheWindowGrowsTheRunLogAndTheGrid) {
    show_window();
    auto& log = control<RunLogView>("TextBox_run_log");
    auto& grid = control<QTableWidget>("Grid_server_stats");
    QSize log_before = log.size();
    QSize grid_before = grid.size();
    window.resize(1600, 1000);
    QApplication::processEvents();
    EXPECT_GT(log.width(), log_before.width());
    EXPECT_GT(log.height(), log_before.height());
    EXPECT_GT(grid.width(), grid_before.width());
    EXPECT_GT(grid.height(), grid_before.height());
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
