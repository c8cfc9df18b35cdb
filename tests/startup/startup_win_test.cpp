// Start-up seen from outside: packaged players are started as processes and
// watched through their windows, the way a user meets them.
#include <windows.h>

#include "app/player_package.h"
#include "app/player_settings.h"

#include <gtest/gtest.h>

#include "tests/support/deflate.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/child_process_win.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"
#include "tools/package_builder.h"

#include <imagehlp.h>
#include <shellapi.h>


#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace swfp::wintest;

namespace {

// A tiny uncompressed movie: header, one ShowFrame, End.
std::vector<uint8_t> TinyMovie()
{
    std::vector<uint8_t> body = {0x80, 0x00, 0x01, 0x57, 0xC0, 0x00, 0x00, 0xFA, 0x00, // 16-bit fields: 0..11000 x 0..8000 twips
                                 0x00, 0x0C, 0x01, 0x00,                               // 12 fps, 1 frame
                                 0x40, 0x00, 0x00, 0x00};                              // ShowFrame, End
    std::vector<uint8_t> movie = {'F', 'W', 'S', 8, 0, 0, 0, 0};
    movie.insert(movie.end(), body.begin(), body.end());
    movie[4] = uint8_t(movie.size());
    return movie;
}

struct Block {
    uint32_t magic;
    std::vector<uint8_t> payload;
};

// A runtime module beside the test program, as a package carries it.
Block RuntimeBlock(const wchar_t* dllName)
{
    const std::vector<uint8_t> module = ReadWholeFile(ExeFolder() / dllName);
    EXPECT_FALSE(module.empty()) << fs::path(dllName).string() << " sits beside the test program";
    return {PackageMagicOf(PackageBlockKind::RuntimeModule), swfp::test::Deflate(module)};
}

// The stand-in runtime, which most players carry: a player without any runtime
// tells the user so and opens no window.
const std::vector<uint8_t>& RuntimeModulePayload()
{
    static const std::vector<uint8_t> payload = RuntimeBlock(L"flash_standin.dll").payload;
    return payload;
}

fs::path MakePlayer(const fs::path& folder, const std::wstring& fileName, const std::vector<Block>& blocks,
                    bool withRuntime = true)
{
    std::vector<uint8_t> file = ReadWholeFile(ExeFolder() / "swf_player.exe");
    EXPECT_GT(file.size(), 0u) << "swf_player.exe must sit beside the test program";
    if (withRuntime)
        AppendBlock(file, PackageBlockKind::RuntimeModule, RuntimeModulePayload());
    for (const Block& block : blocks)
        AppendBlock(file, block.magic, block.payload);
    const fs::path path = folder / fileName;
    WriteWholeFile(path, file);
    return path;
}

Block SettingsBlock(std::function<void(PlayerSettings&)> edit)
{
    PlayerSettings settings{};
    edit(settings);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&settings);
    return {PackageMagicOf(PackageBlockKind::Settings), {bytes, bytes + sizeof settings}};
}

Block MovieBlock() { return {kPackageMovieMagic, TinyMovie()}; }

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

std::wstring MessageBoxText(HWND box)
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024); // the message's static control
    return text;
}

bool Near(COLORREF a, COLORREF b, int tolerance = 40)
{
    return std::abs(GetRValue(a) - GetRValue(b)) < tolerance && std::abs(GetGValue(a) - GetGValue(b)) < tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) < tolerance;
}

// Whether a pixel of about that colour shows in the left part of the window's caption.
bool CaptionShowsColour(HWND hwnd, COLORREF colour)
{
    RECT frame{}, client{};
    GetWindowRect(hwnd, &frame);
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Sleep(300);
    HDC screen = GetDC(nullptr);
    bool found = false;
    for (int y = frame.top; y < origin.y && !found; ++y)
        for (int x = frame.left; x < frame.left + 48 && !found; ++x) {
            found = Near(GetPixel(screen, x, y), colour, 12);
        }
    ReleaseDC(nullptr, screen);
    return found;
}

void CloseWindowAndWait(const ChildProcess& player, HWND hwnd) { EXPECT_EQ(player.CloseAndWait(hwnd), 0); }

