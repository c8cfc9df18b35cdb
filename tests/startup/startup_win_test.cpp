// Packaged players started as processes and watched through their windows, the
// way a user meets them: start-up and its reports, signed players, and players
// driven by real mouse input.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "player/window_position.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/packaged_player_win.h"
#include "tests/support_win/scoped_state_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"
#include "tests/support_win/window_text_win.h"
#include "tools/package_builder.h"
#include "winbase/handles_win.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace swfp::wintest;

namespace {

// The window classes of a player's windows as another process sees them.
constexpr wchar_t kPlayerWindow[] = L"TfrmPlr", kSplashWindow[] = L"TfrmSplash";

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

// A lambda has no stdcall conversion on 32-bit, so the callback is a plain function.
BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == search->pid && IsWindowVisible(hwnd) && wcscmp(cls, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A program started in its own folder with no arguments (it inherits this
// process's environment, a live StandinLog included), watched through its
// top-level windows and its exit code, and ended when the object goes.
class ChildProcess {
public:
    explicit ChildProcess(const fs::path& exe)
    {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring command = L"\"" + exe.wstring() + L"\"";
        if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            exe.parent_path().c_str(), &si, &info_))
            throw std::runtime_error("cannot start " + exe.string() + ": error " + std::to_string(GetLastError()));
    }
    ~ChildProcess()
    {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The first visible top-level window of the process with that class, or null.
    HWND FindWindowOf(const wchar_t* className) const
    {
        WindowSearch search{info_.dwProcessId, className, nullptr};
        EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // The first window of any of these classes to show within `timeout`; gives
    // up early once the process has ended.
    HWND WaitForAnyWindow(std::initializer_list<const wchar_t*> classNames,
                          std::chrono::milliseconds timeout = 20s) const
    {
        const auto until = std::chrono::steady_clock::now() + timeout;
        for (bool ended = false;;) {
            for (const wchar_t* className : classNames)
                if (HWND found = FindWindowOf(className))
                    return found;
            if (ended || std::chrono::steady_clock::now() >= until)
                return nullptr;
            // One more look after the end: the window may have come just before.
            ended = WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0;
        }
    }
    HWND WaitForWindow(const wchar_t* className, std::chrono::milliseconds timeout = 20s) const
    {
        return WaitForAnyWindow({className}, timeout);
    }
    // The exit code once the process has ended, or -1 while it still runs after `timeout`.
    long WaitForExit(std::chrono::milliseconds timeout = 20s) const
    {
        if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<long>(code);
    }
    // Asks `window` to close and waits for the exit code as WaitForExit does.
    long CloseAndWait(HWND window, std::chrono::milliseconds timeout = 20s) const
    {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return WaitForExit(timeout);
    }

private:
    PROCESS_INFORMATION info_{};
};


// A one-frame movie of 550 x 400 px.
PlayerBlock TinyMovie() { return MovieBlock(SwfWriter().FrameSize(550, 400).ShowFrame().Build()); }

PlayerBlock Splash()
{
    std::vector<uint8_t> bytes = ReadWholeFile(ExeFolder() / "splash_fixture.jpg");
    EXPECT_FALSE(bytes.empty()) << "the splash picture is drawn beside the test program";
    return Block(PackageBlockKind::SplashImage, std::move(bytes));
}

// A player in a folder of its own (the folder's name tells the players of one test apart).
fs::path MakePlayer(const std::wstring& name, const std::vector<PlayerBlock>& blocks)
{
    return WritePackage(NewTempFolder(name) / (name + L".exe"), PlayerExecutable(), blocks);
}

void CloseWindowAndWait(const ChildProcess& player, HWND hwnd) { EXPECT_EQ(player.CloseAndWait(hwnd), 0); }

TEST(SingleInstance, SameNameIsRefusedWhileASingleInstancePlayerRunsButOtherNamesAndOtherPlayersStart)
{
    PlayerSettings single = ZeroSettings();
    single.SingleInstance = 1;
    const fs::path first = MakePlayer(L"movie", {RuntimeBlock(), SettingsBlock(single), TinyMovie()});
    ChildProcess running(first);
    HWND main = running.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(main);

    // the same file name in another folder is refused with the message, and no window
    const fs::path sameName = WritePackage(NewTempFolder("other") / L"movie.exe", PlayerExecutable(),
                                           {RuntimeBlock(), TinyMovie()});
    ChildProcess refused(sameName);
    HWND box = refused.WaitForWindow(kMessageBox);
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowText(box), L"Information");
    EXPECT_EQ(MessageBoxText(box), L"One instance of Flash player already exists");
    EXPECT_FALSE(refused.FindWindowOf(kPlayerWindow));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(refused.WaitForExit(), 0);

    CloseWindowAndWait(running, main);
    // once it has ended, the name is free again, and players without the setting
    // do not block each other once they have started
    ChildProcess after(sameName);
    HWND afterMain = after.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(afterMain);
    ChildProcess beside(sameName);
    HWND besideMain = beside.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(besideMain);
    CloseWindowAndWait(beside, besideMain);
    CloseWindowAndWait(after, afterMain);
}

// Every report of start-up comes in a message box, with no player window and
// with the topmost splash gone (the box would sit under it and the program
// would look frozen). The splash block stands behind the failing one, so the
// splash shows before the failure is met.
TEST(Startup, FailuresAreReportedAndEndTheProgramWithItsCode)
{
    const std::string warning = "This movie needs the Flash runtime.";
    const PlayerBlock notAnIcon = Block(PackageBlockKind::ApplicationIcon, std::vector<uint8_t>(100, 0x33));
    // A settings trailer whose length cannot fit the file.
    std::vector<uint8_t> corrupt = PlayerExecutable();
    corrupt.insert(corrupt.end(), {0x40, 0x34, 0x12, 0xFA, 0xFF, 0xFF, 0xFF, 0x7F});
    const struct {
        const char* name;
        std::vector<uint8_t> base;
        std::vector<PlayerBlock> blocks;
        const wchar_t* title;  // null: the program's own
        std::wstring text;     // the whole message, or a part of it when `part`
        bool part;
        long exitCode;
    } cases[] = {
        {"runtime warning", PlayerExecutable(),
         {Block(PackageBlockKind::RuntimeWarning, {warning.begin(), warning.end()}), Splash(), TinyMovie()},
         L"Warning!", L"This movie needs the Flash runtime.", false, 0},
        {"no runtime", PlayerExecutable(), {Block(PackageBlockKind::MovieInformation, {}), Splash(), TinyMovie()},
         nullptr, L"needs the Flash Player runtime", true, 0},
        {"not an icon", PlayerExecutable(), {RuntimeBlock(), notAnIcon, Splash(), TinyMovie()}, nullptr, L"icon", true, 1},
        {"corrupt package", corrupt, {TinyMovie()}, nullptr, L"settings", true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChildProcess player(WritePackage(NewTempFolder(c.name) / L"failing.exe", c.base, c.blocks));
        HWND box = player.WaitForWindow(kMessageBox, 30s);
        ASSERT_TRUE(box);
        EXPECT_EQ(WindowText(box), c.title ? c.title : L"Tavolin");
        if (c.part)
            EXPECT_NE(MessageBoxText(box).find(c.text), std::wstring::npos) << MessageBoxText(box).c_str();
        else
            EXPECT_EQ(MessageBoxText(box), c.text);
        EXPECT_FALSE(player.FindWindowOf(kSplashWindow));
        EXPECT_FALSE(player.FindWindowOf(kPlayerWindow));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(player.WaitForExit(), c.exitCode);
    }
}

int CursorFiles(const fs::path& folder)
{
    int n = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        n += entry.path().filename().wstring().rfind(L"cur", 0) == 0 && entry.path().extension() == L".tmp";
    return n;
}

// The player hands the cursor to the system through a file in the user's
// temporary folder, and removes it whether it loads or not.
TEST(Startup, TheCursorFileIsWrittenToTheTemporaryFolderAndRemovedEvenWhenItIsNotACursor)
{
    const fs::path exe = MakePlayer(L"cursor", {RuntimeBlock(),
        Block(PackageBlockKind::Cursor, std::vector<uint8_t>(64, 0x5A)), TinyMovie()});
    const fs::path temp = NewTempFolder("cursor-temp");
    for (const bool folderExists : {false, true}) {
        SCOPED_TRACE(folderExists ? "temporary folder" : "no temporary folder");
        const fs::path folder = folderExists ? temp : temp / "missing";
        const ScopedEnvironmentVariable tmp(L"TMP", folder.wstring()), alsoTemp(L"TEMP", folder.wstring());
        ChildProcess player(exe);
        HWND shown = player.WaitForAnyWindow({kPlayerWindow, kMessageBox});
        ASSERT_TRUE(shown);
        if (!folderExists) {
            // Where the file cannot be written the player says so: it does write one.
            EXPECT_NE(MessageBoxText(shown).find(L"temporary cursor file"), std::wstring::npos);
            PostMessageW(shown, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(player.WaitForExit(), 1);
            continue;
        }
        EXPECT_TRUE(player.FindWindowOf(kPlayerWindow)) << MessageBoxText(shown).c_str();
        EXPECT_EQ(CursorFiles(folder), 0);
        EXPECT_FALSE(fs::exists(exe.parent_path() / "temp.cur"));
        CloseWindowAndWait(player, shown);
    }
}

TEST(Startup, LibrariesPlantedBesideThePlayerAreNeverLoaded)
{
    // Windows looks beside the executable first; Wine does so for the libraries
    // it is told to prefer in their native form (the prefix's per-application overrides).
    const std::vector<std::wstring> planted = {L"comctl32", L"msimg32", L"urlmon", L"version", L"winmm"};
    const std::wstring overridesKey = L"Software\\Wine\\AppDefaults\\planted.exe\\DllOverrides";
    const RegistryKeyRestorer restorer(HKEY_CURRENT_USER, overridesKey);
    swfp::win::UniqueRegKey overrides;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, overridesKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              overrides.put(), nullptr),
              ERROR_SUCCESS);
    const std::wstring order = L"native,builtin";
    for (const std::wstring& library : planted)
        RegSetValueExW(overrides.get(), library.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                       DWORD((order.size() + 1) * sizeof(wchar_t)));

    StandinLog log;
    const fs::path exe = MakePlayer(L"planted", {RuntimeBlock(), TinyMovie()});
    for (const std::wstring& name : planted)
        fs::copy_file(ExeFolder() / "planted_library.dll", exe.parent_path() / (name + L".dll"));
    ChildProcess player(exe);
    HWND main = player.WaitForWindow(kPlayerWindow, 30s);
    ASSERT_TRUE(main);
    EXPECT_TRUE(PumpUntil([&] { return log.HasPrefix("movie frames"); }, 20s)) << "the packaged runtime plays the movie\n"
                                                                               << log.Dump();
    CloseWindowAndWait(player, main);
    for (const std::wstring& name : planted) {
        // Wine's own user32 imports version.dll, Windows' does not: that one
        // name is the import table's check.
        if (name != L"version") {
            EXPECT_FALSE(fs::exists(exe.parent_path() / (name + L".dll.planted"))) << fs::path(name).string();
        }
    }
}

// ---------------------------------------------------------------------------
// Players made by the packaging tool's builder, as a user gets them.

// A branded player with the stand-in runtime and a movie that quits on its
// second frame: a player that ends by itself has played its movie. Its
// resources are read back in the packaging tool's tests.
void BuildQuittingPlayer(const fs::path& path, const fs::path& icon)
{
    PackageInputs in;
    in.base = PlayerExecutable();
    in.movie = SwfWriter().FrameSize(200, 100).ShowFrame().FSCommand("quit", "").ShowFrame().Build();
    in.runtime = ReadWholeFile(ExeFolder() / "flash_standin.dll");
    in.icon = ReadWholeFile(icon);
    PlayerSettings s = ZeroSettings();
    SetCountedString(s.Title, "Orbit");
    SetCountedString(s.CompanyName, "Acme Caf\xE9");
    SetCountedString(s.ProductVersion, "3.1");
    const int32_t version[4] = {2, 5, 0, 7};
    std::copy(std::begin(version), std::end(version), s.FileVersion);
    s.AutoPlay = 1;
    in.settings = s;
    WriteWholeFile(path, BuildPlayer(in));
}

// Run by signed_player_test.sh: this writes the player, the script signs it
// with osslsigncode, and the next one runs the signed file.
TEST(SignedPlayer, DISABLED_WriteThePlayerToSign)
{
    fs::create_directories(ExeFolder() / "signing");
    BuildQuittingPlayer(ExeFolder() / "signing" / "player.exe", ExeFolder() / "images" / "green_multi.ico");
}

TEST(SignedPlayer, DISABLED_PlaysItsMovie)
{
    const fs::path exe = ExeFolder() / "signing" / "signed.exe";
    ASSERT_GT(ReadWholeFile(exe).size(), ReadWholeFile(ExeFolder() / "signing" / "player.exe").size());
    ChildProcess player(exe);
    EXPECT_EQ(player.WaitForExit(40s), 0) << "the movie's quit ends the player";
}

// ---------------------------------------------------------------------------
// Packaged players driven by real mouse input.

// A packaged player maps its runtime from the package before its window shows.
constexpr auto kStartTime = 30s;

std::vector<uint8_t> Movie()
{
    SwfWriter w;
    w.FrameSize(400, 300).FrameRate(12).SetBackgroundColor({20, 90, 140});
    w.DefineRectangle(1, 80, 80, {250, 200, 40}).PlaceObject(1, 1, 10, 100).ShowFrame();
    for (int i = 1; i < 24; ++i)
        w.MoveObject(1, 10 + i * 12, 100).ShowFrame();
    return w.Build();
}

// A player file with the stand-in runtime, the settings and the movie.
fs::path MakeDrivenPlayer(const std::wstring& name, const std::function<void(PlayerSettings&)>& edit)
{
    PlayerSettings s = ZeroSettings();
    SetCountedString(s.Title, "Black box");
    s.ShowControls = 1;
    s.VisibleCommands = 0x3FFF;
    s.WindowPosition = 9;
    s.WindowLeft = 40;
    s.WindowTop = 30;
    edit(s);
    return MakePlayer(name, {SettingsBlock(s), RuntimeBlock(), MovieBlock(Movie())});
}

// A started packaged player; the stand-in in it writes to `log`, made first.
struct Player {
    StandinLog log;
    ChildProcess process;
    HWND main = process.WaitForWindow(kPlayerWindow, kStartTime);

    explicit Player(const fs::path& exe) : process(exe) {}

    // Whether the window shows with its movie loaded and is in front, ready for input.
    bool ReadyForInput() const
    {
        if (!main || log.AwaitPrefix("movie frames", 0, kStartTime) < 0)
            return false;
        SetForegroundWindow(main);
        return PumpUntil([&] { return GetForegroundWindow() == main; }, 5s);
    }
};

RECT WindowRect(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool WindowReaches(HWND window, LONG left, LONG top)
{
    return PumpUntil([&] { return WindowRect(window).left == left && WindowRect(window).top == top; }, 5s);
}

// Puts the pointer there; the system has it once GetCursorPos reports it.
bool MouseAt(POINT p)
{
    SetCursorPos(p.x, p.y);
    POINT now{};
    return PumpUntil([&] { return GetCursorPos(&now) && now.x == p.x && now.y == p.y; }, 5s);
}

// A point of the control panel (client coordinates of the panel, which lies at the window's bottom).
POINT PanelPoint(HWND main, int x, int y)
{
    RECT client{};
    GetClientRect(main, &client);
    POINT p{x, client.bottom - 133 + y};
    ClientToScreen(main, &p);
    return p;
}

TEST(DrivenPlayer, TheWindowOpensWhereTheSettingsPlaceItAndNextTimeWhereItWasClosed)
{
    {
        Player placed(MakeDrivenPlayer(L"placed", [](PlayerSettings&) {}));
        ASSERT_TRUE(placed.ReadyForInput());
        EXPECT_EQ(WindowText(placed.main), L"Black box") << "the package's title";
        EXPECT_EQ(WindowRect(placed.main).left, 40);
        EXPECT_EQ(WindowRect(placed.main).top, 30);
        EXPECT_EQ(placed.process.CloseAndWait(placed.main), 0);
    }
    const fs::path remembering = MakeDrivenPlayer(L"remember", [](PlayerSettings& s) { s.RememberPosition = 1; });
    const RegistryKeyRestorer key(HKEY_CURRENT_USER, fs::path(WindowPositionKey(remembering.string())).wstring());
    {
        Player first(remembering);
        ASSERT_TRUE(first.main);
        EXPECT_EQ(WindowRect(first.main).left, 1497) << "no stored position yet: the designed place";
        SetWindowPos(first.main, nullptr, 210, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ASSERT_TRUE(WindowReaches(first.main, 210, 120));
        EXPECT_EQ(first.process.CloseAndWait(first.main), 0);
    }
    Player second(remembering);
    ASSERT_TRUE(second.main);
    EXPECT_EQ(WindowRect(second.main).left, 210);
    EXPECT_EQ(WindowRect(second.main).top, 120);
    EXPECT_EQ(second.process.CloseAndWait(second.main), 0);
}

// Whether the thread of that window is in a move or size loop.
bool MovingOrSizing(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && (info.flags & GUI_INMOVESIZE);
}

TEST(DrivenPlayer, ACaptionlessWindowIsDraggedByItsBody)
{
    Player player(MakeDrivenPlayer(L"drag", [](PlayerSettings& s) {
        s.CaptionMode = 2;
        s.DragAnywhere = 1;
    }));
    ASSERT_TRUE(player.ReadyForInput());
    EXPECT_EQ(GetWindowLongW(player.main, GWL_STYLE) & WS_CAPTION, 0);
    const RECT before = WindowRect(player.main);
    const POINT start = PanelPoint(player.main, 20, 8);  // the movie title on the panel
    ASSERT_TRUE(MouseAt(start));
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return MovingOrSizing(player.main); }, 5s)) << "the press starts the window's move";
    // Each step is followed until the window stands there.
    for (int i = 1; i <= 10; ++i) {
        ASSERT_TRUE(MouseAt({start.x + i * 6, start.y + i * 4}));
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        ASSERT_TRUE(WindowReaches(player.main, before.left + i * 6, before.top + i * 4)) << "step " << i;
    }
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !MovingOrSizing(player.main); }, 5s)) << "the release ends the move";
    EXPECT_EQ(WindowRect(player.main).left - before.left, 60);
    EXPECT_EQ(WindowRect(player.main).top - before.top, 40);
    EXPECT_EQ(player.process.CloseAndWait(player.main), 0);
}

}  // namespace
