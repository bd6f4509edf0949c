#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "platform/qt_widget_dialogs.h"

namespace zelkon {
namespace {

// Shows one box and answers it as soon as it is up; returns its icon.
QMessageBox::Icon icon_of(const std::function<void()>& show) {
    QMessageBox::Icon seen = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            seen = box->icon();
            box->reject();
        }
    });
    show();
    return seen;
}

// The texts and buttons are the system's own; the icon tells news from a
// failure and from a question.
TEST(MessageIcons, FailuresWarnQuestionsAskAndNewsInforms) {
    QtWidgetDialogs dialogs;
    EXPECT_EQ(icon_of([&] { dialogs.message("The definitions have been loaded"); }),
              QMessageBox::Information);
    EXPECT_EQ(icon_of([&] { dialogs.warning("The mtx assembly file is not valid"); }),
              QMessageBox::Warning);
    EXPECT_EQ(icon_of([&] { dialogs.ask_yes_no("Stop current run?", true); }),
              QMessageBox::Question);
}

}  // namespace
}  // namespace zelkon
