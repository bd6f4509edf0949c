#include "ui/form_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/folder_list.h"
#include "ui/run_log_view.h"
#include "ui/widget_factory.h"

namespace zelkon {
namespace {

constexpr int kLeftPanelWidth = 360;

QFrame* make_panel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    return panel;
}

// A label in front of its box, which it names for keyboard users.
void add_labelled(QGridLayout* grid, int row, int col, StaticLabel text, QWidget* box) {
    QLabel* label = make_static_label(text, box->parentWidget());
    label->setBuddy(box);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, row, col);
    grid->addWidget(box, row, col + 1);
}

QWidget* build_settings(QWidget* parent, FormWidgets& w) {
    QFrame* panel = make_panel(parent);
    auto* grid = new QGridLayout(panel);
    QLabel* servers = make_heading(StaticLabel::servers, panel);
    w.Text_server = new QPlainTextEdit(panel);
    w.Text_server->setObjectName("Text_server");
    w.Text_server->setLineWrapMode(QPlainTextEdit::NoWrap);
    servers->setBuddy(w.Text_server);
    grid->addWidget(servers, 0, 0, 1, 4);
    grid->addWidget(w.Text_server, 1, 0, 1, 4);
    grid->setRowStretch(1, 1);

    w.Text_work_drive = make_text_box("Text_work_drive", panel);
    w.Text_work_drive->setMaximumWidth(60);
    w.Text_work_folder = make_text_box("Text_work_folder", panel);
    auto* work = new QHBoxLayout;
    work->addWidget(w.Text_work_drive);
    work->addWidget(w.Text_work_folder, 1);
    QLabel* work_label = make_static_label(StaticLabel::local_work_drive_folder, panel);
    work_label->setBuddy(w.Text_work_drive);
    grid->addWidget(work_label, 2, 0, 1, 4);
    grid->addLayout(work, 3, 0, 1, 4);

    w.Text_jobID = make_text_box("Text_jobID", panel);
    w.Text_max_tasks = make_text_box("Text_max_tasks", panel);
    add_labelled(grid, 4, 0, StaticLabel::job_id, w.Text_jobID);
    add_labelled(grid, 4, 2, StaticLabel::max_tasks, w.Text_max_tasks);

    w.Text_network_share = make_text_box("Text_network_share", panel);
    QLabel* share_label = make_static_label(StaticLabel::network_share, panel);
    share_label->setBuddy(w.Text_network_share);
    grid->addWidget(share_label, 5, 0, 1, 4);
    grid->addWidget(w.Text_network_share, 6, 0, 1, 4);

    w.Check_use_RPC = new QCheckBox(panel);
    w.Check_use_RPC->setObjectName("Check_use_RPC");
    grid->addWidget(w.Check_use_RPC, 7, 0, 1, 4);
    return panel;
}

QWidget* build_folder(QWidget* parent, FormWidgets& w, const FileSystem& files) {
    QFrame* panel = make_panel(parent);
    auto* column = new QVBoxLayout(panel);
    QLabel* heading = make_heading(StaticLabel::inversion_location, panel);
    w.Drive1 = new QComboBox(panel);
    w.Drive1->setObjectName("Drive1");
    w.Dir1 = new FolderList(files, panel);
    w.Dir1->setObjectName("Dir1");
    heading->setBuddy(w.Drive1);
    column->addWidget(heading);
    column->addWidget(w.Drive1);
    column->addWidget(w.Dir1, 1);

    w.Text_set_folder = make_text_box("Text_set_folder", panel);
    w.Command_set_folder = make_button("Command_set_folder", panel);
    auto* set_row = new QHBoxLayout;
    set_row->addWidget(w.Text_set_folder, 1);
    set_row->addWidget(w.Command_set_folder);
    column->addLayout(set_row);
    return panel;
}

