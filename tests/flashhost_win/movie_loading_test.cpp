// Movies held in memory reach the stand-in runtime through pseudo URLs; companion
// requests are served by the application's handler or from the base folder; the
// Movie setter reads the movie information of files.
#include <gtest/gtest.h>

#include "flashhost/FlashPlayerControl_win.h"
#include "flashrt/content_manager.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "tests/support/swf_writer.h"
#include "winbase/handles_win.h"

using namespace flashhost;
using swfp::wintest::StandinLog;
namespace wintest = swfp::wintest;

namespace {

// A movie of the given size: a big unknown tag pads it.
std::vector<uint8_t> MovieOfSize(size_t size, int widthPx = 550, int heightPx = 400, double fps = 24)
{
    SwfWriter w;
    w.FrameSize(widthPx, heightPx).FrameRate(fps).SetBackgroundColor({1, 2, 3}).ShowFrame();
    const size_t base = w.Build().size();
    if (size > base + 6) {
        std::vector<uint8_t> pad(size - base - 6, 0x5A);
        w.Tag(77 + 100, pad, true);  // an undefined tag code: skipped by readers
    }
    return w.Build();
}

std::string PseudoURL(int id, const std::string& relative)
{
    return "file:///Z:/FromMemory/" + std::string(flashrt::kMemoryContentMarker) + "/" + std::to_string(id) + "/" +
           relative;
}

int IdOfMovie(TFlashPlayerControl& control)
{
    auto parsed = flashrt::ParsePseudoURL(flashrt::WideToAnsi(control.Movie()));
    return parsed ? parsed->Id : -1;
}

class MovieLoading : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wintest::UseRuntimeModule(L"flash_standin.dll"); }
    void SetUp() override
    {
        control = wintest::MakeControl(form.Form());
        control->HandleNeeded();
        ASSERT_TRUE(control->InPlaceActive());
        log.Clear();
    }
    StandinLog log;
    wintest::TestForm form;
    std::unique_ptr<TFlashPlayerControl> control;
};

}  // namespace

TEST_F(MovieLoading, AStreamPlaysFromMemoryInMebibyteChunksThroughAPseudoURL)
{
    const auto movie = MovieOfSize(0x100000 * 2 + 4321);
    flashrt::TMemoryStream stream(movie);
    stream.SetPosition(1000);  // the whole stream counts, wherever it stands
    control->LoadMovieFromStream(stream);

    const int id = IdOfMovie(*control);
    ASSERT_GT(id, 0) << "Movie ends up holding the pseudo path";
    EXPECT_GE(log.FindPrefix("call put_Movie " + std::string(flashrt::kResetURL)), 0) << log.Dump();
    EXPECT_GE(log.AwaitPrefix("import CreateURLMoniker " + PseudoURL(id, std::string(flashrt::kMemoryMovieFileName)) +
                       " hr=0x00000000"),
              0)
        << log.Dump();
    EXPECT_GE(log.AwaitPrefix("movie bytes " + std::to_string(movie.size()) + " chunks 3"), 0) << log.Dump();
    EXPECT_GE(log.AwaitPrefix("movie frames 1 rate 24"), 0) << log.Dump();
    // The reset URL was superseded before the runtime fetched anything.
    EXPECT_LT(log.FindPrefix("fetch " + std::string(flashrt::kResetURL)), 0) << log.Dump();

    EXPECT_EQ(control->MovieWidth(), 550);
    EXPECT_EQ(control->MovieHeight(), 400);
    EXPECT_FLOAT_EQ(control->MovieFPS(), 24.0f);
    EXPECT_EQ(control->MovieFlashVersion(), 8);
    EXPECT_FALSE(control->Compressed());
    EXPECT_EQ(control->MovieSize(), movie.size());
    EXPECT_EQ(control->TotalFrames(), 1);

    // The registration was served once: asking for the same movie again finds no stream.
    log.Clear();
    control->SetMovie(flashrt::AnsiToWide(PseudoURL(id, std::string(flashrt::kMemoryMovieFileName))));
    EXPECT_GE(log.AwaitPrefix("movie failed"), 0) << log.Dump();
    EXPECT_LT(log.FindPrefix("movie bytes"), 0) << log.Dump();
}