constexpr wchar_t kMessageBox[] = L"#32770";
constexpr wchar_t kPlayerWindow[] = L"TfrmPlr";

TEST(SingleInstance, SameNameIsRefusedWhileASingleInstancePlayerRunsButOtherNamesStart)
{
    const auto single = SettingsBlock([](PlayerSettings& s) { s.SingleInstance = 1; });
    const fs::path first = MakePlayer(NewTempFolder("a"), L"movie.exe", {single, MovieBlock()});
    ChildProcess running(first);
    HWND main = running.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(main);

    // the same file name in another folder is refused with the message, and no window
    const fs::path sameName = MakePlayer(NewTempFolder("b"), L"movie.exe", {MovieBlock()});
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
    // once it has ended, the name is free again
    ChildProcess after(sameName);
    HWND afterMain = after.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(afterMain);
    CloseWindowAndWait(after, afterMain);
}

TEST(SingleInstance, PlayersWithoutTheSettingDoNotBlockEachOther)
{
    const fs::path exe = MakePlayer(NewTempFolder("c"), L"free.exe", {MovieBlock()});
    ChildProcess first(exe);
    HWND firstMain = first.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(firstMain);
    ChildProcess second(exe);
    HWND secondMain = second.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(secondMain);
    EXPECT_FALSE(second.FindWindowOf(kMessageBox));
    CloseWindowAndWait(second, secondMain);
    CloseWindowAndWait(first, firstMain);
}

TEST(Startup, TakesTheTitleAndTheIconFromThePackage)
{
    const auto settings = SettingsBlock([](PlayerSettings& s) { SetCountedString(s.Title, "My Movie"); });
    const Block icon{PackageMagicOf(PackageBlockKind::ApplicationIcon), ReadWholeFile(ExeFolder() / "icon_fixture.ico")};
    ASSERT_FALSE(icon.payload.empty());
    const fs::path exe = MakePlayer(NewTempFolder("d"), L"titled.exe", {settings, icon, MovieBlock()});
    ChildProcess player(exe);
    HWND main = player.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(main);
    EXPECT_EQ(WindowText(main), L"My Movie");
    // Wine answers WM_GETICON from another process with 0, so look at the
    // caption instead: the package's green icon is drawn there.
    EXPECT_TRUE(CaptionShowsColour(main, RGB(0x16, 0xA3, 0x4A)));
    CloseWindowAndWait(player, main);

    const fs::path untitled = MakePlayer(NewTempFolder("e"), L"untitled.exe", {MovieBlock()});
    ChildProcess plain(untitled);
    HWND plainMain = plain.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(plainMain);
    EXPECT_EQ(WindowText(plainMain), L"Quindo Flash Player");
    EXPECT_FALSE(CaptionShowsColour(plainMain, RGB(0x16, 0xA3, 0x4A))); // the program's own icon
    CloseWindowAndWait(plain, plainMain);
}

TEST(Startup, RuntimeRequiredWarningStopsStartUpWhenNoRuntimeIsRegistered)
{
    const std::string warning = "This movie needs the Flash runtime.";
    const fs::path exe = MakePlayer(NewTempFolder("f"), L"needs.exe",
        {{PackageMagicOf(PackageBlockKind::RuntimeWarning), {warning.begin(), warning.end()}}, MovieBlock()}, false);
    ChildProcess player(exe);
    HWND box = player.WaitForWindow(kMessageBox);
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowText(box), L"Warning!");
    EXPECT_EQ(MessageBoxText(box), L"This movie needs the Flash runtime.");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(player.WaitForExit(), 0);
}

TEST(Startup, WithoutAnyRuntimeTheUserIsToldInsteadOfGettingAnEmptyWindow)
{
    const fs::path exe = MakePlayer(NewTempFolder("m"), L"bare.exe", {MovieBlock()}, false);
    ChildProcess player(exe);
    HWND box = player.WaitForWindow(kMessageBox);
    ASSERT_TRUE(box);
    EXPECT_NE(MessageBoxText(box).find(L"needs the Flash Player runtime"), std::wstring::npos);
    EXPECT_FALSE(player.FindWindowOf(kPlayerWindow));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(player.WaitForExit(), 0);
}

