#include "ui/right_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/run_log_view.h"
#include "ui/widget_factory.h"

namespace zelkon {
namespace {

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

}  // namespace

QWidget* build_right_panel(QWidget* parent, FormWidgets& w) {
    auto* right = new QWidget(parent);
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(build_figures(right, w));
    column->addWidget(build_results(right, w), 1);
    return right;
}

}  // namespace zelkon
