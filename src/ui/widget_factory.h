#pragma once

#include <QString>

#include "ui/static_labels.h"

class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zelkon {

// Widgets made the same way throughout the form. Each is named as the
// control it shows; texts and captions come later from the model.
QLineEdit* make_text_box(const QString& name, QWidget* parent);
// A box for a folder path: wide enough for a typical path, growing with the window.
QLineEdit* make_path_box(const QString& name, QWidget* parent);
// A box the user reads but does not type into (counts, sizes, rates).
QLineEdit* make_figure_box(const QString& name, QWidget* parent);
QLabel* make_value_label(const QString& name, QWidget* parent);
QPushButton* make_button(const QString& name, QWidget* parent);
// A button that shares its place with another and keeps it when hidden.
QPushButton* make_stacked_button(const QString& name, QWidget* parent);
QLabel* make_static_label(StaticLabel label, QWidget* parent);
QLabel* make_heading(StaticLabel label, QWidget* parent);
// A framed group of controls.
QFrame* make_panel(QWidget* parent);
// A label in front of its box at (row, col), naming the box for keyboard users.
void add_labelled(QGridLayout* grid, int row, int col, StaticLabel text, QWidget* box);

}  // namespace zelkon
