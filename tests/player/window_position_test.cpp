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

TEST(PositionToRemember, AMinimisedOrMaximisedWindowRemembersItsNormalPlaceOnTheScreen)
{
    const StoredPosition frame{-32000, -32000}, normal{100, 50}, workArea{0, 30};
    EXPECT_EQ(PositionToRemember(false, {300, 200}, normal, workArea), (StoredPosition{300, 200}));
    EXPECT_EQ(PositionToRemember(true, frame, normal, workArea), (StoredPosition{100, 80}));
    EXPECT_EQ(PositionToRemember(true, frame, normal, {-1280, 0}), (StoredPosition{-1180, 50}));
}

TEST(TrayRestoreFor, HiddenOrMinimisedWindowsComeBackAndShownOnesStayAsTheyAre)
{
    struct Case { bool visible, minimised; TrayRestore expected; };
    for (const Case c : {Case{true, false, TrayRestore::Nothing}, Case{false, false, TrayRestore::Show},
                         Case{true, true, TrayRestore::Restore}, Case{false, true, TrayRestore::Restore}})
        EXPECT_EQ(TrayRestoreFor(c.visible, c.minimised), c.expected) << c.visible << c.minimised;
}
