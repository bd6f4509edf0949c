#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/posix_file_system.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

class FileSystemTest : public testing::Test {
  protected:
    std::string at(const std::string& name) const { return temp.file(name); }
    TempFolder temp;
    PosixFileSystem files;
};

// Whole runs show CR LF lines written and appended.
TEST_F(FileSystemTest, ReadsAnyLineEndButNotAMissingFileOrAFolder) {
    EXPECT_EQ(files.open_writer(at("no/such/folder.txt"), false), nullptr);
    std::ofstream(at("mixed.txt"), std::ios::binary) << "a\r\nb\nc\rd";
    std::vector<std::string> lines;
    ASSERT_TRUE(files.read_lines(at("mixed.txt"), lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(files.read_lines(at("missing.txt"), lines));
    EXPECT_FALSE(files.read_lines(temp.path() + "/", lines)) << "a folder is not a text file";
}

TEST_F(FileSystemTest, DeletesByPatternInOneFolderKeepingReadOnlyFilesUnlessForced) {
    ASSERT_TRUE(files.create_folder(at("sub")));
    for (const char* name : {"t1.sem", "t2.sem", "t1.log", "sub/t3.sem"}) {
        ASSERT_TRUE(files.create_text_file(at(name)));
    }
    fs::permissions(at("t2.sem"), fs::perms::owner_read);
    EXPECT_FALSE(files.delete_files(at("*.sem"), false));
    EXPECT_FALSE(files.file_exists(at("t1.sem")));
    EXPECT_TRUE(files.delete_files(at("*.sem"), true));
    EXPECT_TRUE(files.file_exists(at("t1.log")) && files.file_exists(at("sub/t3.sem")));
    EXPECT_FALSE(files.delete_files(at("*.sem"), true)) << "nothing matched";
}

TEST_F(FileSystemTest, FoldersNeedTheirParentAndCopiesOverwriteOnlyWhenAsked) {
    EXPECT_FALSE(files.create_folder(at("a/b/")));
    EXPECT_TRUE(files.create_folder(at("a/")));
    EXPECT_EQ(files.list_folders(temp.path() + "/"), (std::vector<std::string>{"a"}));
    files.write_lines(at("a/src.txt"), {"x"});
    files.write_lines(at("a/dst.txt"), {"old", "old"});
    EXPECT_FALSE(files.copy_file(at("a/src.txt"), at("a/dst.txt"), false));
    EXPECT_TRUE(files.copy_file(at("a/src.txt"), at("a/dst.txt"), true));
    EXPECT_EQ(files.file_size(at("a/dst.txt")), 3);
    EXPECT_EQ(files.file_size(at("a/none")), -1);
    EXPECT_FALSE(files.rename_file(at("a/none"), at("a/src.txt")));
    EXPECT_TRUE(files.delete_folder(at("a/"), true));
    EXPECT_FALSE(files.folder_exists(at("a")));
    EXPECT_FALSE(files.delete_folder(at("a/"), true));
}

}  // namespace
}  // namespace zelkon
