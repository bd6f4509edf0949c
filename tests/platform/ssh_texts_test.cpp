#include "platform/ssh_texts.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

TEST(SshTexts, TheReasonIsSshsLastNonEmptyLineOrElseItsExitStatus) {
    CapturedRun refused{true, 255, "",
                        "Warning: added host\r\nssh: connect: Connection refused\n\n"};
    EXPECT_EQ(ssh_failure_reason(refused), "ssh: connect: Connection refused");
    CapturedRun silent{true, 3, "", " \n"};
    EXPECT_EQ(ssh_failure_reason(silent), "ssh ended with exit status 3");
}

}  // namespace
}  // namespace zelkon
