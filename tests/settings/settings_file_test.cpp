#include <fstream>
#include <sstream>

#include "platform/error.h"
#include "platform/posix_file_system.h"
#include "platform/temp_folder.h"
#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

// A settings file as Save setup writes it, with the given values.
std::string settings_file(const std::string& job, const std::string& max_tasks,
                          const std::string& use_rpc, const std::string& servers) {
    return "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n" + job +
           "\r\n\r\nWork Drive\r\nD\r\n\r\nWork Folder\r\n\\Work\\\r\n\r\nLocal Path\r\n"
           "/home/u/inv/\r\n\r\nFolder Share Name\r\n/mnt/ctl\r\n\r\nMax Tasks\r\n" +
           max_tasks + "\r\n\r\nUse RPC\r\n" + use_rpc + "\r\n\r\nServerList\r\n" + servers;
}

class SettingsFile : public SettingsFixture {
  protected:
    SettingsFile() { fake.files.add_folder("/cfg"); }

    std::int32_t read(const std::string& content) {
        fake.files.add_file("/cfg/setup.inp", content);
        std::int32_t ierr = 99;
        form.read_cluster_settings("/cfg/setup.inp", ierr);
        return ierr;
    }

    // The controls a read may fill, to see that a failed read changed none.
    std::string input_controls() const {
        const FormControls& c = form.controls;
        return c.Text_jobID.text + "|" + c.Text_work_drive.text + "|" + c.Text_work_folder.text +
               "|" + c.Text_network_share.text + "|" + c.Text_max_tasks.text + "|" +
               std::to_string(c.Check_use_RPC.value) + "|" + c.Text_server.text + "|" + c.Dir1;
    }
};

TEST_F(SettingsFile, SaveWritesTheFixedLayoutByteForByte) {
    form.controls.Text_network_share.text = "/mnt/ctl";
    ASSERT_EQ(check(), 0);
    form.state.local_path = "/home/u/inv/";
    form.controls.Text_server.text = "  A/2/4\r\nB  ";
    form.save_cluster_settings("/cfg/out.inp");
    EXPECT_EQ(fake.files.content("/cfg/out.inp"),
              "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n12\r\n\r\n"
              "Work Drive\r\n/data\r\n\r\nWork Folder\r\nWork\r\n\r\n"
              "Local Path\r\n/home/u/inv/\r\n\r\nFolder Share Name\r\n/mnt/ctl\r\n\r\n"
              "Max Tasks\r\n10\r\n\r\nUse RPC\r\nYes\r\n\r\nServerList\r\nA/2/4\r\nB\r\n");
}

