// Pseudo paths, URL matching, redirection and the registry of the content manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flashrt/content_manager.h"
#include "flashrt/stream_adapter.h"

using namespace flashrt;

namespace {

const std::string kMarker(kMemoryContentMarker);
const std::string kMovie(kMemoryMovieFileName);

std::vector<uint8_t> BytesOf(const TMemoryStream& s) { return {s.Bytes().begin(), s.Bytes().end()}; }

}  // namespace

TEST(PseudoURLParsing, SplitsIdAndRelativePathOrRefusesWhatIsNoPseudoURL)
{
    std::string lowerMarker = kMarker;
    std::transform(lowerMarker.begin(), lowerMarker.end(), lowerMarker.begin(), ::tolower);
    const std::string base = "file:///Z:/FromMemory/";
    const struct {
        std::string url;
        std::optional<PseudoURL> parsed;
    } cases[] = {
        {"Z:\\FromMemory\\" + kMarker + "\\17\\" + kMovie, PseudoURL{17, kMovie}},
        {base + kMarker + "/1/sub/a.swf", PseudoURL{1, "sub/a.swf"}},
        {"Z:/FromMemory\\" + kMarker + "/3\\dir\\b.xml", PseudoURL{3, "dir/b.xml"}},  // '\' read as '/'
        {"/" + kMarker + "/2147483647/a.swf", PseudoURL{2147483647, "a.swf"}},
        // Only the first marker counts; a second one is part of the relative path.
        {"/" + kMarker + "/4/" + kMarker + "/9/x.swf", PseudoURL{4, kMarker + "/9/x.swf"}},
        {base + lowerMarker + "/1/a.swf", std::nullopt},  // the marker is case-sensitive
        {base + kMarker + "/a.swf", std::nullopt},        // no id segment
        {base + kMarker, std::nullopt},
        {base + kMarker + "/", std::nullopt},
        {base + kMarker + "/12", std::nullopt},  // no '/' after the id
        {std::string(kResetURL), std::nullopt},  // the placeholder never parses
        {"http://example.com/movie.swf", std::nullopt},
        {"", std::nullopt},
        {"/" + kMarker + "/1x/a.swf", std::nullopt},
        {"/" + kMarker + "/-1/a.swf", std::nullopt},
        {"/" + kMarker + "/+1/a.swf", std::nullopt},
        {"/" + kMarker + "//a.swf", std::nullopt},
        {"/" + kMarker + "/99999999999/a.swf", std::nullopt},  // beyond 32 bits
    };
    for (const auto& c : cases) EXPECT_EQ(ParsePseudoURL(c.url), c.parsed) << c.url;
}

