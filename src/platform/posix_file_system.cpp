#include "platform/posix_file_system.h"

#include <fnmatch.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text_items.h"

namespace zelkon {
namespace fs = std::filesystem;

namespace {

class PosixTextWriter : public TextWriter {
  public:
    explicit PosixTextWriter(std::ofstream stream) : stream_(std::move(stream)) {}
    bool write_line(const std::string& text) override {
        stream_ << text << "\r\n";
        return static_cast<bool>(stream_);
    }
    bool write_text(const std::string& text) override {
        stream_ << text;
        return static_cast<bool>(stream_);
    }
    void flush() override { stream_.flush(); }
    bool close() override {
        if (!stream_.is_open()) {
            return static_cast<bool>(stream_);
        }
        stream_.flush();
        bool written = static_cast<bool>(stream_);
        stream_.close();
        return written && static_cast<bool>(stream_);
    }

  private:
    std::ofstream stream_;
};

std::string without_trailing_separator(const std::string& path) {
    std::string result = path;
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

// A file without its owner's write permission, whoever runs the program.
bool is_read_only(const fs::path& path) {
    std::error_code error;
    return (fs::status(path, error).permissions() & fs::perms::owner_write) == fs::perms::none;
}

}  // namespace

bool PosixFileSystem::file_exists(const std::string& path) const {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool PosixFileSystem::folder_exists(const std::string& path) const {
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

bool PosixFileSystem::create_folder(const std::string& path) {
    std::error_code error;
    return fs::create_directory(without_trailing_separator(path), error) && !error;
}

bool PosixFileSystem::copy_file(const std::string& from, const std::string& to, bool overwrite) {
    std::error_code error;
    auto options = overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    return fs::copy_file(from, to, options, error) && !error;
}

bool PosixFileSystem::delete_files(const std::string& pattern, bool force) {
    fs::path full(pattern);
    fs::path folder = full.parent_path().empty() ? fs::path(".") : full.parent_path();
    std::string name_pattern = full.filename().string();
    std::error_code error;
    bool matched = false;
    bool all_deleted = true;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(error) ||
            fnmatch(name_pattern.c_str(), name.c_str(), FNM_PERIOD) != 0) {
            continue;
        }
        matched = true;
        if (!force && is_read_only(entry.path())) {
            all_deleted = false;
            continue;
        }
        std::error_code remove_error;
        if (!fs::remove(entry.path(), remove_error)) {
            all_deleted = false;
        }
    }
    return matched && all_deleted;
}

bool PosixFileSystem::rename_file(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::rename(from, to, error);
    return !error;
}

bool PosixFileSystem::delete_folder(const std::string& path, bool /*force*/) {
    std::error_code error;
    std::string folder = without_trailing_separator(path);
    if (!fs::is_directory(folder, error)) {
        return false;
    }
    fs::remove_all(folder, error);
    return !error;
}

bool PosixFileSystem::delete_empty_folder(const std::string& path) {
    return ::rmdir(without_trailing_separator(path).c_str()) == 0;
}

bool PosixFileSystem::create_text_file(const std::string& path) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(stream);
}

std::int64_t PosixFileSystem::file_size(const std::string& path) const {
    std::error_code error;
    auto size = fs::file_size(path, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

std::vector<std::string> PosixFileSystem::list_folders(const std::string& path) const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(path, error)) {
        std::error_code kind_error;
        if (entry.is_directory(kind_error)) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool PosixFileSystem::read_lines(const std::string& path, std::vector<std::string>& lines) const {
    std::string text;
    if (!read_text(path, text)) {
        return false;
    }
    lines = split_text_lines(text);
    return true;
}

bool PosixFileSystem::read_text(const std::string& path, std::string& text) const {
    std::ifstream stream(path, std::ios::binary);
    if (!stream || !file_exists(path)) {
        return false;
    }
    std::ostringstream content;
    content << stream.rdbuf();
    text = content.str();
    return true;
}

std::unique_ptr<TextWriter> PosixFileSystem::open_writer(const std::string& path, bool append) {
    auto mode = std::ios::binary | (append ? std::ios::app : std::ios::trunc);
    std::ofstream stream(path, mode);
    if (!stream) {
        return nullptr;
    }
    return std::make_unique<PosixTextWriter>(std::move(stream));
}

}  // namespace zelkon
