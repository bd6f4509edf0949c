#include "ui/stats_grid_view.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

TEST(TwipsTest, FifteenTwipsMakeAPixelRoundedToTheNearest) {
    EXPECT_EQ(pixels_of_twips(900), 60);
    EXPECT_EQ(pixels_of_twips(907), 60);
    EXPECT_EQ(pixels_of_twips(908), 61);
    EXPECT_EQ(pixels_of_twips(0), 0);
}

// A grid too narrow for its formula gives negative widths; a column cannot be.
TEST(TwipsTest, NegativeWidthIsNoWidth) {
    EXPECT_EQ(pixels_of_twips(-300), 0);
}

}  // namespace
}  // namespace zelkon
