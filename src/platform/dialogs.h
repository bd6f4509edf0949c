#pragma once

#include <optional>
#include <string>

namespace zelkon {

// Modal message boxes and the file dialogs.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A message box with an OK button and the default title.
    virtual void message(const std::string& text) = 0;
    // The same for a message that reports a failure: it shows the warning
    // icon rather than the information icon.
    virtual void warning(const std::string& text) = 0;
    // A Yes/No question; default_yes names the answer taken without a user.
    virtual bool ask_yes_no(const std::string& text, bool default_yes) = 0;
    // A filter is pairs of description and pattern separated by "|".
    // Empty when the user cancelled.
    virtual std::optional<std::string> choose_file_to_open(const std::string& title,
                                                           const std::string& filter) = 0;
    virtual std::optional<std::string> choose_file_to_save(
        const std::string& title, const std::string& filter,
        const std::string& default_extension) = 0;
};

}  // namespace zelkon
