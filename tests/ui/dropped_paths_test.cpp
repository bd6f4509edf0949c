#include "ui/dropped_paths.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QUrl>

namespace zelkon {
namespace {

TEST(DroppedPathsTest, UrlListGivesLocalPathsInOrder) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/data/inv one"), QUrl::fromLocalFile("/data/b.txt")});
    auto paths = dropped_paths(data);
    ASSERT_TRUE(paths.has_value());
    EXPECT_EQ(*paths, (std::vector<std::string>{"/data/inv one", "/data/b.txt"}));
}

TEST(DroppedPathsTest, DropWithoutUrlListGivesNothing) {
    QMimeData data;
    data.setText("/data/inv");
    EXPECT_FALSE(dropped_paths(data).has_value());
}

TEST(DroppedPathsTest, RemoteUrlIsKeptAsTextSoItIsNoFolder) {
    QMimeData data;
    data.setUrls({QUrl("https://example.org/data")});
    auto paths = dropped_paths(data);
    ASSERT_TRUE(paths.has_value());
    EXPECT_EQ(*paths, (std::vector<std::string>{"https://example.org/data"}));
}

}  // namespace
}  // namespace zelkon
