#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include "form/Form_zelkon_cluster_controller.h"
#include "ui/control_view.h"
#include "ui/folder_list.h"
#include "ui/form_edits.h"
#include "ui/form_layout.h"
#include "ui/form_view.h"
#include "ui/stats_grid_view.h"

namespace zelkon {

MainWindow::MainWindow(Form_zelkon_cluster_controller& form, QWidget* parent)
    : QMainWindow(parent), form_(form), widgets_(build_form(*this, form.platform.files)) {
    for (const std::string& drive : form_.drive_list()) {
        widgets_.Drive1->addItem(QString::fromStdString(drive));
    }
    connect_edits(widgets_, form_.controls);
    connect_commands();
    connect_menu();
    connect_folder_selection();
    follow_busy_pointer();
    report_grid_width(*widgets_.Grid_server_stats, form_.controls.Grid_server_stats_width);
    connect(&refresh_timer_, &QTimer::timeout, this, &MainWindow::refresh);
    refresh_timer_.start(kRefreshIntervalMs);
    refresh();
}

MainWindow::~MainWindow() {
    form_.hooks.on_busy_pointer = nullptr;
    set_busy_pointer(false);
}

void MainWindow::refresh() {
    show_window_caption(*this, form_.controls.caption);
    show_controls(widgets_, form_.controls);
    show_busy_pointer();
}

void MainWindow::show_busy_pointer() {
    set_busy_pointer(form_.controls.busy_pointer);
}

void MainWindow::run(const std::function<void()>& handler) {
    handler();
    refresh();
}

void MainWindow::connect_commands() {
    for (int i = 0; i < 2; ++i) {
        connect(widgets_.Command_start_cluster_run[i], &QPushButton::clicked, this,
                [this, i] { run([this, i] { form_.Command_start_cluster_run_Click(i); }); });
        connect(widgets_.Command_pause_run[i], &QPushButton::clicked, this, [this, i] {
            run([this, i] { form_.Command_pause_run_Click(static_cast<std::int16_t>(i)); });
        });
    }
    connect(widgets_.Command_stop_cluster_run, &QPushButton::clicked, this,
            [this] { run([this] { form_.Command_stop_cluster_run_Click(); }); });
    connect(widgets_.Command_done, &QPushButton::clicked, this,
            [this] { run([this] { form_.Command_done_Click(); }); });
}

void MainWindow::connect_menu() {
    connect(widgets_.menu_read_setup, &QAction::triggered, this,
            [this] { run([this] { form_.menu_read_setup_Click(); }); });
    connect(widgets_.menu_save_setup, &QAction::triggered, this,
            [this] { run([this] { form_.menu_save_setup_Click(); }); });
}

void MainWindow::connect_folder_selection() {
    connect(widgets_.Drive1, &QComboBox::textActivated, this, [this](const QString& drive) {
        run([this, drive] {
            form_.controls.Drive1 = drive.toStdString();
            form_.Drive1_Change();
        });
    });
    widgets_.Dir1->on_folder_chosen = [this](const std::string& folder) {
        run([this, folder] { form_.controls.Dir1 = folder; });
    };
    widgets_.Dir1->on_drop = [this](const std::optional<std::vector<std::string>>& paths) {
        run([this, &paths] { form_.Dir1_OLEDragDrop(paths); });
    };
    connect(widgets_.Command_set_folder, &QPushButton::clicked, this,
            [this] { run([this] { form_.Command_set_folder_Click(); }); });
}

// The form switches the busy pointer inside a long handler; the window must
// show it then, not after the handler has returned.
void MainWindow::follow_busy_pointer() {
    form_.hooks.on_busy_pointer = [this](bool) { show_busy_pointer(); };
}

void MainWindow::set_busy_pointer(bool busy) {
    if (busy == busy_pointer_shown_) {
        return;
    }
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    busy_pointer_shown_ = busy;
}

}  // namespace zelkon
