#include "platform/unix_pipe_paths.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/pipe_transport.h"

namespace zelkon {
namespace {

std::string environment(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : fallback;
}

}  // namespace

UnixPipeConfig UnixPipeConfig::from_environment() {
    UnixPipeConfig config;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    config.folder = runtime != nullptr && runtime[0] != '\0'
                        ? std::string(runtime) + "/piperpc"
                        : "/tmp/piperpc-" + std::to_string(geteuid());
    config.ssh = SshOptions::from_environment();
    config.dial_command = environment("PIPERPC_DIAL_COMMAND", "zelkon-listener --dial");
    return config;
}

int prepare_pipe_folder(const std::string& folder) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return pipe_error_from_errno(errno);
    }
    // A folder made by someone else (in /tmp, say) could let them replace our
    // sockets, so only our own private folder will do.
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        return pipe_error_from_errno(errno);
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid() || (info.st_mode & 077) != 0) {
        return kPipeAccessDenied;
    }
    return 0;
}

int pipe_socket_path(const std::string& folder, const std::string& name, std::string& path) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos) {
        return kPipeInvalidName;
    }
    path = folder + "/" + name;
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        return kPipeInvalidName;
    }
    return 0;
}

int pipe_error_from_errno(int error_number) {
    switch (error_number) {
        case ENOENT:
        case ECONNREFUSED:
            return kPipeFileNotFound;
        case EACCES:
        case EPERM:
            return kPipeAccessDenied;
        case ENOMEM:
        case ENOBUFS:
            return kPipeNotEnoughMemory;
        case EPIPE:
        case ECONNRESET:
        case ENOTCONN:
            return kPipeBrokenPipe;
        case ETIMEDOUT:
            return kPipeTimeout;
        case ENAMETOOLONG:
            return kPipeInvalidName;
        case EADDRINUSE:
            return kPipeBusy;
        case EAGAIN:
            return kPipeNoData;
        case EMSGSIZE:
            return kPipeMoreData;
        default:
            return kPipeGeneralFailure;
    }
}

}  // namespace zelkon
