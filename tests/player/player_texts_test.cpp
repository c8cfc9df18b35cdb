#include "player/about_texts.h"
#include "player/byte_size.h"
#include "player/playback_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatByteSize, PicksTheUnitAtEachBoundary)
{
    EXPECT_EQ(FormatByteSize(0), "0 Byte(s)");
    EXPECT_EQ(FormatByteSize(1023), "1023 Byte(s)");
    EXPECT_EQ(FormatByteSize(1024), "1.00 KB");
    EXPECT_EQ(FormatByteSize(1536), "1.50 KB");
    EXPECT_EQ(FormatByteSize(1048575), "1024.00 KB"); // 1023.999 rounds up in the text, unit stays KB
    EXPECT_EQ(FormatByteSize(1048576), "1.00 MB");
    EXPECT_EQ(FormatByteSize(1073741823), "1024.00 MB");
    EXPECT_EQ(FormatByteSize(1073741824), "1.00 GB");
    EXPECT_EQ(FormatByteSize(4294967295u), "4.00 GB");
    EXPECT_EQ(FormatByteSize(1048576, ','), "1,00 MB");
    EXPECT_EQ(FormatFixed2(12.0), "12.00");
    EXPECT_EQ(FormatFixed2(29.5, ','), "29,50");
}

TEST(AboutTexts, CreditLineCompanyCutsAndVersion)
{
    EXPECT_EQ(AboutApplicationLine(""), "Tavolin created by Quindo Vexlor");
    EXPECT_EQ(AboutApplicationLine("My Movie"), "My Movie");

    EXPECT_EQ(AboutCompanyLine("", ""), "");
    EXPECT_EQ(AboutCompanyLine("Acme", ""), "Acme / ");
    EXPECT_EQ(AboutCompanyLine("", "(c) 2009"), " / (c) 2009");
    EXPECT_EQ(AboutCompanyLine("Acme", "(c) 2009"), "Acme / (c) 2009");
    const std::string thirty(30, 'c');
    const std::string copyright(30, 'r');
    EXPECT_EQ(AboutCompanyLine(thirty, copyright), thirty + " / " + copyright); // 63: nothing cut
    const std::string longer(40, 'c'); // only possible from a hand-made record
    EXPECT_EQ(AboutCompanyLine(longer, copyright), longer.substr(0, 33) + copyright);

    EXPECT_EQ(AboutVersionLine({1, 0, 0, 0}), "v. 1.0.0.0");
    EXPECT_EQ(AboutVersionLine({10, -2, 300, 7}), "v. 10.-2.300.7");
}

TEST(PlaybackRules, FrameCounterAndLoopRestart)
{
    EXPECT_EQ(FrameCounterText(0, 1200), "1 / 1200");
    EXPECT_EQ(FrameCounterText(-1, 0), "0 / 0"); // shown as the control reports it

    EXPECT_TRUE(ShouldRestartLoop(0, 1, -1, 0));  // a stopped one-frame movie restarts on every tick
    EXPECT_TRUE(ShouldRestartLoop(9, 10, 1, 0));  // any non-zero loop value counts as true
    EXPECT_FALSE(ShouldRestartLoop(9, 10, -1, -1)); // still playing
    EXPECT_FALSE(ShouldRestartLoop(9, 10, 0, 0));   // not looping
    EXPECT_FALSE(ShouldRestartLoop(8, 10, -1, 0));  // not on the last frame
}

TEST(PlaybackRules, CommandVisibilityFollowsTheBitsAndStopFollowsPlay)
{
    EXPECT_TRUE(CommandVisible(0x0001, PlayerCommand::ZoomIn));
    EXPECT_TRUE(CommandVisible(0x0008, PlayerCommand::QualityMenus));
    EXPECT_TRUE(CommandVisible(0x2000, PlayerCommand::About));
    EXPECT_FALSE(CommandVisible(0x1FFF, PlayerCommand::About));
    EXPECT_TRUE(CommandVisible(0x0010, PlayerCommand::Stop));
    EXPECT_FALSE(CommandVisible(0xFFEF, PlayerCommand::Stop)); // every bit but Play
    EXPECT_FALSE(CommandVisible(0xFFEF, PlayerCommand::Play));
    for (int c = 0; c <= static_cast<int>(PlayerCommand::Stop); ++c)
        EXPECT_FALSE(CommandVisible(0, static_cast<PlayerCommand>(c)));
}

} // namespace
