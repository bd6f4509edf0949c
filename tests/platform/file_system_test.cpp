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
    void put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string bytes(const std::string& path) {
        std::ifstream stream(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }
    TempFolder temp;
    PosixFileSystem files;
};

TEST_F(FileSystemTest, WritesCrLfLinesAppendsAndReadsAnyLineEnd) {
    ASSERT_TRUE(files.write_lines(at("a.txt"), {"first", ""}));
    auto writer = files.open_writer(at("a.txt"), true);
    ASSERT_NE(writer, nullptr);
    writer->write_line("third");
    writer->flush();
    EXPECT_EQ(bytes(at("a.txt")), "first\r\n\r\nthird\r\n");
    EXPECT_EQ(files.open_writer(at("no/such/folder.txt"), false), nullptr);

    put(at("mixed.txt"), "a\r\nb\nc\rd");
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
    EXPECT_TRUE(files.file_exists(at("t2.sem")));
    EXPECT_TRUE(files.delete_files(at("*.sem"), true));
    EXPECT_TRUE(files.file_exists(at("t1.log")));
    EXPECT_TRUE(files.file_exists(at("sub/t3.sem")));
    EXPECT_FALSE(files.delete_files(at("*.sem"), true)) << "nothing matched";
}

TEST_F(FileSystemTest, FoldersNeedTheirParentAndFilesAreCopiedRenamedAndSized) {
    EXPECT_FALSE(files.create_folder(at("a/b/")));
    EXPECT_TRUE(files.create_folder(at("a/")));
    EXPECT_TRUE(files.create_folder(at("a/b/")));
    EXPECT_TRUE(files.folder_exists(at("a/b")));
    EXPECT_EQ(files.list_folders(temp.path() + "/"), (std::vector<std::string>{"a"}));

    files.write_lines(at("a/src.txt"), {"x"});
    files.write_lines(at("a/b/dst.txt"), {"old", "old"});
    EXPECT_FALSE(files.copy_file(at("a/src.txt"), at("a/b/dst.txt"), false));
    EXPECT_TRUE(files.copy_file(at("a/src.txt"), at("a/b/dst.txt"), true));
    EXPECT_EQ(files.file_size(at("a/b/dst.txt")), 3);
    EXPECT_EQ(files.file_size(at("a/none")), -1);
    files.write_lines(at("a/new.txt"), {"new"});
    EXPECT_TRUE(files.rename_file(at("a/new.txt"), at("a/src.txt")));
    EXPECT_EQ(bytes(at("a/src.txt")), "new\r\n");
    EXPECT_FALSE(files.file_exists(at("a/new.txt")));

    EXPECT_TRUE(files.delete_folder(at("a/"), true));
    EXPECT_FALSE(files.folder_exists(at("a")));
    EXPECT_FALSE(files.delete_folder(at("a/"), true));
}

}  // namespace
}  // namespace zelkon
