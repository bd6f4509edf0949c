#include "ui/left_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/folder_list.h"
#include "ui/widget_factory.h"

namespace zelkon {
namespace {

QWidget* build_settings(QWidget* parent, FormWidgets& w) {
    QFrame* panel = make_panel(parent);
    auto* grid = new QGridLayout(panel);
    QLabel* servers = make_heading(StaticLabel::servers, panel);
    w.Text_server = new QPlainTextEdit(panel);
    w.Text_server->setObjectName("Text_server");
    w.Text_server->setLineWrapMode(QPlainTextEdit::NoWrap);
    w.Text_server->setTabChangesFocus(true);
    servers->setBuddy(w.Text_server);
    grid->addWidget(servers, 0, 0, 1, 4);
    grid->addWidget(w.Text_server, 1, 0, 1, 4);
    grid->setRowStretch(1, 1);

    // The drive is a root folder such as a home folder; the work folder is
    // usually one short name below it.
    w.Text_work_drive = make_path_box("Text_work_drive", panel);
    w.Text_work_folder = make_text_box("Text_work_folder", panel);
    auto* work = new QHBoxLayout;
    work->addWidget(w.Text_work_drive, 3);
    work->addWidget(w.Text_work_folder, 2);
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

    w.Text_set_folder = make_path_box("Text_set_folder", panel);
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

}  // namespace

QWidget* build_left_panel(QWidget* parent, FormWidgets& w, const FileSystem& files) {
    auto* left = new QWidget(parent);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(build_settings(left, w), 2);
    column->addWidget(build_folder(left, w, files), 3);
    column->addLayout(build_buttons(left, w));
    return left;
}

}  // namespace zelkon
