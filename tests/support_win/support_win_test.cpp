// The shared Windows test helpers: what the test programs rely on them for.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/support_win/child_process_win.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace swfp::wintest;

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

// Appends as the stand-in does: whole lines ending in "\r\n".
void Append(const StandinLog& log, const std::string& text)
{
    std::ofstream(log.Path(), std::ios::binary | std::ios::app) << text;
}

TEST(StandinLog, NamesItsFileToTheStandinOnlyWhileItLives)
{
    fs::path path;
    {
        StandinLog log;
        path = log.Path();
        EXPECT_EQ(Environment(L"FLASH_STANDIN_LOG"), path.wstring());
        Append(log, "call Play\r\n");
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_EQ(Environment(L"FLASH_STANDIN_LOG"), L"");
    EXPECT_FALSE(fs::exists(path));
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

TEST(TestFiles, TemporaryFoldersAreFreshAndGoWithTheirContents)
{
    fs::path kept;
    {
        TempFolder one, two;
        EXPECT_NE(one.Path(), two.Path());
        EXPECT_TRUE(fs::is_directory(one.Path()));
        fs::create_directories(one.Path() / "inner");
        WriteWholeFile(one.Path() / "inner" / "file.txt", {1, 2, 3});
        kept = one.Path();
    }
    EXPECT_FALSE(fs::exists(kept));

    const fs::path named = NewTempFolder("named");
    WriteWholeFile(named / "old.txt", {1});
    EXPECT_EQ(NewTempFolder("named"), named);
    EXPECT_TRUE(fs::is_empty(named)) << "a named folder is made afresh";
}

TEST(ChildProcess, AProgramThatCannotStartIsAnError)
{
    EXPECT_THROW(ChildProcess(ExeFolder() / "no_such_program.exe"), std::runtime_error);
}

TEST(ChildProcess, ReportsTheExitCodeAndStopsWaitingForWindowsOfAnEndedProcess)
{
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const fs::path program = fs::path(system) / "hostname.exe";
    ASSERT_TRUE(fs::exists(program));
    ChildProcess child(program);
    EXPECT_EQ(child.WaitForExit(), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(child.WaitForWindow(L"NoSuchClass", 10s), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
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

    const DWORD start = GetTickCount();
    EXPECT_FALSE(PumpUntil([] { return false; }, 100ms));
    EXPECT_GE(GetTickCount() - start, 100u);
    EXPECT_TRUE(PumpUntil([] { return true; }, 0ms));
}

}  // namespace
