// Start-up seen from outside: packaged players are started as processes and
// watched through their windows, the way a user meets them.
#include <windows.h>

#include <gtest/gtest.h>
#include <imagehlp.h>
#include <shellapi.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/swf_writer.h"
#include "tests/support_win/child_process_win.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/packaged_player_win.h"
#include "tests/support_win/scoped_state_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"
#include "tools/package_builder.h"
#include "winbase/handles_win.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace swfp::wintest;

namespace {

// A one-frame movie of 550 x 400 px.
PlayerBlock TinyMovie() { return MovieBlock(SwfWriter().FrameSize(550, 400).ShowFrame().Build()); }

PlayerBlock Picture(PackageBlockKind kind, const fs::path& file)
{
    std::vector<uint8_t> bytes = ReadWholeFile(file);
    EXPECT_FALSE(bytes.empty()) << file.string() << " is drawn beside the test program";
    return Block(kind, std::move(bytes));
}

PlayerBlock Splash() { return Picture(PackageBlockKind::SplashImage, ExeFolder() / "splash_fixture.jpg"); }

fs::path Images() { return ExeFolder() / "images"; }

// A player in a folder of its own (the folder's name tells the players of one test apart).
fs::path MakePlayer(const std::wstring& name, const std::vector<PlayerBlock>& blocks)
{
    return WritePackage(NewTempFolder(name) / (name + L".exe"), PlayerExecutable(), blocks);
}

void CloseWindowAndWait(const ChildProcess& player, HWND hwnd) { EXPECT_EQ(player.CloseAndWait(hwnd), 0); }

bool Near(COLORREF a, COLORREF b, int tolerance = 40)
{
    return std::abs(GetRValue(a) - GetRValue(b)) < tolerance && std::abs(GetGValue(a) - GetGValue(b)) < tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) < tolerance;
}

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

    // a renamed copy of the very same single-instance player runs beside it
    const fs::path renamed = first.parent_path() / L"renamed.exe";
    fs::copy_file(first, renamed);
    ChildProcess other(renamed);
    HWND otherMain = other.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(otherMain);
    CloseWindowAndWait(other, otherMain);

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

// Whether a pixel of about one of these colours shows in the left part of the window's caption.
bool CaptionShows(HWND hwnd, std::initializer_list<COLORREF> colours)
{
    RECT frame{};
    GetWindowRect(hwnd, &frame);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    HDC screen = GetDC(nullptr);
    bool found = false;
    for (int y = frame.top; y < origin.y && !found; ++y)
        for (int x = frame.left; x < frame.left + 48 && !found; ++x)
            for (const COLORREF colour : colours)
                found = found || Near(GetPixel(screen, x, y), colour, 12);
    ReleaseDC(nullptr, screen);
    return found;
}

TEST(Startup, TakesTheTitleAndTheIconFromThePackage)
{
    const COLORREF green = RGB(0x16, 0xA3, 0x4A);
    PlayerSettings titled = ZeroSettings();
    SetCountedString(titled.Title, "My Movie");
    ChildProcess player(MakePlayer(L"titled", {RuntimeBlock(), SettingsBlock(titled),
        Picture(PackageBlockKind::ApplicationIcon, ExeFolder() / "icon_fixture.ico"), TinyMovie()}));
    HWND main = player.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(main);
    EXPECT_EQ(WindowText(main), L"My Movie");
    // Wine answers WM_GETICON from another process with 0, so look at the
    // caption instead: the package's green icon is drawn there once it is painted.
    EXPECT_TRUE(PumpUntil([&] { return CaptionShows(main, {green}); }, 10s));
    CloseWindowAndWait(player, main);

    ChildProcess plain(MakePlayer(L"untitled", {RuntimeBlock(), TinyMovie()}));
    HWND plainMain = plain.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(plainMain);
    EXPECT_EQ(WindowText(plainMain), L"Quindo Flash Player");
    ASSERT_TRUE(PumpUntil([&] {
        return CaptionShows(plainMain, {GetSysColor(COLOR_ACTIVECAPTION), GetSysColor(COLOR_INACTIVECAPTION),
                                        GetSysColor(COLOR_GRADIENTACTIVECAPTION),
                                        GetSysColor(COLOR_GRADIENTINACTIVECAPTION)});
    }, 10s)) << "the caption is painted";
    EXPECT_FALSE(CaptionShows(plainMain, {green})) << "the program's own icon";
    CloseWindowAndWait(plain, plainMain);
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
        if (name != L"version")
            EXPECT_FALSE(fs::exists(exe.parent_path() / (name + L".dll.planted"))) << fs::path(name).string();
    }
}