TEST_F(MovieLoading, TheTrailerRuleNamesTheMovieInsideAStream)
{
    const auto movie = SwfWriter().FrameRect(0, 11000, 0, 8000).FrameRateRaw(0x80, 0x1D).Compressed(true).ShowFrame().Build();
    std::vector<uint8_t> carried(5000, 0xEE);  // bytes of an executable before the movie
    const auto tail = WithMovieTrailer(movie);
    carried.insert(carried.end(), tail.begin(), tail.end());
    flashrt::TMemoryStream stream(carried);
    control->LoadMovieFromStream(stream);
    // The runtime is served the movie whose information is published, not the whole stream.
    EXPECT_GE(log.AwaitPrefix("movie bytes " + std::to_string(movie.size()) + " "), 0) << log.Dump();
    EXPECT_EQ(control->MovieSize(), movie.size());
    EXPECT_EQ(control->MovieWidth(), 550);
    EXPECT_EQ(control->MovieHeight(), 400);
    EXPECT_FLOAT_EQ(control->MovieFPS(), 29.5f);
    EXPECT_TRUE(control->Compressed());
}

TEST_F(MovieLoading, CompanionRequestsUseTheHandlerThenTheBaseFolder)
{
    wintest::TempFolder base;
    const auto companion = SwfWriter().FrameSize(100, 100).ShowFrame().ShowFrame().Build();
    const auto onDisk = SwfWriter().FrameSize(200, 100).ShowFrame().ShowFrame().ShowFrame().Build();
    wintest::WriteWholeFile(base.File(L"other.swf"), onDisk);
    control->SetBase(base.Path());

    flashrt::TMemoryStream stream(MovieOfSize(100));
    control->LoadMovieFromStream(stream);
    const int id = IdOfMovie(*control);
    ASSERT_GT(id, 0);
    ASSERT_GE(log.AwaitPrefix("movie frames 1"), 0) << log.Dump();

    // The handler serves a companion movie from memory.
    std::vector<std::string> asked;
    control->OnLoadExternalResource = [&](TFlashPlayerControl&, const std::string& url, flashrt::TStream& out) {
        asked.push_back(url);
        if (url == "sub/companion.swf") out.Write(companion.data(), companion.size());
    };
    log.Clear();
    control->SetMovie(flashrt::AnsiToWide(PseudoURL(id, "sub/companion.swf")));
    EXPECT_GE(log.AwaitPrefix("movie bytes " + std::to_string(companion.size()) + " chunks 1"), 0) << log.Dump();
    EXPECT_EQ(asked, (std::vector<std::string>{"sub/companion.swf"}));
    EXPECT_GE(log.AwaitPrefix("movie frames 2"), 0) << log.Dump();

    // A handler that declines leads to the base folder, by URL moniker ...
    log.Clear();
    control->SetMovie(flashrt::AnsiToWide(PseudoURL(id, "other.swf")));
    EXPECT_GE(log.AwaitPrefix("movie frames 3"), 0) << log.Dump();

    // ... and by file path.
    control->OnLoadExternalResource = nullptr;
    log.Clear();
    const std::string path = "Z:\\FromMemory\\" + std::string(flashrt::kMemoryContentMarker) + "\\" +
                             std::to_string(id) + "\\other.swf";
    control->SetMovie(flashrt::AnsiToWide(path));
    EXPECT_GE(log.AwaitPrefix("import CreateFileA " + path + " ok=1"), 0) << log.Dump();
    EXPECT_GE(log.AwaitPrefix("movie frames 3"), 0) << log.Dump();
}