// Stop covers Start Cluster Run, and Pause and Resume take turns in one
// place: each pair shares a cell, the later one on top.
QLayout* build_buttons(QWidget* parent, FormWidgets& w) {
    auto* grid = new QGridLayout;
    for (int i = 0; i < 2; ++i) {
        w.Command_start_cluster_run[i] =
            make_button(QString("Command_start_cluster_run_%1").arg(i), parent);
        w.Command_pause_run[i] =
            make_stacked_button(QString("Command_pause_run_%1").arg(i), parent);
        grid->addWidget(w.Command_start_cluster_run[i], 0, i);
        grid->addWidget(w.Command_pause_run[i], 1, 0);
    }
    w.Command_stop_cluster_run = make_button("Command_stop_cluster_run", parent);
    grid->addWidget(w.Command_stop_cluster_run, 0, 1);
    w.Command_stop_cluster_run->raise();
    w.Command_done = make_button("Command_done", parent);
    grid->addWidget(w.Command_done, 1, 1);
    return grid;
}

QWidget* build_left(QWidget* parent, FormWidgets& w, const FileSystem& files) {
    auto* left = new QWidget(parent);
    left->setFixedWidth(kLeftPanelWidth);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(build_settings(left, w), 2);
    column->addWidget(build_folder(left, w, files), 3);
    column->addLayout(build_buttons(left, w));
    return left;
}

// Three columns of figures: the task counts with speed-up; the matrix; the
// times. The progress bar runs below them all.
void add_task_figures(QGridLayout* grid, QWidget* panel, FormWidgets& w) {
    w.Text_tasks_remaining = make_figure_box("Text_tasks_remaining", panel);
    w.Text_tasks_processing = make_figure_box("Text_tasks_processing", panel);
    w.Text_tasks_done = make_figure_box("Text_tasks_done", panel);
    w.Text_tasks_completed = make_figure_box("Text_tasks_completed", panel);
    w.Text_speedup = make_figure_box("Text_speedup", panel);
    add_labelled(grid, 0, 0, StaticLabel::tasks_pending, w.Text_tasks_remaining);
    add_labelled(grid, 1, 0, StaticLabel::running, w.Text_tasks_processing);
    add_labelled(grid, 2, 0, StaticLabel::done, w.Text_tasks_done);
    add_labelled(grid, 3, 0, StaticLabel::assembled, w.Text_tasks_completed);
    add_labelled(grid, 4, 0, StaticLabel::speedup, w.Text_speedup);
}

void add_matrix_figures(QGridLayout* grid, QWidget* panel, FormWidgets& w) {
    w.Text_mtx_mx = make_figure_box("Text_mtx_mx", panel);
    w.Text_mtx_my = make_figure_box("Text_mtx_my", panel);
    w.Text_mtx_mz = make_figure_box("Text_mtx_mz", panel);
    auto* cells = new QHBoxLayout;
    cells->addWidget(w.Text_mtx_mx);
    cells->addWidget(w.Text_mtx_my);
    cells->addWidget(w.Text_mtx_mz);
    QLabel* array = make_static_label(StaticLabel::mtx_array, panel);
    array->setBuddy(w.Text_mtx_mx);
    array->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(array, 0, 2);
    grid->addLayout(cells, 0, 3);

    w.Text_mtx_ndata = make_figure_box("Text_mtx_ndata", panel);
    w.Text_mtx_size = make_figure_box("Text_mtx_size", panel);
    w.Text_mtx_compression = make_figure_box("Text_mtx_compression", panel);
    w.Text_overheads = make_figure_box("Text_overheads", panel);
    add_labelled(grid, 1, 2, StaticLabel::data, w.Text_mtx_ndata);
    add_labelled(grid, 2, 2, StaticLabel::expected_mtx_size, w.Text_mtx_size);
    add_labelled(grid, 3, 2, StaticLabel::compression, w.Text_mtx_compression);
    add_labelled(grid, 4, 2, StaticLabel::overhead, w.Text_overheads);
}