TEST(Startup, APackagedRuntimeThatFaultsLeavesAPlayerWithoutRuntime)
{
    for (const wchar_t* fault : {L"entry-illegal", L"factory"}) {
        SCOPED_TRACE(fs::path(fault).string());
        const ScopedEnvironmentVariable faultKind(L"FAULTY_MODULE_FAULT", fault);  // the player inherits it
        // The faulty module is the package's only runtime.
        ChildProcess player(MakePlayer(fault, {RuntimeBlock(L"flashrt_faulty_module.dll"), TinyMovie()}));
        // Either the runtime is found unusable at start-up and the user is told so,
        // or the window opens without it; the process never dies of the fault.
        HWND shown = player.WaitForAnyWindow({kPlayerWindow, kMessageBox}, 30s);
        ASSERT_TRUE(shown) << "the player neither opened nor reported";
        if (player.FindWindowOf(kPlayerWindow)) {
            CloseWindowAndWait(player, shown);
            continue;
        }
        EXPECT_NE(MessageBoxText(shown).find(L"Flash Player runtime"), std::wstring::npos)
            << MessageBoxText(shown).c_str();
        PostMessageW(shown, WM_COMMAND, IDOK, 0);
        const long code = player.WaitForExit();
        EXPECT_TRUE(code == 0 || code == 1) << "an orderly end, not the fault's code: " << std::hex << code;
    }
}

// ---------------------------------------------------------------------------
// Players made by the packaging tool's builder, as a user gets them.

// A branded player with the stand-in runtime and a movie that quits on its
// second frame: a player that ends by itself has played its movie.
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

std::wstring VersionString(const std::vector<uint8_t>& info, const wchar_t* name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return L"(missing)";
    return value;
}

// The colour at the centre of the file's first large icon, as the shell extracts it.
COLORREF IconCentre(const fs::path& exe)
{
    HICON large = nullptr;
    if (ExtractIconExW(exe.c_str(), 0, &large, nullptr, 1) != 1)
        return CLR_INVALID;
    const swfp::win::UniqueIcon icon(large);
    ICONINFO parts{};
    GetIconInfo(icon.get(), &parts);
    const swfp::win::UniqueGdiObject<HBITMAP> colour(parts.hbmColor), mask(parts.hbmMask);
    const swfp::win::UniqueDC dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ old = SelectObject(dc.get(), colour.get());
    const COLORREF centre = GetPixel(dc.get(), 16, 16);
    SelectObject(dc.get(), old);
    return centre;
}

// What Windows itself reads from the file: version, icons, checksum.
void ExpectBranded(const fs::path& exe, COLORREF iconColour)
{
    DWORD handle = 0;
    std::vector<uint8_t> info(GetFileVersionInfoSizeW(exe.c_str(), &handle));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, DWORD(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020005u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000007u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00030001u);
    EXPECT_EQ(VersionString(info, L"CompanyName"), L"Acme Caf\u00E9");
    EXPECT_EQ(VersionString(info, L"FileDescription"), L"Orbit");
    EXPECT_EQ(VersionString(info, L"FileVersion"), L"2.5.0.7");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"3.1");

    EXPECT_EQ(ExtractIconExW(exe.c_str(), -1, nullptr, nullptr, 0), 1u) << "one group icon";
    const COLORREF centre = IconCentre(exe);
    EXPECT_TRUE(centre != CLR_INVALID && Near(centre, iconColour, 70)) << std::hex << centre;

    DWORD stored = 0, computed = 0;
    ASSERT_EQ(MapFileAndCheckSumW(exe.c_str(), &stored, &computed), DWORD(CHECKSUM_SUCCESS));
    EXPECT_EQ(stored, computed);
}

TEST(BuiltPlayer, CarriesItsIconVersionAndChecksumAndPlaysItsMovie)
{
    const struct {
        const wchar_t* icon;
        COLORREF colour;
    } icons[] = {{L"green_multi.ico", RGB(0x15, 0x7a, 0x3f)}, {L"red_png256.ico", RGB(0xae, 0x20, 0x20)}};
    for (const auto& [icon, colour] : icons) {
        SCOPED_TRACE(fs::path(icon).string());
        const fs::path exe = NewTempFolder(fs::path(icon).stem()) / L"orbit.exe";
        BuildQuittingPlayer(exe, Images() / icon);
        ExpectBranded(exe, colour);
        ChildProcess player(exe);
        EXPECT_EQ(player.WaitForExit(40s), 0) << "the movie's quit ends the player";
    }
}

