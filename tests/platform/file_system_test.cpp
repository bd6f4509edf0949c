// Every case runs on the real file system and on the fake one the other tests
// use, so that the fake behaves as the real one does.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/fake/fake_file_system.h"
#include "platform/posix_file_system.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

struct RealFiles {
    TempFolder temp;
    PosixFileSystem files;
    std::string root = temp.path() + "/";
    void make_read_only(const std::string& path) { fs::permissions(path, fs::perms::owner_read); }
    void put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string bytes(const std::string& path) {
        std::ifstream stream(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }
};

struct FakeFiles {
    FakeFileSystem files;
    std::string root = "/t/";
    FakeFiles() { files.add_folder(root); }
    void make_read_only(const std::string& path) { files.set_read_only(path); }
    void put(const std::string& path, const std::string& bytes) { files.add_file(path, bytes); }
    std::string bytes(const std::string& path) { return files.content(path); }
};

template <typename Files>
class FileSystemTest : public testing::Test {
  protected:
    std::string at(const std::string& name) const { return on.root + name; }
    Files on;
    FileSystem& files = on.files;
};

using BothFileSystems = testing::Types<RealFiles, FakeFiles>;
TYPED_TEST_SUITE(FileSystemTest, BothFileSystems);

TYPED_TEST(FileSystemTest, WritesCrLfLinesAppendsAndReadsAnyLineEnd) {
    FileSystem& files = this->files;
    ASSERT_TRUE(files.write_lines(this->at("a.txt"), {"first", ""}));
    auto writer = files.open_writer(this->at("a.txt"), true);
    ASSERT_NE(writer, nullptr);
    writer->write_line("third");
    writer->flush();
    EXPECT_EQ(this->on.bytes(this->at("a.txt")), "first\r\n\r\nthird\r\n");
    EXPECT_EQ(files.open_writer(this->at("no/such/folder.txt"), false), nullptr);

    this->on.put(this->at("mixed.txt"), "a\r\nb\nc\rd");
    std::vector<std::string> lines;
    ASSERT_TRUE(files.read_lines(this->at("mixed.txt"), lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(files.read_lines(this->at("missing.txt"), lines));
    EXPECT_FALSE(files.read_lines(this->on.root, lines)) << "a folder is not a text file";
}

TYPED_TEST(FileSystemTest, DeletesByPatternInOneFolderKeepingReadOnlyFilesUnlessForced) {
    FileSystem& files = this->files;
    ASSERT_TRUE(files.create_folder(this->at("sub")));
    for (const char* name : {"t1.sem", "t2.sem", "t1.log", "sub/t3.sem"}) {
        ASSERT_TRUE(files.create_text_file(this->at(name)));
    }
    this->on.make_read_only(this->at("t2.sem"));
    EXPECT_FALSE(files.delete_files(this->at("*.sem"), false));
    EXPECT_FALSE(files.file_exists(this->at("t1.sem")));
    EXPECT_TRUE(files.file_exists(this->at("t2.sem")));
    EXPECT_TRUE(files.delete_files(this->at("*.sem"), true));
    EXPECT_TRUE(files.file_exists(this->at("t1.log")));
    EXPECT_TRUE(files.file_exists(this->at("sub/t3.sem")));
    EXPECT_FALSE(files.delete_files(this->at("*.sem"), true)) << "nothing matched";
}

TYPED_TEST(FileSystemTest, FoldersNeedTheirParentAndFilesAreCopiedRenamedAndSized) {
    FileSystem& files = this->files;
    EXPECT_FALSE(files.create_folder(this->at("a/b/")));
    EXPECT_TRUE(files.create_folder(this->at("a/")));
    EXPECT_TRUE(files.create_folder(this->at("a/b/")));
    EXPECT_TRUE(files.folder_exists(this->at("a/b")));
    EXPECT_EQ(files.list_folders(this->on.root), (std::vector<std::string>{"a"}));

    files.write_lines(this->at("a/src.txt"), {"x"});
    files.write_lines(this->at("a/b/dst.txt"), {"old", "old"});
    EXPECT_FALSE(files.copy_file(this->at("a/src.txt"), this->at("a/b/dst.txt"), false));
    EXPECT_TRUE(files.copy_file(this->at("a/src.txt"), this->at("a/b/dst.txt"), true));
    EXPECT_EQ(files.file_size(this->at("a/b/dst.txt")), 3);
    EXPECT_EQ(files.file_size(this->at("a/none")), -1);
    files.write_lines(this->at("a/new.txt"), {"new"});
    EXPECT_TRUE(files.rename_file(this->at("a/new.txt"), this->at("a/src.txt")));
    EXPECT_EQ(this->on.bytes(this->at("a/src.txt")), "new\r\n");
    EXPECT_FALSE(files.file_exists(this->at("a/new.txt")));

    EXPECT_TRUE(files.delete_folder(this->at("a/"), true));
    EXPECT_FALSE(files.folder_exists(this->at("a")));
    EXPECT_FALSE(files.delete_folder(this->at("a/"), true));
}

}  // namespace
}  // namespace zelkon
