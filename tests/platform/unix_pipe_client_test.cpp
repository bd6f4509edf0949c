#include "platform/unix_pipe_client.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "overlapping_logins.h"
#include "platform/pipe_transport.h"
#include "platform/unix_pipe_transport.h"
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

// Pipes dialled ahead log in at the same time, and the opening takes each up; one
// that no opening took is ended.
TEST(UnixPipeTransport, PipesDialledAheadLogInAtOnce) {
    TempFolder temp;
    UnixPipeConfig config;
    config.folder = temp.file("pipes");
    config.ssh.program = {"/bin/sh", "-c",
                          overlapping_login(temp.path(), "\\005\\000\\000\\000READY"), "ssh"};
    config.dial_command = "dial";
    UnixPipeTransport transport(config);
    transport.dial_ahead("nodeA", "Zelkon_Server");
    transport.dial_ahead("nodeB", "Zelkon_Server");
    int error = 0;
    EXPECT_NE(transport.open("nodeA", "Zelkon_Server", 0, error), nullptr) << error;
    transport.drop_dials_ahead();
    int left_over = 0;
    std::ifstream(temp.file("nodeB.pid")) >> left_over;
    ASSERT_GT(left_over, 0);
    EXPECT_NE(kill(left_over, 0), 0) << "the dial no opening took is still running";
}

}  // namespace
}  // namespace zelkon
