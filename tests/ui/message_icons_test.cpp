#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
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

// A failure box breaks its lines between words only: a path, "-" and all,
// stays on one line, and the box grows to hold it.
TEST(MessageIcons, AFailureBoxHoldsAPathOnOneLine) {
    const QString path = "/net/nosuchhost/scratch/a-rather-long-folder-name/Job_000014/";
    EXPECT_EQ(unbroken_paths("at /a-b here"),
              QString("at /") + kWordJoiner + "a" + kWordJoiner + "-" + kWordJoiner + "b here");
    int label_width = 0;
    int path_width = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        auto* label = box != nullptr ? box->findChild<QLabel*>("qt_msgbox_label") : nullptr;
        if (label != nullptr) {
            label_width = label->contentsRect().width();
            path_width = label->fontMetrics().horizontalAdvance(path);
        }
        if (box != nullptr) {
            box->reject();
        }
    });
    QtWidgetDialogs().warning(
        "An error occurred while setting up the cluster run: Path not found: " +
        path.toStdString() + " at stage 10 while performing action: Set up the work folders");
    EXPECT_GT(path_width, 0);
    EXPECT_GE(label_width, path_width);
}

}  // namespace
}  // namespace zelkon
