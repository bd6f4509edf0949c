#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <stdexcept>
#include <utility>
#include <vector>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"
#include "ui/main_window.h"

namespace zelkon {

// A form on fake parts and its window at the size the form is designed for.
class WindowTest : public testing::Test {
  protected:
    WindowTest() { window.resize(1280, 800); }

    // The widget named as a control; fails the test when there is none.
    template <typename Widget>
    Widget& control(const char* name) {
        auto* widget = window.findChild<Widget*>(QString(name));
        if (!widget) {
            ADD_FAILURE() << "no widget named " << name;
            throw std::runtime_error(name);
        }
        return *widget;
    }

    // The one-line boxes by name with the controls they show: the settings
    // the user types, then the figures.
    std::vector<std::pair<const char*, TextControl*>> text_boxes() {
        FormControls& c = form.controls;
        return {{"Text_work_drive", &c.Text_work_drive},
                {"Text_work_folder", &c.Text_work_folder},
                {"Text_jobID", &c.Text_jobID},
                {"Text_max_tasks", &c.Text_max_tasks},
                {"Text_network_share", &c.Text_network_share},
                {"Text_set_folder", &c.Text_set_folder},
                {"Text_tasks_remaining", &c.Text_tasks_remaining},
                {"Text_tasks_processing", &c.Text_tasks_processing},
                {"Text_tasks_done", &c.Text_tasks_done},
                {"Text_tasks_completed", &c.Text_tasks_completed},
                {"Text_mtx_ndata", &c.Text_mtx_ndata},
                {"Text_mtx_mx", &c.Text_mtx_mx},
                {"Text_mtx_my", &c.Text_mtx_my},
                {"Text_mtx_mz", &c.Text_mtx_mz},
                {"Text_mtx_size", &c.Text_mtx_size},
                {"Text_mtx_compression", &c.Text_mtx_compression},
                {"Text_speedup", &c.Text_speedup},
                {"Text_overheads", &c.Text_overheads}};
    }
    static constexpr std::size_t kTypedBoxes = 6;

    void show_window() {
        window.show();
        QApplication::processEvents();
    }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
    MainWindow window{form};
};

inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace zelkon
