#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <stdexcept>

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

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
    MainWindow window{form};
};

}  // namespace zelkon
