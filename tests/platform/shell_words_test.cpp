#include "platform/shell_words.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> words;
};

TEST(ShellWords, SplitsAsAShellWouldWithoutExpandingAnything) {
    const SplitCase cases[] = {
        {"ssh", {"ssh"}},
        {"  ssh \t -F  cfg\n", {"ssh", "-F", "cfg"}},
        {"ssh -F '/my dir/cfg'", {"ssh", "-F", "/my dir/cfg"}},
        {"ssh -F \"/my dir/cfg\"", {"ssh", "-F", "/my dir/cfg"}},
        {"a\\ b c", {"a b", "c"}},
        {"'it'\\''s' x", {"it's", "x"}},
        {"\"a \\\"b\\\" \\$HOME \\x\"", {"a \"b\" $HOME \\x"}},
        {"'$HOME' $HOME `id` ;", {"$HOME", "$HOME", "`id`", ";"}},
        {"a '' \"\" b", {"a", "", "", "b"}},
        {"pre'fix'\"ed\" word", {"prefixed", "word"}},
        {"a\\\nb", {"ab"}},
        {"open 'quote runs on", {"open", "quote runs on"}},
        {"trailing\\", {"trailing\\"}},
        {"", {}},
    };
    for (const SplitCase& example : cases) {
        EXPECT_EQ(split_shell_words(example.text), example.words) << "text: " << example.text;
    }
}

}  // namespace
}  // namespace zelkon
