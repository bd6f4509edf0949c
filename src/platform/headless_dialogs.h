#pragma once

#include <iosfwd>

#include "platform/dialogs.h"

namespace zelkon {

// Dialogs with nobody to answer them: each text goes to a stream (standard
// error) and takes its default answer; file dialogs are cancelled.
class HeadlessDialogs : public Dialogs {
  public:
    explicit HeadlessDialogs(std::ostream& out);
    void message(const std::string& text) override;
    bool ask_yes_no(const std::string& text, bool default_yes) override;
    std::optional<std::string> choose_file_to_open(const std::string& title,
                                                   const std::string& filter) override;
    std::optional<std::string> choose_file_to_save(const std::string& title,
                                                   const std::string& filter,
                                                   const std::string& default_extension) override;

  private:
    std::ostream& out_;
};

}  // namespace zelkon