void add_time_figures(QGridLayout* grid, QWidget* panel, FormWidgets& w) {
    w.Label_logging_time = make_value_label("Label_logging_time", panel);
    w.Label_estimated_duration = make_value_label("Label_estimated_duration", panel);
    w.Label_expected_finish = make_value_label("Label_expected_finish", panel);
    w.Label_estimated_time_remaining = make_value_label("Label_estimated_time_remaining", panel);
    add_labelled(grid, 0, 4, StaticLabel::elapsed_time, w.Label_logging_time);
    add_labelled(grid, 1, 4, StaticLabel::expected_duration, w.Label_estimated_duration);
    add_labelled(grid, 2, 4, StaticLabel::expected_finish_time, w.Label_expected_finish);
    add_labelled(grid, 3, 4, StaticLabel::time_remaining, w.Label_estimated_time_remaining);
}

void add_progress(QGridLayout* grid, QWidget* panel, FormWidgets& w) {
    w.ProgressBar_tasks = new QProgressBar(panel);
    w.ProgressBar_tasks->setObjectName("ProgressBar_tasks");
    QLabel* tasks = make_static_label(StaticLabel::tasks, panel);
    tasks->setBuddy(w.ProgressBar_tasks);
    tasks->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(tasks, 5, 0);
    grid->addWidget(w.ProgressBar_tasks, 5, 1, 1, 5);
}

QWidget* build_figures(QWidget* parent, FormWidgets& w) {
    QFrame* panel = make_panel(parent);
    auto* grid = new QGridLayout(panel);
    add_task_figures(grid, panel, w);
    add_matrix_figures(grid, panel, w);
    add_time_figures(grid, panel, w);
    add_progress(grid, panel, w);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 3);
    grid->setColumnStretch(5, 3);
    return panel;
}

QWidget* build_results(QWidget* parent, FormWidgets& w) {
    auto* splitter = new QSplitter(Qt::Vertical, parent);
    w.Grid_server_stats = new QTableWidget(splitter);
    w.Grid_server_stats->setObjectName("Grid_server_stats");
    w.Grid_server_stats->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A selection highlight would hide the green and red of the Enabled column.
    w.Grid_server_stats->setSelectionMode(QAbstractItemView::NoSelection);
    w.Grid_server_stats->verticalHeader()->hide();
    QHeaderView* rows = w.Grid_server_stats->verticalHeader();
    rows->setDefaultSectionSize(rows->fontMetrics().height() + 8);
    w.TextBox_run_log = new RunLogView(splitter);
    w.TextBox_run_log->setObjectName("TextBox_run_log");
    splitter->addWidget(w.Grid_server_stats);
    splitter->addWidget(w.TextBox_run_log);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setChildrenCollapsible(false);
    return splitter;
}

QWidget* build_right(QWidget* parent, FormWidgets& w) {
    auto* right = new QWidget(parent);
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(build_figures(right, w));
    column->addWidget(build_results(right, w), 1);
    return right;
}

void build_menu(QMainWindow& window, FormWidgets& w) {
    w.menu_file = window.menuBar()->addMenu(QString());
    w.menu_file->setObjectName("menu_file");
    w.menu_read_setup = w.menu_file->addAction(QString());
    w.menu_read_setup->setObjectName("menu_read_setup");
    w.menu_save_setup = w.menu_file->addAction(QString());
    w.menu_save_setup->setObjectName("menu_save_setup");
}

}  // namespace

FormWidgets build_form(QMainWindow& window, const FileSystem& files) {
    FormWidgets w;
    auto* central = new QWidget(&window);
    auto* row = new QHBoxLayout(central);
    row->addWidget(build_left(central, w, files));
    row->addWidget(build_right(central, w), 1);
    window.setCentralWidget(central);
    build_menu(window, w);
    return w;
}

}  // namespace zelkon
