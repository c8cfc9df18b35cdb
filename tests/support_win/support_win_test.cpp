// The shared Windows test helpers: what the test programs rely on them for.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

using namespace std::chrono_literals;
using namespace swfp::wintest;

namespace {

// Appends as the stand-in does: whole lines ending in "\r\n".
void Append(const StandinLog& log, const std::string& text)
{
    std::ofstream(log.Path(), std::ios::binary | std::ios::app) << text;
}

TEST(StandinLog, FindsWholeLinesOrPrefixesFromAGivenLine)
{
    StandinLog log;
    EXPECT_TRUE(log.Lines().empty()) << "a new log starts empty";
    Append(log, "call Play\r\ncall put_Loop -1\r\ncall Play\r\ncall Playing\r\n");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"call Play", "call put_Loop -1", "call Play", "call Playing"}));

    EXPECT_EQ(log.FindLine("call Play"), 0);
    EXPECT_EQ(log.FindLine("call Play", 1), 2);
    EXPECT_EQ(log.FindLine("call Play", 3), -1);
    EXPECT_EQ(log.FindLine("call put_Loop"), -1) << "a line matches only as a whole";
    EXPECT_EQ(log.FindLine("call Play", -5), 0) << "a negative start is the first line";
    EXPECT_EQ(log.FindPrefix("call put_Loop"), 1);
    EXPECT_EQ(log.FindPrefix("call Play", 3), 3);
    EXPECT_EQ(log.CountLine("call Play"), 2);
    EXPECT_TRUE(log.HasPrefix("call Playi"));
    EXPECT_FALSE(log.HasLine("call Playi"));

    log.Clear();
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(log.FindPrefix(""), -1);
}

TEST(TestFiles, WholeFilesKeepEveryByte)
{
    TempFolder folder;
    const std::vector<uint8_t> bytes = {'a', '\r', '\n', 0x1A, 0, '\n', 0xFF};
    WriteWholeFile(folder.File(L"bytes.bin"), bytes);
    EXPECT_EQ(ReadWholeFile(folder.File(L"bytes.bin")), bytes);
    WriteWholeFile(folder.File(L"bytes.bin"), {1});
    EXPECT_EQ(ReadWholeFile(folder.File(L"bytes.bin")), std::vector<uint8_t>{1}) << "writing replaces";
    EXPECT_TRUE(ReadWholeFile(folder.File(L"absent.bin")).empty());
    EXPECT_THROW(WriteWholeFile(folder.File(L"no\\such\\folder.bin"), bytes), std::runtime_error);
}

bool g_timerFired = false;

void CALLBACK TimerFired(HWND, UINT, UINT_PTR, DWORD) { g_timerFired = true; }

TEST(MessagePump, DispatchesWhileWaitingAndGivesUpAfterTheTimeout)
{
    g_timerFired = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &TimerFired);
    ASSERT_NE(timer, 0u);
    EXPECT_TRUE(PumpUntil([] { return g_timerFired; }, 5s));
    KillTimer(nullptr, timer);

    EXPECT_FALSE(PumpUntil([] { return false; }, 100ms));
    EXPECT_TRUE(PumpUntil([] { return true; }, 0ms));
}

}  // namespace