// Any message box of start-up comes with the topmost splash gone, or the box
// would sit under it and the program would look frozen. The splash block stands
// behind the failing one, so the walk shows the splash first.
TEST(Startup, NoMessageBoxIsLeftBehindTheSplash)
{
    const std::string warning = "Needs Flash.";
    const Block splash{PackageMagicOf(PackageBlockKind::SplashImage), ReadWholeFile(ExeFolder() / "splash_fixture.jpg")};
    const struct {
        Block failing;
        bool withRuntime;
        long exitCode;
    } cases[] = {
        {{PackageMagicOf(PackageBlockKind::ApplicationIcon), std::vector<uint8_t>(100, 0x33)}, true, 1},
        {{PackageMagicOf(PackageBlockKind::RuntimeWarning), {warning.begin(), warning.end()}}, false, 0},
        {{PackageMagicOf(PackageBlockKind::MovieInformation), {}}, false, 0},  // no runtime at all
    };
    for (const auto& c : cases) {
        const fs::path exe = MakePlayer(NewTempFolder("n"), L"splashed.exe", {c.failing, splash, MovieBlock()},
                                        c.withRuntime);
        ChildProcess player(exe);
        HWND box = player.WaitForWindow(kMessageBox, 30s);
        ASSERT_TRUE(box) << c.failing.magic;
        EXPECT_FALSE(player.FindWindowOf(L"TfrmSplash")) << c.failing.magic;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(player.WaitForExit(), c.exitCode) << c.failing.magic;
    }
}

TEST(Startup, ACorruptPackageIsReportedAndTheProgramEndsWithFailure)
{
    // a settings trailer whose length cannot fit the file
    std::vector<uint8_t> bogus = {0x40, 0x34, 0x12, 0xFA, 0xFF, 0xFF, 0xFF, 0x7F};
    const fs::path folder = NewTempFolder("g");
    std::vector<uint8_t> file = ReadWholeFile(ExeFolder() / "swf_player.exe");
    file.insert(file.end(), bogus.begin(), bogus.end());
    AppendBlock(file, kPackageMovieMagic, TinyMovie());
    WriteWholeFile(folder / "corrupt.exe", file);

    ChildProcess player(folder / "corrupt.exe");
    HWND box = player.WaitForWindow(kMessageBox);
    ASSERT_TRUE(box);
    EXPECT_NE(MessageBoxText(box).find(L"settings"), std::wstring::npos) << "the report names the block";
    EXPECT_FALSE(player.FindWindowOf(kPlayerWindow));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(player.WaitForExit(), 1);
}

TEST(Startup, AnIconBlockThatIsNoIconIsReported)
{
    const std::vector<uint8_t> notAnIcon(100, 0x33);
    const fs::path exe = MakePlayer(NewTempFolder("k"), L"badicon.exe",
        {{PackageMagicOf(PackageBlockKind::ApplicationIcon), notAnIcon}, MovieBlock()});
    ChildProcess player(exe);
    HWND box = player.WaitForWindow(kMessageBox);
    ASSERT_TRUE(box);
    EXPECT_NE(MessageBoxText(box).find(L"icon"), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(player.WaitForExit(), 1);
}

TEST(Startup, TheCursorFileIsRemovedEvenWhenItIsNotACursor)
{
    const fs::path temp = fs::temp_directory_path();
    auto cursorFiles = [&] {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(temp))
            n += entry.path().filename().wstring().rfind(L"cur", 0) == 0 && entry.path().extension() == L".tmp";
        return n;
    };
    const int before = cursorFiles();
    const std::vector<uint8_t> notACursor(64, 0x5A);
    const fs::path exe = MakePlayer(NewTempFolder("h"), L"cursor.exe",
        {{PackageMagicOf(PackageBlockKind::Cursor), notACursor}, MovieBlock()});
    ChildProcess player(exe);
    HWND main = player.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(main);
    EXPECT_EQ(cursorFiles(), before);
    EXPECT_FALSE(fs::exists(exe.parent_path() / "temp.cur"));
    CloseWindowAndWait(player, main);
}

