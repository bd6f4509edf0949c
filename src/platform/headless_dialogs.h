#pragma once

#include <functional>
#include <iosfwd>

#include "platform/dialogs.h"

namespace zelkon {

// Dialogs with nobody to answer them: each text goes to a stream (standard
// error) and takes its default answer; file dialogs are cancelled.
class HeadlessDialogs : public Dialogs {
  public:
    explicit HeadlessDialogs(std::ostream& out);
    // Runs before each text, so that a host can end its own half-written line.
    std::function<void()> before_text;
    void message(const std::string& text) override;
    // Nobody sees an icon here: the text is all.
    void warning(const std::string& text) override { message(text); }
    bool ask_yes_no(const std::string& text, bool default_yes) override;
    std::optional<std::string> choose_file_to_open(const std::string& title,
                                                   const std::string& filter) override;
    std::optional<std::string> choose_file_to_save(const std::string& title,
                                                   const std::string& filter,
                                                   const std::string& default_extension) override;

  private:
    void begin_text();
    std::ostream& out_;
};

}  // namespace zelkon