TEST(SameContent, PseudoURLsMatchByIdAndRelativePathPlainOnesByText)
{
    const std::string registered = FormatPseudoPath(1);
    std::string lowerMovie = kMovie;
    std::transform(lowerMovie.begin(), lowerMovie.end(), lowerMovie.begin(), ::tolower);
    const struct {
        std::string a, b;
        bool same;
    } cases[] = {
        {registered, "file:///Z:/FromMemory/" + kMarker + "/1/" + kMovie, true},
        {registered, FormatPseudoPath(2), false},
        {registered, "file:///Z:/FromMemory/" + kMarker + "/1/" + lowerMovie, false},
        {registered, "file:///Z:/FromMemory/x/1/" + kMovie, false},  // one pseudo, one plain
        {"http://a/b.swf", "http://a/b.swf", true},
        {"http://a/b.swf", "http://a/B.swf", false},
    };
    for (const auto& c : cases) EXPECT_EQ(SameContentURL(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(Redirection, BuildsURLsAndFilePathsUnderTheBase)
{
    EXPECT_EQ(RedirectedURL("C:\\movies", "other.swf"), "C:/movies/other.swf");
    EXPECT_EQ(RedirectedURL("C:\\movies\\", "sub\\a.swf"), "C:/movies//sub/a.swf");
    EXPECT_EQ(RedirectedFilePath("C:\\movies", "sub/data.xml"), "C:\\movies\\sub\\data.xml");
    EXPECT_EQ(RedirectedFilePath("C:/movies", "x.txt"), "C:\\movies\\x.txt");
    EXPECT_EQ(StripOneLeadingSlash("/a/b.swf"), "a/b.swf");
    EXPECT_EQ(StripOneLeadingSlash("//a.swf"), "/a.swf");
    EXPECT_EQ(StripOneLeadingSlash("a.swf"), "a.swf");
    EXPECT_EQ(StripOneLeadingSlash(""), "");
}

TEST(Registry, PseudoPathsCountFromOneAndAStreamIsTakenOnceByAnyURLOfTheSameContent)
{
    ContentRegistry<std::unique_ptr<std::string>, int*> registry;
    const std::string path = registry.NewPseudoPath();
    EXPECT_EQ(path, "Z:\\FromMemory\\" + kMarker + "\\1\\" + kMovie);
    EXPECT_EQ(registry.NewPseudoPath(), "Z:\\FromMemory\\" + kMarker + "\\2\\" + kMovie);
    EXPECT_EQ(registry.NextId(), 3);
    registry.AddStream(path, std::make_unique<std::string>("movie"));
    registry.AddStream("u", std::make_unique<std::string>("first"));
    registry.AddStream("u", std::make_unique<std::string>("second"));

    const std::string asURL = "file:///Z:/FromMemory/" + kMarker + "/1/" + kMovie;
    EXPECT_TRUE(registry.HasStream(asURL));
    auto taken = registry.TakeStream(asURL);
    ASSERT_TRUE(taken);
    EXPECT_EQ(**taken, "movie");
    EXPECT_FALSE(registry.HasStream(path));
    EXPECT_FALSE(registry.TakeStream(path));  // served once
    EXPECT_EQ(**registry.TakeStream("u"), "first");
    EXPECT_EQ(**registry.TakeStream("u"), "second");
    EXPECT_EQ(registry.StreamCount(), 0u);
}

TEST(Registry, ControlsOwnSeveralIdsAndForgettingKeepsStreams)
{
    int a = 0, b = 0;
    ContentRegistry<int, int*> registry;
    registry.RegisterControl(1, &a);
    registry.RegisterControl(2, &b);
    registry.RegisterControl(3, &a);
    registry.AddStream(FormatPseudoPath(3), 42);
    EXPECT_EQ(registry.FindControl(3), &a);
    EXPECT_EQ(registry.FindControl(4), nullptr);

    registry.ForgetControl(&a);
    EXPECT_EQ(registry.FindControl(1), nullptr);
    EXPECT_EQ(registry.FindControl(3), nullptr);
    EXPECT_EQ(registry.FindControl(2), &b);
    EXPECT_EQ(registry.TakeStream(FormatPseudoPath(3)), 42);
}

TEST(MemoryStream, CopyFromTakesTheWholeSourceFromItsStartOrACountFromItsPosition)
{
    const std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6, 7};
    TMemoryStream source(bytes);
    source.SetPosition(5);
    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(source, 0), 7u);
    EXPECT_EQ(BytesOf(copy), bytes);
    EXPECT_EQ(copy.Position(), 7u);

    source.SetPosition(2);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(source, 3), 3u);
    EXPECT_EQ(BytesOf(part), (std::vector<uint8_t>{3, 4, 5}));

    // The same from a source that is not in memory and gives at most two bytes a read.
    struct Trickle final : TStream {
        std::vector<uint8_t> d{9, 8, 7, 6, 5};
        size_t pos = 3;
        size_t Read(void* b, size_t n) override
        {
            n = std::min<size_t>({n, d.size() - pos, 2});
            std::memcpy(b, d.data() + pos, n);
            pos += n;
            return n;
        }
        size_t Write(const void*, size_t) override { return 0; }
        uint64_t Seek(int64_t o, TSeekOrigin origin) override
        {
            const int64_t from = origin == TSeekOrigin::End ? static_cast<int64_t>(d.size())
                                 : origin == TSeekOrigin::Current ? static_cast<int64_t>(pos) : 0;
            return pos = static_cast<size_t>(from + o);
        }
    } trickle;
    TMemoryStream fromTrickle;
    EXPECT_EQ(fromTrickle.CopyFrom(trickle, 0), 5u);
    EXPECT_EQ(BytesOf(fromTrickle), trickle.d);

    // Asking for more than there is fails instead of copying garbage.
    source.SetPosition(6);
    TMemoryStream tooMuch;
    EXPECT_THROW(tooMuch.CopyFrom(source, 5), EStreamError);
}

TEST(MemoryStream, SeekReadWriteAndBounds)
{
    TMemoryStream s;
    EXPECT_EQ(s.Write("abcdef", 6), 6u);
    EXPECT_EQ(s.Seek(-2, TSeekOrigin::End), 4u);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2u);
    EXPECT_EQ(std::string(buf, 2), "ef");
    EXPECT_EQ(s.Read(buf, 8), 0u);
    EXPECT_THROW(s.Seek(-1, TSeekOrigin::Beginning), EStreamError);
    s.SetPosition(10);  // past the end: reads give nothing, writes extend with zeros
    EXPECT_EQ(s.Read(buf, 1), 0u);
    EXPECT_EQ(s.Write("z", 1), 1u);
    EXPECT_EQ(BytesOf(s), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f', 0, 0, 0, 0, 'z'}));
    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3u);
    EXPECT_THROW(s.ReadBuffer(buf, 1), EStreamError);
}