TEST_F(MovieLoading, LayersAreLoadedThroughLoadMovie)
{
    flashrt::TMemoryStream stream(MovieOfSize(100));
    control->LoadLayerFromStream(0, stream);
    EXPECT_GE(log.FindPrefix("call LoadMovie 0 " + std::string(flashrt::kResetURL)), 0) << log.Dump();
    EXPECT_GE(log.AwaitPrefix("movie frames 1"), 0) << log.Dump();
    EXPECT_EQ(control->MovieSize(), 0u) << "layers do not publish movie information";

    log.Clear();
    auto owned = std::make_unique<flashrt::TMemoryStream>(MovieOfSize(300));
    control->LoadLayerFromStreamNoCopy(0, std::move(owned));
    EXPECT_GE(log.AwaitPrefix("movie bytes 300 chunks 1"), 0) << log.Dump();
}

TEST_F(MovieLoading, TheMovieSetterReadsFilesByExtension)
{
    wintest::TempFolder folder;
    const auto movie = SwfWriter().FrameSize(320, 240).FrameRate(15).Version(7).ShowFrame().Build();
    wintest::WriteWholeFile(folder.File(L"clip.swf"), movie);

    // Upper-case extension, existing file: read, and the object gets the name itself.
    control->SetMovie(folder.File(L"CLIP.SWF"));
    EXPECT_EQ(control->MovieWidth(), 320);
    EXPECT_EQ(control->MovieFlashVersion(), 7);
    EXPECT_EQ(control->MovieSize(), movie.size());

    // A file that exists but cannot be opened raises, with the reason of the failed open.
    {
        swfp::win::UniqueFile locked(CreateFileW(folder.File(L"clip.swf").c_str(), GENERIC_READ, 0, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locked);
        try {
            control->SetMovie(folder.File(L"clip.swf"));
            ADD_FAILURE() << "a locked .swf must raise";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(EOleError(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION)).what()),
                      std::string::npos)
                << e.what();
        }
    }

    // A missing file keeps the previous information.
    control->SetMovie(folder.File(L"missing.swf"));
    EXPECT_EQ(control->MovieWidth(), 320);
    control->SetMovie(L"http://example.invalid/x.swf");
    EXPECT_EQ(control->MovieWidth(), 320);

    // An executable with a movie trailer is played from memory.
    std::vector<uint8_t> exe(3000, 0x4D);
    const auto big = SwfWriter().FrameSize(640, 480).ShowFrame().Build();
    const auto tail = WithMovieTrailer(big);
    exe.insert(exe.end(), tail.begin(), tail.end());
    wintest::WriteWholeFile(folder.File(L"Player.EXE"), exe);
    log.Clear();
    control->SetMovie(folder.File(L"Player.EXE"));
    EXPECT_EQ(control->MovieWidth(), 640);
    EXPECT_EQ(control->MovieSize(), big.size());
    EXPECT_GT(IdOfMovie(*control), 0);
    EXPECT_GE(log.AwaitPrefix("movie bytes " + std::to_string(big.size())), 0) << log.Dump();

    // An executable without a trailer changes nothing; one that is missing raises.
    wintest::WriteWholeFile(folder.File(L"plain.exe"), std::vector<uint8_t>(100, 1));
    control->SetMovie(folder.File(L"plain.exe"));
    EXPECT_EQ(control->MovieWidth(), 640);
    EXPECT_THROW(control->SetMovie(folder.File(L"absent.exe")), std::runtime_error);

    // A trailer that claims more than the file holds is an error, not a read past the start.
    std::vector<uint8_t> lying(50, 0);
    for (uint8_t b : {0x56, 0x34, 0x12, 0xFA, 0xFF, 0xFF, 0x00, 0x00}) lying.push_back(b);
    wintest::WriteWholeFile(folder.File(L"lying.exe"), lying);
    EXPECT_THROW(control->SetMovie(folder.File(L"lying.exe")), std::exception);
}

TEST(MovieNames, ExtensionIsTakenAfterTheLastSeparator)
{
    EXPECT_EQ(MovieNameExtension(L"C:\\a.b\\movie.SWF"), L".swf");
    EXPECT_EQ(MovieNameExtension(L"C:\\a.b\\movie"), L"");
    EXPECT_EQ(MovieNameExtension(L"x.tmp"), L".tmp");
    EXPECT_EQ(MovieNameExtension(L"file.exe:stream"), L"");
    EXPECT_EQ(MovieNameExtension(L"http://host/a.Exe"), L".exe");
}
