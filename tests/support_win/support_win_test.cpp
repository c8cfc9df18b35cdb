// The shared Windows test helpers: what the test programs rely on them for.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>

#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/scoped_state_win.h"
#include "tests/support_win/standin_log_win.h"
#include "winbase/handles_win.h"

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

// The registry as the guards find it and leave it.
std::optional<DWORD> ReadValue(const std::wstring& key, const wchar_t* name)
{
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteValue(const std::wstring& key, const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

TEST(RegistryKeyRestorer, RemovesWhatItDidNotFindAndPutsBackWhatItFound)
{
    const std::wstring parent = L"Software\\swfp-tests-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring key = parent + L"\\made\\here";
    {
        const RegistryKeyRestorer restorer(HKEY_CURRENT_USER, key);
        WriteValue(key, L"Left", 1);
        ASSERT_EQ(ReadValue(key, L"Left"), 1u);
    }
    swfp::win::UniqueRegKey left;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ, left.put()), ERROR_SUCCESS)
        << "the parents it made went too";

    WriteValue(key, L"Left", 7);
    {
        const RegistryKeyRestorer restorer(HKEY_CURRENT_USER, key);
        WriteValue(key, L"Left", 8);
        WriteValue(key, L"Top", 9);
        ASSERT_EQ(ReadValue(key, L"Top"), 9u);
    }
    EXPECT_EQ(ReadValue(key, L"Left"), 7u);
    EXPECT_EQ(ReadValue(key, L"Top"), std::nullopt);
    RegDeleteTreeW(HKEY_CURRENT_USER, parent.c_str());
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
