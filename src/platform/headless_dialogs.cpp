#include "platform/headless_dialogs.h"

#include <ostream>

namespace zelkon {

HeadlessDialogs::HeadlessDialogs(std::ostream& out) : out_(out) {}

void HeadlessDialogs::begin_text() {
    if (before_text) {
        before_text();
    }
}

void HeadlessDialogs::message(const std::string& text) {
    begin_text();
    out_ << text << std::endl;
}

bool HeadlessDialogs::ask_yes_no(const std::string& text, bool default_yes) {
    begin_text();
    out_ << text << " [" << (default_yes ? "Yes" : "No") << "]" << std::endl;
    return default_yes;
}

std::optional<std::string> HeadlessDialogs::choose_file_to_open(const std::string& title,
                                                                const std::string&) {
    out_ << title << ": no file can be chosen without a window" << std::endl;
    return std::nullopt;
}

std::optional<std::string> HeadlessDialogs::choose_file_to_save(const std::string& title,
                                                                const std::string&,
                                                                const std::string&) {
    out_ << title << ": no file can be chosen without a window" << std::endl;
    return std::nullopt;
}

}  // namespace zelkon
