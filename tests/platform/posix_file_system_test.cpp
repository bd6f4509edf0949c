#include "platform/posix_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "temp_folder.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

std::string read_bytes(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

TEST(PosixFileSystem, WritesCrLfLinesAndReadsAnyLineEnd) {
    TempFolder temp;
    PosixFileSystem files;
    ASSERT_TRUE(files.write_lines(temp.file("a.txt"), {"first", "", "third"}));
    EXPECT_EQ(read_bytes(temp.file("a.txt")), "first\r\n\r\nthird\r\n");

    std::ofstream(temp.file("mixed.txt"), std::ios::binary) << "a\r\nb\nc\rd";
    std::vector<std::string> lines;
    ASSERT_TRUE(files.read_lines(temp.file("mixed.txt"), lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(files.read_lines(temp.file("missing.txt"), lines));
    EXPECT_FALSE(files.read_lines(temp.path(), lines)) << "a folder is not a text file";
}

TEST(PosixFileSystem, AppendingWriterKeepsWhatWasThere) {
    TempFolder temp;
    PosixFileSystem files;
    files.write_lines(temp.file("log.txt"), {"one"});
    auto writer = files.open_writer(temp.file("log.txt"), true);
    ASSERT_NE(writer, nullptr);
    writer->write_line("two");
    writer->flush();
    EXPECT_EQ(read_bytes(temp.file("log.txt")), "one\r\ntwo\r\n");
    EXPECT_EQ(files.open_writer(temp.file("no/such/folder.txt"), false), nullptr);
}

TEST(PosixFileSystem, DeletesByPatternKeepingReadOnlyFilesUnlessForced) {
    TempFolder temp;
    PosixFileSystem files;
    for (const char* name : {"t1.sem", "t2.sem", "t1.log"}) {
        files.create_text_file(temp.file(name));
    }
    fs::permissions(temp.file("t2.sem"), fs::perms::owner_read);

    EXPECT_FALSE(files.delete_files(temp.file("*.sem"), false));
    EXPECT_FALSE(files.file_exists(temp.file("t1.sem")));
    EXPECT_TRUE(files.file_exists(temp.file("t2.sem")));
    EXPECT_TRUE(files.delete_files(temp.file("*.sem"), true));
    EXPECT_TRUE(files.file_exists(temp.file("t1.log")));
    EXPECT_TRUE(files.delete_files(temp.file("*.*"), false));
    EXPECT_FALSE(files.delete_files(temp.file("*.*"), false)) << "nothing left to match";
}

TEST(PosixFileSystem, FoldersCopiesAndSizes) {
    TempFolder temp;
    PosixFileSystem files;
    EXPECT_FALSE(files.create_folder(temp.file("a/b/")));
    EXPECT_TRUE(files.create_folder(temp.file("a/")));
    EXPECT_TRUE(files.create_folder(temp.file("a/b/")));
    EXPECT_TRUE(files.folder_exists(temp.file("a/b/")));
    EXPECT_EQ(files.list_folders(temp.path()), (std::vector<std::string>{"a"}));

    files.write_lines(temp.file("a/src.txt"), {"x"});
    files.write_lines(temp.file("a/b/dst.txt"), {"old", "old"});
    EXPECT_FALSE(files.copy_file(temp.file("a/src.txt"), temp.file("a/b/dst.txt"), false));
    EXPECT_TRUE(files.copy_file(temp.file("a/src.txt"), temp.file("a/b/dst.txt"), true));
    EXPECT_EQ(files.file_size(temp.file("a/b/dst.txt")), 3);
    EXPECT_EQ(files.file_size(temp.file("a/none")), -1);

    EXPECT_TRUE(files.delete_folder(temp.file("a/"), true));
    EXPECT_FALSE(files.folder_exists(temp.file("a")));
    EXPECT_FALSE(files.delete_folder(temp.file("a/"), true));
}

}  // namespace
}  // namespace zelkon
