#pragma once

#include "platform/file_system.h"

namespace zelkon {

// The file system of this computer.
class PosixFileSystem : public FileSystem {
  public:
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
};

}  // namespace zelkon
