#include "platform/fake/fake_file_system.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

TEST(FakeFileSystem, DeletesByPatternInOneFolderAndKeepsReadOnlyFilesUnlessForced) {
    FakeFileSystem files;
    files.add_file("/job/a.sem", "");
    files.add_file("/job/b.sem", "");
    files.add_file("/job/b.log", "");
    files.add_file("/job/sub/c.sem", "");
    files.set_read_only("/job/b.sem");

    EXPECT_FALSE(files.delete_files("/job/*.sem", false));
    EXPECT_FALSE(files.file_exists("/job/a.sem"));
    EXPECT_TRUE(files.file_exists("/job/b.sem"));
    EXPECT_TRUE(files.file_exists("/job/sub/c.sem"));
    EXPECT_TRUE(files.delete_files("/job/*.sem", true));
    EXPECT_FALSE(files.file_exists("/job/b.sem"));
    EXPECT_TRUE(files.file_exists("/job/b.log"));
    EXPECT_FALSE(files.delete_files("/job/*.sem", true)) << "nothing matched";
}

TEST(FakeFileSystem, FoldersNeedTheirParentAndFailingPathsFail) {
    FakeFileSystem files;
    EXPECT_FALSE(files.create_folder("/a/b"));
    EXPECT_TRUE(files.create_folder("/a/"));
    EXPECT_TRUE(files.create_folder("/a/b"));
    files.failing_paths.insert("/a/b/log.txt");
    EXPECT_EQ(files.open_writer("/a/b/log.txt", false), nullptr);
    EXPECT_EQ(files.changes, (std::vector<std::string>{"create folder /a", "create folder /a/b"}));
}

TEST(FakeFileSystem, WritersWriteCrLfLinesAndAppend) {
    FakeFileSystem files;
    files.add_folder("/logs");
    files.write_lines("/logs/x.txt", {"one", ""});
    auto writer = files.open_writer("/logs/x.txt", true);
    writer->write_line("two");
    EXPECT_EQ(files.content("/logs/x.txt"), "one\r\n\r\ntwo\r\n");
    std::vector<std::string> lines;
    ASSERT_TRUE(files.read_lines("/logs/x.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "", "two"}));
}

}  // namespace
}  // namespace zelkon
