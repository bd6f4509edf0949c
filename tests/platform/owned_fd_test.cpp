#include "platform/owned_fd.h"

#include <fcntl.h>
#include <gtest/gtest.h>

namespace zelkon {
namespace {

bool is_open(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

// Each descriptor is closed once, by whoever owns it last.
TEST(OwnedFd, ClosesWhatItOwnsOnceAndNothingElse) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    {
        OwnedFd first(ends[0]);
        OwnedFd second(ends[1]);
        OwnedFd moved(std::move(first));
        EXPECT_FALSE(first.valid());
        EXPECT_EQ(moved.get(), ends[0]);
        moved = std::move(second);  // closes the read end it held
        EXPECT_FALSE(is_open(ends[0]));
        EXPECT_TRUE(is_open(ends[1]));
        EXPECT_EQ(moved.release(), ends[1]);
    }
    EXPECT_TRUE(is_open(ends[1])) << "released, so not closed";
    OwnedFd last(ends[1]);
    last.reset();
    EXPECT_FALSE(is_open(ends[1]));
}

}  // namespace
}  // namespace zelkon
