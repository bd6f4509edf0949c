#pragma once

#include <map>
#include <set>

#include "platform/file_system.h"

namespace zelkon {

// An in-memory file system. It records every change it makes in `changes`,
// and any operation on a path listed in `failing_paths` fails.
class FakeFileSystem : public FileSystem {
  public:
    FakeFileSystem();

    bool file_exists(const std::string& path) const override;
    bool folder_exists(const std::string& path) const override;
    bool create_folder(const std::string& path) override;
    bool copy_file(const std::string& from, const std::string& to, bool overwrite) override;
    bool delete_files(const std::string& pattern, bool force) override;
    bool rename_file(const std::string& from, const std::string& to) override;
    bool delete_folder(const std::string& path, bool force) override;
    bool delete_empty_folder(const std::string& path) override;
    bool create_text_file(const std::string& path) override;
    std::int64_t file_size(const std::string& path) const override;
    std::vector<std::string> list_folders(const std::string& path) const override;
    bool read_lines(const std::string& path, std::vector<std::string>& lines) const override;
    bool read_text(const std::string& path, std::string& text) const override;
    std::unique_ptr<TextWriter> open_writer(const std::string& path, bool append) override;

    // Test set-up: a folder with all its parents; a file with its content.
    void add_folder(const std::string& path);
    void add_file(const std::string& path, const std::string& content);
    void set_read_only(const std::string& path) { read_only.insert(normal(path)); }
    std::string content(const std::string& path) const;

    static std::string normal(const std::string& path);

    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> read_only;
    std::set<std::string> failing_paths;
    // Files still open, but nothing more can be written anywhere.
    bool disk_full = false;
    std::vector<std::string> changes;
    // Files written to since their writer last flushed (or closed): what a
    // crash of the program could still lose.
    std::set<std::string> unflushed;

  private:
    bool fails(const std::string& path) const;
    static std::string parent_of(const std::string& path);
};

}  // namespace zelkon
