#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>

#include "ui/run_log_view.h"
#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowLayoutTest = WindowTest;

TEST_F(WindowLayoutTest, FormFitsTheDesignedSize) {
    QSize needed = window.minimumSizeHint();
    EXPECT_LE(needed.width(), 1280);
    EXPECT_LE(needed.height(), 800);
}

TEST_F(WindowLayoutTest, EveryShownControlLiesInsideTheWindow) {
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
        QRect area(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(inside.contains(area)) << name.toStdString();
        EXPECT_GE(widget->width(), 20) << name.toStdString();
        EXPECT_GE(widget->height(), 15) << name.toStdString();
    }
}

TEST_F(WindowLayoutTest, ButtonsShowTheirWholeCaption) {
    show_window();
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->isVisible()) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
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

// Leaves a picture of the form in the test's folder, to look at.
TEST_F(WindowLayoutTest, WindowCanBePicturedAtItsDesignedSize) {
    fake.files.add_folder("/data/inversion/grid");
    form.controls.caption = "Zelkon Cluster Controller on CONTROL1";
    form.controls.Dir1 = "/data/inversion";
    form.append_run_log("\rZelkon Cluster Controller\r\rReady");
    GridControl& grid = form.controls.Grid_server_stats;
    grid.set_cols(6);
    grid.set_rows(3);
    grid.cell(0, 0).text = "Server Name";
    grid.cell(1, 0).text = "node1/0/4";
    grid.cell(1, 1).back_color = kColorGreen;
    grid.cell(2, 0).text = "node2/0/4";
    grid.cell(2, 1).back_color = kColorRed;
    grid.col_widths = {2000, 900, 2000, 2000, 2000, 2000};
    window.refresh();
    show_window();
    QPixmap picture = window.grab();
    EXPECT_EQ(picture.size(), QSize(1280, 800));
    EXPECT_TRUE(picture.save(QDir::current().filePath("main_window_1280x800.png")));
}

}  // namespace
}  // namespace zelkon