// Run by signed_player_test.sh: this writes the player, the script signs it
// with osslsigncode, and the next one runs the signed file.
TEST(SignedPlayer, DISABLED_WriteThePlayerToSign)
{
    fs::create_directories(ExeFolder() / "signing");
    BuildQuittingPlayer(ExeFolder() / "signing" / "player.exe", Images() / "green_multi.ico");
}

TEST(SignedPlayer, DISABLED_PlaysItsMovie)
{
    const fs::path exe = ExeFolder() / "signing" / "signed.exe";
    ASSERT_GT(ReadWholeFile(exe).size(), ReadWholeFile(ExeFolder() / "signing" / "player.exe").size());
    ChildProcess player(exe);
    EXPECT_EQ(player.WaitForExit(40s), 0) << "the movie's quit ends the player";
}

// The splash window's client pixel at (x, y) (negative: from the right or bottom edge).
COLORREF SplashPixel(HWND splash, int x, int y)
{
    RECT client{};
    GetClientRect(splash, &client);
    POINT at{x < 0 ? client.right + x : x, y < 0 ? client.bottom + y : y};
    ClientToScreen(splash, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return pixel;
}

// A larger picture shows its centre, cut at the window's edges; a smaller one
// lies centred on the button face. CMYK pictures show in their colours. The
// splash has gone when the player window shows.
TEST(Splash, PicturesAreCentredUnscaledOnTheButtonFace)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    struct Probe {
        int x, y;
        COLORREF colour;
    };
    const struct {
        const wchar_t* file;
        std::vector<Probe> probes;
    } cases[] = {
        {L"splash_large.jpg", {{4, 4, RGB(0, 0, 255)}, {-5, -5, RGB(0, 0, 255)}, {223, 126, RGB(0, 0, 255)}}},
        {L"splash_small.jpg", {{223, 126, RGB(0, 192, 0)}, {176, 104, RGB(0, 192, 0)}, {4, 4, face}, {170, 126, face}}},
        {L"cmyk.jpg", {{223, 126, RGB(255, 128, 0)}, {4, 4, face}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fs::path(c.file).string());
        ChildProcess player(MakePlayer(fs::path(c.file).stem().wstring(),
            {RuntimeBlock(), Picture(PackageBlockKind::SplashImage, Images() / c.file), TinyMovie()}));
        HWND splash = player.WaitForWindow(kSplashWindow);
        ASSERT_TRUE(splash);
        // Painted once shown: every probe shows its colour before the splash goes.
        const auto allShow = [&] {
            bool all = true;
            for (const Probe& p : c.probes)
                all = all && Near(SplashPixel(splash, p.x, p.y), p.colour);
            return all;
        };
        PumpUntil(allShow, 5s);
        for (const Probe& p : c.probes)
            EXPECT_TRUE(Near(SplashPixel(splash, p.x, p.y), p.colour))
                << p.x << "," << p.y << ": " << std::hex << SplashPixel(splash, p.x, p.y);
        HWND main = player.WaitForWindow(kPlayerWindow, 30s);
        ASSERT_TRUE(main);
        EXPECT_FALSE(player.FindWindowOf(kSplashWindow));
        CloseWindowAndWait(player, main);
    }
}

TEST(Splash, APictureThePlayerCannotDecodeIsReportedAndStartUpGoesOn)
{
    ChildProcess player(MakePlayer(L"twelve", {RuntimeBlock(),
        Picture(PackageBlockKind::SplashImage, Images() / "twelve_bit.jpg"), TinyMovie()}));
    HWND box = player.WaitForWindow(kMessageBox);
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowText(box), L"Splash picture");
    EXPECT_NE(MessageBoxText(box).find(L"starts without it"), std::wstring::npos)
        << MessageBoxText(box).c_str();
    EXPECT_FALSE(player.FindWindowOf(kSplashWindow));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = player.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(main);
    EXPECT_FALSE(player.FindWindowOf(kSplashWindow));
    CloseWindowAndWait(player, main);
}

}  // namespace