TEST(Startup, APackageWithoutSplashStartsWithoutTheSplashHold)
{
    // The splash is held for three seconds after the player window exists; a
    // package without one must not wait. Compared within one run, so machine
    // speed cancels out.
    auto timeToWindow = [](const fs::path& exe, bool expectSplash) {
        const auto start = std::chrono::steady_clock::now();
        ChildProcess player(exe);
        if (expectSplash) {
            EXPECT_TRUE(player.WaitForWindow(L"TfrmSplash"));
        }
        HWND main = player.WaitForWindow(kPlayerWindow, 30s);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(main);
        EXPECT_FALSE(player.FindWindowOf(L"TfrmSplash"));
        if (main)
            CloseWindowAndWait(player, main);
        return elapsed;
    };
    const fs::path splash = ExeFolder() / "splash_fixture.jpg";
    ASSERT_TRUE(fs::exists(splash));
    const fs::path with = MakePlayer(NewTempFolder("i"), L"with.exe",
        {{PackageMagicOf(PackageBlockKind::SplashImage), ReadWholeFile(splash)}, MovieBlock()});
    const fs::path without = MakePlayer(NewTempFolder("j"), L"without.exe", {MovieBlock()});
    const auto withSplash = timeToWindow(with, true);
    const auto withoutSplash = timeToWindow(without, false);
    EXPECT_GE(withSplash - withoutSplash, 2500ms);
}

// Wine prefers the native form of these libraries for one executable name while
// the object lives (the prefix's per-application overrides).
class NativeLibrariesFirst {
public:
    NativeLibrariesFirst(const std::wstring& exeName, const std::vector<std::wstring>& libraries)
        : key_(L"Software\\Wine\\AppDefaults\\" + exeName)
    {
        HKEY overrides = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (key_ + L"\\DllOverrides").c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &overrides, nullptr),
                  ERROR_SUCCESS);
        const std::wstring order = L"native,builtin";
        for (const std::wstring& library : libraries)
            RegSetValueExW(overrides, library.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                           DWORD((order.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(overrides);
    }
    ~NativeLibrariesFirst() { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }
    NativeLibrariesFirst(const NativeLibrariesFirst&) = delete;
    NativeLibrariesFirst& operator=(const NativeLibrariesFirst&) = delete;

private:
    std::wstring key_;
};

TEST(Startup, LibrariesPlantedBesideThePlayerAreNeverLoaded)
{
    // Windows looks beside the executable first; Wine does so for the libraries
    // it is told to prefer in their native form.
    const std::vector<std::wstring> planted = {L"comctl32", L"msimg32", L"urlmon", L"version", L"winmm"};
    const NativeLibrariesFirst overrides(L"planted.exe", planted);
    StandinLog log;
    const fs::path folder = NewTempFolder("planted");
    const fs::path exe = MakePlayer(folder, L"planted.exe", {MovieBlock()});
    for (const std::wstring& name : planted)
        fs::copy_file(ExeFolder() / "planted_library.dll", folder / (name + L".dll"));

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
            EXPECT_FALSE(fs::exists(folder / (name + L".dll.planted"))) << fs::path(name).string();
        }
    }
}

TEST(Startup, APackagedRuntimeThatFaultsLeavesAPlayerWithoutRuntime)
{
    for (const wchar_t* fault : {L"entry-illegal", L"factory"}) {
        SCOPED_TRACE(fs::path(fault).string());
        SetEnvironmentVariableW(L"FAULTY_MODULE_FAULT", fault);  // the player inherits it
        // The faulty module is the package's only runtime.
        const fs::path exe = MakePlayer(NewTempFolder(fault), L"faulty.exe",
                                        {RuntimeBlock(L"flashrt_faulty_module.dll"), MovieBlock()}, false);
        ChildProcess player(exe);
        // Either the runtime is found unusable at start-up and the user is told so,
        // or the window opens without it; the process never dies of the fault.
        HWND main = nullptr, box = nullptr;
        for (const auto deadline = std::chrono::steady_clock::now() + 30s;
             !main && !box && std::chrono::steady_clock::now() < deadline;) {
            main = player.FindWindowOf(kPlayerWindow);
            box = player.FindWindowOf(kMessageBox);
        }
        ASSERT_TRUE(main || box) << "the player neither opened nor reported";
        if (box) {
            EXPECT_NE(MessageBoxText(box).find(L"Flash Player runtime"), std::wstring::npos)
                << MessageBoxText(box).c_str();
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            const long code = player.WaitForExit();
            EXPECT_TRUE(code == 0 || code == 1) << "an orderly end, not the fault's code: " << std::hex << code;
        } else {
            CloseWindowAndWait(player, main);
        }
    }
    SetEnvironmentVariableW(L"FAULTY_MODULE_FAULT", nullptr);
}

