#include "ui/form_layout.h"

#include <QHBoxLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "ui/left_panel.h"
#include "ui/right_panel.h"

namespace zelkon {
namespace {

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
    // Both sides grow with the window: the left for longer paths, the right
    // for the grid and the run log.
    row->addWidget(build_left_panel(central, w, files), 1);
    row->addWidget(build_right_panel(central, w), 2);
    window.setCentralWidget(central);
    build_menu(window, w);
    return w;
}

}  // namespace zelkon
