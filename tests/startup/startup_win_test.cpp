// Start-up seen from outside: packaged players are started as processes and
// watched through their windows, the way a user meets them.
#include <windows.h>

#include "app/player_package.h"
#include "app/player_settings.h"

#include <gtest/gtest.h>

#include "tests/support/swf_writer.h"
#include "tests/support_win/child_process_win.h"
#include "tests/support_win/test_files_win.h"

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

// The stand-in runtime as a package carries it: a player without any runtime
// tells the user so and opens no window.
const std::vector<uint8_t>& RuntimeModulePayload()
{
    static const std::vector<uint8_t> payload = ZlibCompressed(ReadWholeFile(ExeFolder() / "flash_standin.dll"));
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
            const COLORREF p = GetPixel(screen, x, y);
            found = std::abs(GetRValue(p) - GetRValue(colour)) < 12 && std::abs(GetGValue(p) - GetGValue(colour)) < 12 &&
                    std::abs(GetBValue(p) - GetBValue(colour)) < 12;
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

} // namespace
