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

// Quoting is the inverse of splitting: any text comes back as one word, and
// a plain path stays as it is, so that logged command lines read well.
TEST(ShellWords, AQuotedTextSplitsBackIntoItselfAlone) {
    for (const char* text :
         {"/data/Work/Job_7/", "My Work's $HOME \"q\"", "a\\b `x` $(y) ;*", "'", "", "tab\there"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(split_shell_words(shell_word(text)), std::vector<std::string>{text});
        EXPECT_EQ(split_shell_words(shell_quote(text)), std::vector<std::string>{text});
    }
    EXPECT_EQ(shell_word("/data/Work/Job_7/x.zcd"), "/data/Work/Job_7/x.zcd");
    EXPECT_EQ(shell_word("it's"), "'it'\\''s'");
    EXPECT_FALSE(passes_as_shell_word("a\nb"));
    EXPECT_TRUE(passes_as_shell_word("My Work's $HOME"));
}

}  // namespace
}  // namespace zelkon
