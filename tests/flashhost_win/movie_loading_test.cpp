// Movies held in memory reach the stand-in runtime through pseudo URLs; companion
// requests are served by the application's handler or from the base folder; the
// Movie setter reads the movie information of files.
#include <gtest/gtest.h>

#include "flashrt/content_manager.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "tests/support/swf_writer.h"
#include "winbase/handles_win.h"

using namespace flashhost;
namespace wintest = swfp::wintest;

namespace {

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
        ASSERT_TRUE(control->InPlaceActive());
        log.Clear();
    }
    wintest::StandinLog log;
    const std::unique_ptr<swfp::tk::TForm> form = wintest::MakeForm();
    std::unique_ptr<TFlashPlayerControl> control = wintest::MakeControl(*form);
};

}  // namespace

// The stream holds an executable with the movie in its trailer; the runtime is served
// the movie, whatever position the stream stands at, in chunks of a mebibyte.
TEST_F(MovieLoading, AStreamPlaysFromMemoryInMebibyteChunksThroughAPseudoURL)
{
    SwfWriter w;
    w.FrameSize(550, 400).FrameRate(24).ShowFrame().Tag(177, std::vector<uint8_t>(0x100000 * 2, 0x5A), true);
    const auto movie = w.Build();
    std::vector<uint8_t> carried(5000, 0xEE);
    const auto tail = WithMovieTrailer(movie);
    carried.insert(carried.end(), tail.begin(), tail.end());
    flashrt::TMemoryStream stream(carried);
    stream.SetPosition(6000);  // inside the movie: the whole stream counts all the same
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
    EXPECT_LT(log.FindPrefix("fetch " + std::string(flashrt::kResetURL)), 0) << "superseded before any fetch";
    EXPECT_EQ(control->MovieWidth(), 550);
    EXPECT_EQ(control->MovieSize(), movie.size());
    EXPECT_EQ(control->TotalFrames(), 1);
}

TEST_F(MovieLoading, CompanionRequestsUseTheHandlerThenTheBaseFolder)
{
    wintest::TempFolder base;
    const auto companion = SwfWriter().ShowFrame().ShowFrame().Build();
    wintest::WriteWholeFile(base.File(L"other.swf"), SwfWriter().ShowFrame().ShowFrame().ShowFrame().Build());
    control->SetBase(base.Path());
    flashrt::TMemoryStream stream(SwfWriter().ShowFrame().Build());
    control->LoadMovieFromStream(stream);
    const int id = IdOfMovie(*control);
    ASSERT_GE(log.AwaitPrefix("movie frames 1"), 0) << log.Dump();

    std::vector<std::string> asked;
    control->OnLoadExternalResource = [&](TFlashPlayerControl&, const std::string& url, flashrt::TStream& out) {
        asked.push_back(url);
        if (url == "sub/companion.swf") out.Write(companion.data(), companion.size());
    };
    log.Clear();
    control->SetMovie(flashrt::AnsiToWide(PseudoURL(id, "sub/companion.swf")));
    EXPECT_GE(log.AwaitPrefix("movie frames 2"), 0) << log.Dump();
    EXPECT_EQ(asked, (std::vector<std::string>{"sub/companion.swf"}));

    // One the handler declines comes from the base folder.
    log.Clear();
    control->SetMovie(flashrt::AnsiToWide(PseudoURL(id, "other.swf")));
    EXPECT_GE(log.AwaitPrefix("movie frames 3"), 0) << log.Dump();
}

TEST_F(MovieLoading, TheMovieSetterReadsFilesByExtension)
{
    wintest::TempFolder folder;
    const auto movie = SwfWriter().FrameSize(320, 240).Version(7).ShowFrame().Build();
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

    // An executable with a movie trailer is played from memory.
    std::vector<uint8_t> exe(3000, 0x4D);
    const auto big = SwfWriter().FrameSize(640, 480).ShowFrame().Build();
    const auto tail = WithMovieTrailer(big);
    exe.insert(exe.end(), tail.begin(), tail.end());
    wintest::WriteWholeFile(folder.File(L"Player.EXE"), exe);
    log.Clear();
    control->SetMovie(folder.File(L"Player.EXE"));
    EXPECT_EQ(control->MovieWidth(), 640);
    EXPECT_GT(IdOfMovie(*control), 0);
    EXPECT_GE(log.AwaitPrefix("movie bytes " + std::to_string(big.size())), 0) << log.Dump();
}
