#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <string>

#include "demo_run.h"
#include "ui/main_window.h"

namespace zelkon {
namespace {

// Kinds of widget whose whole face the user must see: texts, captions,
// lists and the header of the grid.
bool must_show_whole(const QWidget& widget) {
    return qobject_cast<const QLabel*>(&widget) || qobject_cast<const QAbstractButton*>(&widget) ||
           qobject_cast<const QLineEdit*>(&widget) || qobject_cast<const QComboBox*>(&widget) ||
           qobject_cast<const QProgressBar*>(&widget) || qobject_cast<const QMenuBar*>(&widget) ||
           qobject_cast<const QAbstractScrollArea*>(&widget) ||
           qobject_cast<const QHeaderView*>(&widget);
}

// A caption is cut below its size hint; other widgets below their minimum.
// The grid's sections scroll, but its header row must show its full height.
QSize needed_size(const QWidget& widget) {
    if (auto* header = qobject_cast<const QHeaderView*>(&widget)) {
        return QSize(0, header->sizeHint().height());
    }
    bool caption =
        qobject_cast<const QLabel*>(&widget) || qobject_cast<const QAbstractButton*>(&widget);
    QSize hint = caption ? widget.sizeHint() : widget.minimumSizeHint();
    return hint.expandedTo(widget.minimumSize());
}

// Whether every ancestor up to the window holds the widget whole.
bool inside_ancestors(const QWidget& widget, const QWidget& window) {
    for (const QWidget* parent = widget.parentWidget(); parent; parent = parent->parentWidget()) {
        QRect placed(widget.mapTo(parent, QPoint(0, 0)), widget.size());
        if (!parent->rect().contains(placed)) {
            return false;
        }
        if (parent == &window) {
            break;
        }
    }
    return true;
}

// The window with a run under way, shown at a size (empty: the smallest the
// layout allows).
class WindowClippingTest : public testing::TestWithParam<QSize> {
  protected:
    WindowClippingTest() {
        window.resize(size);
        window.show();
        QApplication::processEvents();
    }

    DemoRun demo;
    MainWindow window{demo.form};
    QSize size = GetParam().isEmpty() ? window.minimumSizeHint() : GetParam();
};

// The window takes the size: the designed one is no smaller than the layout needs.
TEST_P(WindowClippingTest, NoControlIsCut) {
    EXPECT_EQ(window.size(), size);
    int checked = 0;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || !must_show_whole(*widget)) {
            continue;
        }
        ++checked;
        QString name = widget->objectName().isEmpty() ? widget->metaObject()->className()
                                                      : widget->objectName();
        SCOPED_TRACE(name.toStdString() + " " + widget->property("text").toString().toStdString());
        QSize needed = needed_size(*widget);
        EXPECT_GE(widget->width(), needed.width());
        EXPECT_GE(widget->height(), needed.height());
        EXPECT_TRUE(inside_ancestors(*widget, window));
    }
    EXPECT_GT(checked, 40);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowClippingTest, testing::Values(QSize(1280, 800), QSize()),
                         [](const auto& info) {
                             return info.index == 0 ? "Designed" : "Smallest";
                         });

}  // namespace
}  // namespace zelkon
