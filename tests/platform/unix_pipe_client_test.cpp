#include "platform/unix_pipe_client.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/pipe_transport.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

// A listener that takes connections but never greets them, as a hung one, is a time-out.
TEST(UnixPipeClient, ASilentListenerIsATimeOut) {
    TempFolder folder;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, folder.file("silent").c_str(), sizeof address.sun_path - 1);
    int silent = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 8), 0);
    int error = 0;
    EXPECT_EQ(open_unix_socket(address.sun_path, 100, error), nullptr);
    EXPECT_EQ(error, kPipeTimeout);
    close(silent);
}

}  // namespace
}  // namespace zelkon
