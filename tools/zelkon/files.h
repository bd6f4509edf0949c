// File helpers: whole-file reads, crash-safe writes and durable appends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zelkon_ref {

std::string read_text_file(const std::filesystem::path& path);

// Writes next to the target and renames, so a reader never sees half a file.
void write_file_atomically(const std::filesystem::path& path, const std::string& content);

// Lines joined with CR LF, as the controller's text files are.
std::string crlf_lines(const std::vector<std::string>& lines);

// Appends and flushes to the disk before returning: what is appended is durable.
void append_durably(const std::filesystem::path& path, const std::string& bytes);

std::uintmax_t file_size_or_zero(const std::filesystem::path& path);

// Creates an empty file (or leaves an existing one) and throws on failure.
void touch_file(const std::filesystem::path& path);

}  // namespace zelkon_ref

namespace zelkon_ref {

// Holds an exclusive lock on a folder for as long as it lives; throws ZelkonError when
// another process holds it. The lock goes with the process, however it ends.
class FolderLock {
  public:
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace zelkon_ref
