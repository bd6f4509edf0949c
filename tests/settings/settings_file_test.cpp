#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

class SettingsFileTest : public SettingsFixture {
  protected:
    std::int32_t read(const std::string& content) {
        fake.files.add_file("/cfg/setup.inp", content);
        std::int32_t ierr = 99;
        settings_file.read_cluster_settings("/cfg/setup.inp", ierr);
        return ierr;
    }
};

// Save empties an older file of that name first, and ends every line in CR LF.
TEST_F(SettingsFileTest, SaveWritesTheFixedLayoutByteForByte) {
    controls.Text_network_share.text = "/mnt/ctl";
    ASSERT_EQ(check(), 0);
    job.local_path = "/home/u/inv/";
    controls.Text_server.text = "  A/2/4\nB  ";
    fake.files.add_file("/cfg/out.inp", std::string(5000, '#'));
    settings_file.save_cluster_settings("/cfg/out.inp");
    EXPECT_EQ(fake.files.content("/cfg/out.inp"),
              "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n12\r\n\r\n"
              "Work Drive\r\n/data\r\n\r\nWork Folder\r\nWork\r\n\r\n"
              "Local Path\r\n/home/u/inv/\r\n\r\nFolder Share Name\r\n/mnt/ctl\r\n\r\n"
              "Max Tasks\r\n10\r\n\r\nUse RPC\r\nYes\r\n\r\nServerList\r\nA/2/4\r\nB\r\n");
}

// A write failing after the open (a full disk) is reported; the old file stays whole.
TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileAndIsReported) {
    ASSERT_EQ(check(), 0);
    fake.files.add_file("/cfg/out.inp", "the settings saved before");
    fake.files.disk_full = true;
    EXPECT_THROW(settings_file.save_cluster_settings("/cfg/out.inp"), ZelkonError);
    EXPECT_EQ(fake.files.content("/cfg/out.inp"), "the settings saved before");
    EXPECT_FALSE(fake.files.file_exists("/cfg/out.inp.partial"));
}

// Numbers round and take leading digits, only "Yes" ticks Use RPC, blank server lines go but
// the first, any "Nimbal" header will do, megabyte lines are whole; the folder stays.
TEST_F(SettingsFileTest, ReadTakesValuesByTheirRules) {
    std::string long_name(2 * 1024 * 1024, 'n');
    std::string info = settings_text("3", "4", "No", "A");
    info.replace(0, info.find("\r\n"), "Nimbal_Controller info V1.1");
    controls.Dir1 = "/somewhere";
    const std::pair<std::string, std::string> cases[] = {
        {settings_text("12", "250", "Yes", "A/2\r\n\r\n  \r\nB\r\n"),
         "000012|D|\\Work\\|/mnt/ctl|250|1|A/2\r\nB|/somewhere"},
        {settings_text("12.5abc", "x7", "Yes", "A"), "000012|D|\\Work\\|/mnt/ctl|0|1|A|/somewhere"},
        {settings_text("1", "1", "Yes ", "A"), "000001|D|\\Work\\|/mnt/ctl|1|0|A|/somewhere"},
        {settings_text("1", "1", "No", "  \r\nA\r\n"),
         "000001|D|\\Work\\|/mnt/ctl|1|0|  \r\nA|/somewhere"},
        {settings_text("5", "6", "No", long_name),
         "000005|D|\\Work\\|/mnt/ctl|6|0|" + long_name + "|/somewhere"},
        {info, "000003|D|\\Work\\|/mnt/ctl|4|0|A|/somewhere"},
    };
    for (const auto& [content, inputs] : cases) {
        SCOPED_TRACE(inputs.substr(0, 60));
        controls.Check_use_RPC.value = 1;
        EXPECT_EQ(read(content), 0);
        EXPECT_EQ(inputs_of(controls), inputs);
        EXPECT_TRUE(fake.dialogs.messages.empty());
    }
}

TEST_F(SettingsFileTest, ABadFileIsReportedAndChangesNothing) {
    const std::string error = "An error occurred while reading the settings: ";
    const std::string past_end = error + "Input past end of file";
    const std::string bad_header =
        "The specified file does not have the correct format: line 1 should begin with "
        "\"Nimbal\", as the header line \"Nimbal_Controller settings V1.0\" does";
    // Ends after the ServerList line, one line short.
    std::string short_file = settings_text("1", "1", "No", "");
    short_file.resize(short_file.size() - 2);
    const std::string binary("\0\x01\x02\xff\xfe\x7f", 6);
    const std::pair<std::string, std::string> cases[] = {
        {binary + short_file, bad_header},
        {short_file, past_end},
        {"", past_end},
        {settings_text("1e999", "1", "No", "A"), error + "Overflow"},
        {settings_text("1", "1", "No", std::string(17 * 1024 * 1024, 'A')),
         error + "The file is too large to be a settings file: /cfg/setup.inp"},
    };
    std::string before = inputs_of(controls);
    for (const auto& [content, message] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(read(content), -1);
        EXPECT_EQ(only_message(), message);
        EXPECT_EQ(inputs_of(controls), before);
    }
    std::int32_t ierr = 99;
    settings_file.read_cluster_settings("/cfg/none.inp", ierr);
    EXPECT_EQ(ierr, -1);
    EXPECT_EQ(only_message(), error + "File not found: /cfg/none.inp");
}

}  // namespace
}  // namespace zelkon
