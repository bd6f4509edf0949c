#include "platform/unix_pipe_client.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "platform/pipe_transport.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

// A socket that takes connections into its backlog but never greets them,
// as a hung listener would.
class SilentListener {
  public:
    explicit SilentListener(const std::string& path) {
        fd_ = socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = fd_ >= 0 &&
                 bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(fd_, 8) == 0;
    }
    ~SilentListener() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    bool bound() const { return bound_; }

  private:
    int fd_ = -1;
    bool bound_ = false;
};

// The wait for the greeting is the caller's wait, not a floor of seconds.
TEST(UnixPipeClient, ASilentListenerCostsNoMoreThanTheCallersWait) {
    TempFolder folder;
    std::string path = folder.path() + "/silent";
    SilentListener silent(path);
    ASSERT_TRUE(silent.bound());
    auto start = std::chrono::steady_clock::now();
    int error = 0;
    EXPECT_EQ(open_unix_socket(path, 100, error), nullptr);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(error, kPipeTimeout);
    EXPECT_LT(waited, std::chrono::milliseconds(1500));  // the old floor was 2 s
}

}  // namespace
}  // namespace zelkon
