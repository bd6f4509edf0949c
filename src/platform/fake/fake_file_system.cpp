#include "platform/fake/fake_file_system.h"

#include <fnmatch.h>

#include <algorithm>

#include "platform/posix_file_system.h"
#include "platform/text_items.h"

namespace zelkon {
namespace {

class FakeTextWriter : public TextWriter {
  public:
    FakeTextWriter(FakeFileSystem& files, std::string path) : files_(files), path_(path) {}
    bool write_line(const std::string& text) override { return write_text(text + "\r\n"); }
    bool write_text(const std::string& text) override {
        if (files_.failing_paths.count(path_) != 0 || files_.disk_full) {
            return false;
        }
        files_.files[path_] += text;
        files_.unflushed.insert(path_);
        return true;
    }
    void flush() override { files_.unflushed.erase(path_); }
    bool close() override {
        files_.unflushed.erase(path_);
        return files_.failing_paths.count(path_) == 0 && !files_.disk_full;
    }

  private:
    FakeFileSystem& files_;
    std::string path_;
};

}  // namespace

FakeFileSystem::FakeFileSystem() {
    folders.insert("/");
}

std::string FakeFileSystem::normal(const std::string& path) {
    std::string result = path;
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

std::string FakeFileSystem::parent_of(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool FakeFileSystem::fails(const std::string& path) const {
    return failing_paths.count(normal(path)) != 0;
}

bool FakeFileSystem::file_exists(const std::string& path) const {
    return !fails(path) && files.count(normal(path)) != 0;
}

bool FakeFileSystem::folder_exists(const std::string& path) const {
    return !path.empty() && !fails(path) && folders.count(normal(path)) != 0;
}

bool FakeFileSystem::create_folder(const std::string& path) {
    std::string folder = normal(path);
    if (fails(folder) || folders.count(folder) != 0 || files.count(folder) != 0 ||
        folders.count(parent_of(folder)) == 0) {
        return false;
    }
    folders.insert(folder);
    changes.push_back("create folder " + folder);
    return true;
}

bool FakeFileSystem::copy_file(const std::string& from, const std::string& to, bool overwrite) {
    std::string target = normal(to);
    if (!file_exists(from) || fails(target) || folders.count(parent_of(target)) == 0 ||
        (!overwrite && files.count(target) != 0) || read_only.count(target) != 0) {
        return false;
    }
    files[target] = files[normal(from)];
    changes.push_back("copy " + normal(from) + " to " + target);
    return true;
}

bool FakeFileSystem::rename_file(const std::string& from, const std::string& to) {
    std::string source = normal(from);
    std::string target = normal(to);
    if (files.count(source) == 0 || fails(source) || fails(target) ||
        folders.count(parent_of(target)) == 0) {
        return false;
    }
    files[target] = files[source];
    files.erase(source);
    changes.push_back("rename " + source + " to " + target);
    return true;
}

bool FakeFileSystem::delete_files(const std::string& pattern, bool force) {
    std::string folder = parent_of(pattern);
    std::string name_pattern = pattern.substr(pattern.rfind('/') + 1);
    bool matched = false;
    bool all_deleted = true;
    for (auto it = files.begin(); it != files.end();) {
        const std::string& path = it->first;
        std::string name = path.substr(path.rfind('/') + 1);
        if (parent_of(path) != folder ||
            fnmatch(name_pattern.c_str(), name.c_str(), FNM_PERIOD) != 0) {
            ++it;
            continue;
        }
        matched = true;
        if (fails(path) || (!force && read_only.count(path) != 0)) {
            all_deleted = false;
            ++it;
            continue;
        }
        changes.push_back("delete " + path);
        read_only.erase(path);
        it = files.erase(it);
    }
    return matched && all_deleted;
}

bool FakeFileSystem::delete_empty_folder(const std::string& path) {
    std::string folder = normal(path);
    std::string prefix = folder + "/";
    auto inside = [&prefix](const std::string& item) { return item.starts_with(prefix); };
    bool empty = std::none_of(files.begin(), files.end(),
                              [&inside](const auto& entry) { return inside(entry.first); }) &&
                 std::none_of(folders.begin(), folders.end(), inside);
    return empty && delete_folder(folder, false);
}

bool FakeFileSystem::delete_folder(const std::string& path, bool /*force*/) {
    std::string folder = normal(path);
    if (fails(folder) || folders.count(folder) == 0) {
        return false;
    }
    std::string prefix = folder + "/";
    std::erase_if(files, [&](const auto& entry) { return entry.first.starts_with(prefix); });
    std::erase_if(folders, [&](const std::string& f) { return f.starts_with(prefix); });
    folders.erase(folder);
    changes.push_back("delete folder " + folder);
    return true;
}

bool FakeFileSystem::create_text_file(const std::string& path) {
    std::string file = normal(path);
    if (fails(file) || folders.count(parent_of(file)) == 0 || read_only.count(file) != 0) {
        return false;
    }
    files[file] = "";
    changes.push_back("create " + file);
    return true;
}

std::int64_t FakeFileSystem::file_size(const std::string& path) const {
    auto it = files.find(normal(path));
    return it == files.end() || fails(path) ? -1 : static_cast<std::int64_t>(it->second.size());
}

std::vector<std::string> FakeFileSystem::list_folders(const std::string& path) const {
    std::string folder = normal(path);
    std::vector<std::string> names;
    for (const auto& candidate : folders) {
        if (candidate != folder && parent_of(candidate) == folder) {
            names.push_back(candidate.substr(candidate.rfind('/') + 1));
        }
    }
    return names;
}

bool FakeFileSystem::read_lines(const std::string& path, std::vector<std::string>& lines) const {
    if (!file_exists(path)) {
        return false;
    }
    lines = split_text_lines(files.at(normal(path)));
    return true;
}

bool FakeFileSystem::read_text(const std::string& path, std::string& text) const {
    if (!file_exists(path)) {
        return false;
    }
    text = files.at(normal(path));
    return true;
}

std::unique_ptr<TextWriter> FakeFileSystem::open_writer(const std::string& path, bool append) {
    std::string file = normal(path);
    if (fails(file) || folders.count(parent_of(file)) == 0 || read_only.count(file) != 0) {
        return nullptr;
    }
    if (!append || files.count(file) == 0) {
        files[file] = "";
    }
    changes.push_back((append ? "append " : "write ") + file);
    return std::make_unique<FakeTextWriter>(*this, file);
}

void FakeFileSystem::add_folder(const std::string& path) {
    std::string folder = normal(path);
    while (folders.count(folder) == 0) {
        folders.insert(folder);
        folder = parent_of(folder);
    }
}

void FakeFileSystem::add_file(const std::string& path, const std::string& content) {
    add_folder(parent_of(normal(path)));
    files[normal(path)] = content;
}

std::string FakeFileSystem::content(const std::string& path) const {
    auto it = files.find(normal(path));
    return it == files.end() ? std::string() : it->second;
}

}  // namespace zelkon
