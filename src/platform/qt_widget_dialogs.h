#pragma once

#include <QChar>
#include <QString>

#include "platform/dialogs.h"

class QWidget;

namespace zelkon {

// Message boxes and file dialogs of the Qt window.
class QtWidgetDialogs : public Dialogs {
  public:
    void set_parent(QWidget* parent) { parent_ = parent; }
    void message(const std::string& text) override;
    void warning(const std::string& text) override;
    bool ask_yes_no(const std::string& text, bool default_yes) override;
    std::optional<std::string> choose_file_to_open(const std::string& title,
                                                   const std::string& filter) override;
    std::optional<std::string> choose_file_to_save(const std::string& title,
                                                   const std::string& filter,
                                                   const std::string& default_extension) override;

  private:
    QWidget* parent_ = nullptr;
};

// Joins the characters of every word holding a "/" (a path) with word
// joiners, so that a message box breaks its lines only between words: a
// path stays on one line and the box grows to hold it.
inline constexpr QChar kWordJoiner{u'\u2060'};
QString unbroken_paths(const QString& text);

// "Setup Files (*.inp)|*.inp|All files (*.*)|*.*" as a Qt filter:
// "Setup Files (*.inp);;All files (*)".
std::string qt_filter_of(const std::string& filter);

}  // namespace zelkon
