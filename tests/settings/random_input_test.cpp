#include <random>

#include "platform/error.h"
#include "settings/server_list.h"
#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

// Random text drawn mostly from the characters that matter to the parsers,
// with any byte now and then.
std::string random_text(std::mt19937& random, std::size_t max_length) {
    static const std::string alphabet = "AbC/ /\r\n\r\n\t0123456789.-+eE/x";
    std::size_t length = std::uniform_int_distribution<std::size_t>(0, max_length)(random);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        if (random() % 10 == 0) {
            text.push_back(static_cast<char>(random() % 256));
        } else {
            text.push_back(alphabet[random() % alphabet.size()]);
        }
    }
    return text;
}

bool is_check_message(const std::string& message) {
    return message == "No server names have been specified" ||
           message == "No server names have been decoded from the list" ||
           message == "No Task Servers have been decoded from the list" ||
           message.starts_with("An error occured while checking the settings: ");
}

using RandomInput = SettingsFixture;

TEST_F(RandomInput, AnyServerListEndsInAMessageOrAValidTable) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 3000; ++round) {
        std::string list = random_text(random, 80);
        form.controls.Text_server.text = list;
        if (check() == 0) {
            EXPECT_TRUE(fake.dialogs.messages.empty());
            expect_consistent_tables(form.servers);
            // A rewritten list decodes to the same tables.
            ServerList again;
            EXPECT_EQ(decode_server_list(form.controls.Text_server.text, again), "");
            EXPECT_EQ(again.num_task_servers, form.servers.num_task_servers());
        } else {
            std::string message = only_message();
            EXPECT_TRUE(is_check_message(message)) << list << " gave " << message;
        }
    }
}

// A settings file with random values, random extra lines, or cut short.
std::string random_settings_file(std::mt19937& random) {
    std::string file = random() % 4 == 0 ? random_text(random, 20) : "Nimbal_Controller";
    int lines = std::uniform_int_distribution<int>(0, 40)(random);
    for (int i = 0; i < lines; ++i) {
        file += "\r\n" + random_text(random, random() % 8 == 0 ? 400 : 12);
    }
    return file;
}

TEST_F(RandomInput, AnySettingsFileLoadsOrChangesNothing) {
    std::mt19937 random(4123);
    for (int round = 0; round < 2000; ++round) {
        std::string content = random_settings_file(random);
        fake.files.add_file("/cfg/random.inp", content);
        std::string before = inputs_of(form.controls);
        std::int32_t ierr = 99;
        form.settings_file.read_cluster_settings("/cfg/random.inp", ierr);
        if (ierr == 0) {
            EXPECT_TRUE(fake.dialogs.messages.empty());
            continue;
        }
        ASSERT_EQ(ierr, -1);
        std::string message = only_message();
        EXPECT_TRUE(message.starts_with("The specified file does not have the correct format: ") ||
                    message.starts_with("An error occurred while reading the settings: "))
            << message;
        EXPECT_EQ(inputs_of(form.controls), before);
    }
}

}  // namespace
}  // namespace zelkon
