#include <gtest/gtest.h>

#include "player/window_position.h"

TEST(WindowPositionKey, EveryBackslashOfThePathBecomesAnUnderscore)
{
    EXPECT_EQ(WindowPositionKey("C:\\Games\\My Movie\\movie.exe"),
              "Software\\Quindo Software\\Vexlor\\C:_Games_My Movie_movie.exe");
    // Two copies in different folders keep different positions.
    EXPECT_NE(WindowPositionKey("C:\\a\\movie.exe"), WindowPositionKey("C:\\b\\movie.exe"));
    // Forward slashes are not separators here and stay as they are.
    EXPECT_EQ(WindowPositionKey("x/y"), "Software\\Quindo Software\\Vexlor\\x/y");
}

TEST(StoredPosition, OnlyBothValuesTogetherMakeAStoredPosition)
{
    EXPECT_EQ(StoredPositionFrom(120, -40), (StoredPosition{120, -40}));
    EXPECT_EQ(StoredPositionFrom(-1, -1), (StoredPosition{-1, -1}));
    // A key holding one value (or values of another kind) reads as absent
    // instead of stopping the window's creation.
    EXPECT_FALSE(StoredPositionFrom(120, std::nullopt));
    EXPECT_FALSE(StoredPositionFrom(std::nullopt, 40));
    EXPECT_FALSE(StoredPositionFrom(std::nullopt, std::nullopt));
}
