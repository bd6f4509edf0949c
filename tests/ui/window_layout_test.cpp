#include <QPushButton>
#include <QTableWidget>

#include "ui/run_log_view.h"
#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowLayoutTest = WindowTest;

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

}  // namespace
}  // namespace zelkon
