#include "files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "error.h"

namespace zelkon_ref {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw ZelkonError("cannot " + what + " " + path.string() + ": " + std::strerror(errno));
}

void write_all(int fd, const std::string& bytes, const std::filesystem::path& path) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            int saved = errno;
            ::close(fd);
            errno = saved;
            fail("write", path);
        }
        done += static_cast<size_t>(n);
    }
}

}  // namespace

std::string read_text_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail("read", path);
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file_atomically(const std::filesystem::path& path, const std::string& content) {
    // A task that was given up for hung may still finish while its retry runs: each
    // process needs its own temporary file.
    std::filesystem::path temporary = path;
    temporary += ".part" + std::to_string(::getpid());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail("create", temporary);
    }
    try {
        write_all(fd, content, temporary);
        ::fsync(fd);
        ::close(fd);
        if (std::rename(temporary.c_str(), path.c_str()) != 0) {
            fail("rename to", path);
        }
    } catch (const ZelkonError&) {
        ::unlink(temporary.c_str());  // a full disk should not also keep half a file
        throw;
    }
}

std::string crlf_lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

void append_durably(const std::filesystem::path& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail("open", path);
    }
    write_all(fd, bytes, path);
    if (::fdatasync(fd) != 0) {
        int saved = errno;
        ::close(fd);
        errno = saved;
        fail("flush", path);
    }
    ::close(fd);
}

std::uintmax_t file_size_or_zero(const std::filesystem::path& path) {
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

void touch_file(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail("create", path);
    }
    ::close(fd);
}

}  // namespace zelkon_ref

namespace zelkon_ref {

FolderLock::FolderLock(const std::filesystem::path& folder) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        fail("open the folder", folder);
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        throw ZelkonError("another assembly is working in " + folder.string());
    }
}

FolderLock::~FolderLock() {
    ::close(fd_);
}

}  // namespace zelkon_ref