TEST_F(SettingsFile, SaveBeforeAnyRunSetupLeavesTheLocalPathEmpty) {
    form.controls.Check_use_RPC.value = 0;
    ASSERT_EQ(check(), 0);
    form.save_cluster_settings("/cfg/out.inp");
    std::string content = fake.files.content("/cfg/out.inp");
    EXPECT_NE(content.find("Local Path\r\n\r\n\r\nFolder Share Name\r\n\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(content.find("Use RPC\r\nNo\r\n"), std::string::npos);
}

TEST_F(SettingsFile, SaveWritesLinuxLineEndsOfTheListAsCrLf) {
    ASSERT_EQ(check(), 0);
    form.controls.Text_server.text = "A\nB";
    form.save_cluster_settings("/cfg/out.inp");
    std::string content = fake.files.content("/cfg/out.inp");
    EXPECT_TRUE(content.ends_with("ServerList\r\nA\r\nB\r\n")) << content;
}

TEST_F(SettingsFile, SaveReplacesAnOlderFile) {
    ASSERT_EQ(check(), 0);
    fake.files.add_file("/cfg/out.inp", std::string(5000, '#'));
    form.save_cluster_settings("/cfg/out.inp");
    EXPECT_TRUE(fake.files.content("/cfg/out.inp").starts_with("Nimbal_Controller settings"));
    EXPECT_EQ(fake.files.content("/cfg/out.inp").find('#'), std::string::npos);
}

TEST_F(SettingsFile, SaveIntoAMissingFolderIsAnErrorForTheCaller) {
    ASSERT_EQ(check(), 0);
    EXPECT_THROW(form.save_cluster_settings("/no/such/folder/out.inp"), ZelkonError);
}

TEST_F(SettingsFile, ReadFillsTheForm) {
    form.controls.Dir1 = "/somewhere";
    EXPECT_EQ(read(settings_file("12", "250", "Yes", "A/2\r\n\r\n  \r\nB\r\n")), 0);
    EXPECT_TRUE(fake.dialogs.messages.empty());
    const FormControls& c = form.controls;
    EXPECT_EQ(c.Text_jobID.text, "000012");
    EXPECT_EQ(c.Text_work_drive.text, "D");
    EXPECT_EQ(c.Text_work_folder.text, "\\Work\\");
    EXPECT_EQ(c.Text_network_share.text, "/mnt/ctl");
    EXPECT_EQ(c.Text_max_tasks.text, "250");
    EXPECT_EQ(c.Check_use_RPC.value, 1);
    EXPECT_EQ(c.Text_server.text, "A/2\r\nB");
    EXPECT_EQ(c.Dir1, "/somewhere");  // the local path is not applied
}

TEST_F(SettingsFile, ReadRoundsNumbersAndTakesTheirLeadingDigits) {
    EXPECT_EQ(read(settings_file("12.5abc", "x7", "Yes", "A")), 0);
    EXPECT_EQ(form.controls.Text_jobID.text, "000012");
    EXPECT_EQ(form.controls.Text_max_tasks.text, "0");
}

TEST_F(SettingsFile, OnlyYesInThatCaseTicksUseRpc) {
    for (const char* word : {"yes", "YES", "Yes ", "No"}) {
        form.controls.Check_use_RPC.value = 1;
        EXPECT_EQ(read(settings_file("1", "1", word, "A")), 0);
        EXPECT_EQ(form.controls.Check_use_RPC.value, 0) << word;
    }
}

TEST_F(SettingsFile, TheFirstServerLineIsTakenEvenWhenBlank) {
    EXPECT_EQ(read(settings_file("1", "1", "No", "  \r\nA\r\n")), 0);
    EXPECT_EQ(form.controls.Text_server.text, "  \r\nA");
}

TEST_F(SettingsFile, AnyFileStartingWithNimbalPasses) {
    std::string info = settings_file("3", "4", "No", "A");
    info.replace(0, std::string("Nimbal_Controller settings V1.0").size(),
                 "Nimbal_Controller info V1.1");
    EXPECT_EQ(read(info), 0);
    EXPECT_EQ(form.controls.Text_jobID.text, "000003");
}

TEST_F(SettingsFile, AnotherFirstLineIsTheWrongFormat) {
    std::string before = input_controls();
    EXPECT_EQ(read("Settings\r\n" + settings_file("1", "1", "No", "A")), -1);
    EXPECT_EQ(only_message(), "The specified file does not have the correct format");
    EXPECT_EQ(input_controls(), before);
}

TEST_F(SettingsFile, AShortFileIsAReadingError) {
    std::string before = input_controls();
    std::string whole = settings_file("1", "1", "No", "");
    std::string short_file = whole.substr(0, whole.rfind("ServerList"));
    EXPECT_EQ(read(short_file), -1);
    EXPECT_EQ(only_message(),
              "An error occurred while reading the settings: Input past end of file");
    EXPECT_EQ(input_controls(), before);
}

TEST_F(SettingsFile, AnEmptyFileIsAReadingError) {
    EXPECT_EQ(read(""), -1);
    EXPECT_EQ(only_message(),
              "An error occurred while reading the settings: Input past end of file");
}

TEST_F(SettingsFile, NumbersTooLargeAreAReadingError) {
    std::string before = input_controls();
    EXPECT_EQ(read(settings_file("1", "99999999999", "No", "A")), -1);
    EXPECT_EQ(only_message(), "An error occurred while reading the settings: Overflow");
    fake.dialogs.messages.clear();
    EXPECT_EQ(read(settings_file("1e999", "1", "No", "A")), -1);
    EXPECT_EQ(only_message(), "An error occurred while reading the settings: Overflow");
    EXPECT_EQ(input_controls(), before);
}

TEST_F(SettingsFile, AMissingFileIsAReadingError) {
    std::int32_t ierr = 99;
    form.read_cluster_settings("/cfg/none.inp", ierr);
    EXPECT_EQ(ierr, -1);
    EXPECT_TRUE(only_message().starts_with("An error occurred while reading the settings: "));
}

TEST_F(SettingsFile, AHugeFileIsRefusedBeforeItIsRead) {
    std::string before = input_controls();
    EXPECT_EQ(read(settings_file("1", "1", "No", std::string(17 * 1024 * 1024, 'A'))), -1);
    EXPECT_TRUE(only_message().starts_with("An error occurred while reading the settings: "));
    EXPECT_EQ(input_controls(), before);
}

TEST_F(SettingsFile, MegabyteLinesAreReadWhole) {
    std::string long_name(2 * 1024 * 1024, 'n');
    EXPECT_EQ(read(settings_file("5", "6", "No", long_name)), 0);
    EXPECT_EQ(form.controls.Text_server.text, long_name);
}

// A form on the real file system, with the other parts faked.
struct RealFileForm {
    FakePlatform fake;
    PosixFileSystem files;
    Form_zelkon_cluster_controller form{Platform{
        files, fake.processes, fake.management, fake.clock, fake.clock, fake.events, fake.settings,
        fake.dialogs, fake.current_directory, fake.computer_name, fake.environment}};
};

TEST(SettingsFileRoundTrip, ASavedFileReadsBackToTheSameForm) {
    TempFolder folder;
    RealFileForm writer;
    FormControls& c = writer.form.controls;
    c.Text_max_tasks.text = "40";
    c.Text_work_drive.text = "D";
    c.Text_work_folder.text = "\\temp\\inv_temp";
    c.Text_jobID.text = "12";
    c.Text_network_share.text = "/mnt/ctl";
    c.Check_use_RPC.value = 1;
    c.Text_server.text = "nodeA/2/4\r\nnodeB";
    std::int32_t ierr = 99;
    writer.form.check_cluster_settings(ierr);
    ASSERT_EQ(ierr, 0);
    writer.form.save_cluster_settings(folder.file("setup.inp"));

    RealFileForm reader;
    reader.form.read_cluster_settings(folder.file("setup.inp"), ierr);
    ASSERT_EQ(ierr, 0);
    const FormControls& r = reader.form.controls;
    EXPECT_EQ(r.Text_max_tasks.text, "40");
    EXPECT_EQ(r.Text_work_drive.text, "D");
    EXPECT_EQ(r.Text_work_folder.text, "\\temp\\inv_temp");
    EXPECT_EQ(r.Text_jobID.text, "000012");
    EXPECT_EQ(r.Text_network_share.text, "/mnt/ctl");
    EXPECT_EQ(r.Check_use_RPC.value, 1);
    EXPECT_EQ(r.Text_server.text, "nodeA/2/4\r\nnodeB");

    std::ifstream stream(folder.file("setup.inp"), std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    EXPECT_TRUE(
        bytes.str().ends_with("Use RPC\r\nYes\r\n\r\nServerList\r\nnodeA/2/4\r\nnodeB\r\n"));
}

}  // namespace
}  // namespace zelkon
