#include "platform/shell_words.h"

#include <cctype>
#include <cstring>

namespace zelkon {
namespace {

class WordSplitter {
  public:
    explicit WordSplitter(const std::string& text) : text_(text) {}

    std::vector<std::string> split() {
        while (!at_end()) {
            char c = next();
            if (c == ' ' || c == '\t' || c == '\n') {
                end_word();
            } else if (c == '\'') {
                single_quoted();
            } else if (c == '"') {
                double_quoted();
            } else if (c == '\\') {
                escaped();
            } else {
                add(c);
            }
        }
        end_word();
        return words_;
    }

  private:
    bool at_end() const { return at_ >= text_.size(); }
    char next() { return text_[at_++]; }
    bool next_is(const char* any_of) const {
        return !at_end() && std::strchr(any_of, text_[at_]) != nullptr;
    }
    void add(char c) {
        word_ += c;
        in_word_ = true;
    }
    void end_word() {
        if (in_word_) {
            words_.push_back(word_);
        }
        word_.clear();
        in_word_ = false;
    }
    // Everything up to the closing quote is taken as it stands.
    void single_quoted() {
        in_word_ = true;
        while (!at_end() && text_[at_] != '\'') {
            word_ += next();
        }
        ++at_;
    }
    // Inside double quotes a backslash only escapes $ ` " \ and a line end.
    void double_quoted() {
        in_word_ = true;
        while (!at_end() && text_[at_] != '"') {
            char c = next();
            if (c == '\\' && next_is("\n")) {
                ++at_;
            } else if (c == '\\' && next_is("$`\"\\")) {
                word_ += next();
            } else {
                word_ += c;
            }
        }
        ++at_;
    }
    // A backslash takes the next character literally; before a line end it
    // joins the lines.
    void escaped() {
        if (at_end()) {
            add('\\');
        } else if (next_is("\n")) {
            ++at_;
        } else {
            add(next());
        }
    }

    const std::string& text_;
    std::size_t at_ = 0;
    std::string word_;
    bool in_word_ = false;
    std::vector<std::string> words_;
};

}  // namespace

std::vector<std::string> split_shell_words(const std::string& text) {
    return WordSplitter(text).split();
}

std::string shell_quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::string shell_word(const std::string& text) {
    auto literal = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               std::strchr("/._-+,:@%=", c) != nullptr;
    };
    bool plain = !text.empty();
    for (char c : text) {
        plain = plain && literal(c);
    }
    return plain ? text : shell_quote(text);
}

bool passes_as_shell_word(const std::string& text) {
    for (char c : text) {
        auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7f) {
            return false;
        }
    }
    return true;
}

}  // namespace zelkon
