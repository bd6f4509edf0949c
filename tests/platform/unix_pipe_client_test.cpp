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

// The wait for the greeting is the caller's wait, not a floor of seconds: a
// listener that takes connections into its backlog but never greets them, as
// a hung one would, costs no more.
TEST(UnixPipeClient, ASilentListenerCostsNoMoreThanTheCallersWait) {
    TempFolder folder;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, folder.file("silent").c_str(), sizeof address.sun_path - 1);
    int silent = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 8), 0);
    auto start = std::chrono::steady_clock::now();
    int error = 0;
    EXPECT_EQ(open_unix_socket(address.sun_path, 100, error), nullptr);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(error, kPipeTimeout);
    EXPECT_LT(waited, std::chrono::milliseconds(1500));  // the old floor was 2 s
    close(silent);
}

}  // namespace
}  // namespace zelkon