// ---------------------------------------------------------------------------
// Players made by the packaging tool's builder, as a user gets them.

fs::path Images() { return ExeFolder() / "images"; }

// A branded player with the stand-in runtime and a movie that quits on its
// second frame: a player that ends by itself has played its movie.
void BuildQuittingPlayer(const fs::path& path, const fs::path& icon)
{
    PackageInputs in;
    in.base = ReadWholeFile(ExeFolder() / "swf_player.exe");
    in.movie = SwfWriter().FrameSize(200, 100).ShowFrame().FSCommand("quit", "").ShowFrame().Build();
    in.runtime = ReadWholeFile(ExeFolder() / "flash_standin.dll");
    in.icon = ReadWholeFile(icon);
    PlayerSettings s{};
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
    HICON large = nullptr;
    ASSERT_EQ(ExtractIconExW(exe.c_str(), 0, &large, nullptr, 1), 1u);
    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(large, &icon));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, icon.hbmColor);
    const COLORREF centre = GetPixel(dc, 16, 16);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    DestroyIcon(large);
    EXPECT_TRUE(Near(centre, iconColour, 70)) << std::hex << centre;

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
        EXPECT_EQ(player.WaitForExit(std::chrono::seconds(40)), 0) << "the movie's quit ends the player";
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
    EXPECT_EQ(player.WaitForExit(std::chrono::seconds(40)), 0) << "the movie's quit ends the player";
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
// lies centred on the button face. CMYK pictures show in their colours.
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
        const fs::path exe = MakePlayer(NewTempFolder(fs::path(c.file).stem()), L"splash.exe",
            {{PackageMagicOf(PackageBlockKind::SplashImage), ReadWholeFile(Images() / c.file)}, MovieBlock()});
        ChildProcess player(exe);
        HWND splash = player.WaitForWindow(L"TfrmSplash");
        ASSERT_TRUE(splash);
        // Painted once shown; poll until every probe shows its colour, or the splash is gone.
        bool all = false;
        for (const auto deadline = std::chrono::steady_clock::now() + 5s; !all && std::chrono::steady_clock::now() < deadline;) {
            all = true;
            for (const Probe& p : c.probes)
                all = all && Near(SplashPixel(splash, p.x, p.y), p.colour);
        }
        for (const Probe& p : c.probes)
            EXPECT_TRUE(Near(SplashPixel(splash, p.x, p.y), p.colour))
                << p.x << "," << p.y << ": " << std::hex << SplashPixel(splash, p.x, p.y);
        HWND main = player.WaitForWindow(kPlayerWindow, 30s);
        ASSERT_TRUE(main);
        CloseWindowAndWait(player, main);
    }
}

TEST(Splash, APictureThePlayerCannotDecodeIsReportedAndStartUpGoesOn)
{
    const fs::path exe = MakePlayer(NewTempFolder("twelve"), L"twelve.exe",
        {{PackageMagicOf(PackageBlockKind::SplashImage), ReadWholeFile(Images() / "twelve_bit.jpg")}, MovieBlock()});
    ChildProcess player(exe);
    HWND box = player.WaitForWindow(kMessageBox);
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowText(box), L"Splash picture");
    EXPECT_NE(MessageBoxText(box).find(L"starts without it"), std::wstring::npos) << MessageBoxText(box).c_str();
    EXPECT_FALSE(player.FindWindowOf(L"TfrmSplash"));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = player.WaitForWindow(kPlayerWindow);
    ASSERT_TRUE(main);
    EXPECT_FALSE(player.FindWindowOf(L"TfrmSplash"));
    CloseWindowAndWait(player, main);
}

} // namespace
