#include "ui/widget_factory.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "model/form_controls.h"

namespace zelkon {
namespace {

// Characters of a typical path, as wide as the letter x.
constexpr int kPathChars = 30;
// Qt sizes a one-line box for this many x's.
constexpr int kQtLineEditChars = 17;

int width_for_chars(const QLineEdit& box, int chars) {
    QFontMetrics metrics = box.fontMetrics();
    int around_text =
        box.sizeHint().width() - kQtLineEditChars * metrics.horizontalAdvance(QLatin1Char('x'));
    return around_text + metrics.horizontalAdvance(QString(chars, QLatin1Char('x')));
}

}  // namespace

QString static_label_text(StaticLabel label) {
    return QString::fromStdString(static_label_texts().at(static_cast<std::size_t>(label)));
}

QLineEdit* make_text_box(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QLineEdit* make_path_box(const QString& name, QWidget* parent) {
    QLineEdit* box = make_text_box(name, parent);
    box->setMinimumWidth(width_for_chars(*box, kPathChars));
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return box;
}

QLineEdit* make_figure_box(const QString& name, QWidget* parent) {
    QLineEdit* box = make_text_box(name, parent);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    box->setMinimumWidth(70);
    return box;
}

QLabel* make_value_label(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(150);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* make_button(const QString& name, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setMinimumHeight(30);
    return button;
}

QPushButton* make_stacked_button(const QString& name, QWidget* parent) {
    QPushButton* button = make_button(name, parent);
    QSizePolicy policy = button->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    button->setSizePolicy(policy);
    return button;
}

QLabel* make_static_label(StaticLabel label, QWidget* parent) {
    return new QLabel(static_label_text(label), parent);
}

QLabel* make_heading(StaticLabel label, QWidget* parent) {
    QLabel* heading = make_static_label(label, parent);
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    return heading;
}

QFrame* make_panel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    return panel;
}

void add_labelled(QGridLayout* grid, int row, int col, StaticLabel text, QWidget* box) {
    QLabel* label = make_static_label(text, box->parentWidget());
    label->setBuddy(box);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, row, col);
    grid->addWidget(box, row, col + 1);
}

}  // namespace zelkon
