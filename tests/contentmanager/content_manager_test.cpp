// Pseudo paths, URL matching, redirection and the registry of the content manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "flashrt/content_manager.h"
#include "flashrt/stream_adapter.h"

using namespace flashrt;

namespace {
const std::string kMarker(kMemoryContentMarker);
}

TEST(PseudoPath, NumbersCountFromOneAndOnlyTheNumberDiffers)
{
    ContentRegistry<int, int*> registry;
    const std::string first = registry.NewPseudoPath();
    const std::string second = registry.NewPseudoPath();
    EXPECT_EQ(first, "Z:\\FromMemory\\46A10F369771449587DE913EFC0A258C\\1\\E4ED7C01D28A43418DBF2CB92CC35E56.swf");
    EXPECT_EQ(second, "Z:\\FromMemory\\46A10F369771449587DE913EFC0A258C\\2\\E4ED7C01D28A43418DBF2CB92CC35E56.swf");
    EXPECT_EQ(registry.NextId(), 3);
    EXPECT_EQ(ParsePseudoURL(first)->Id, 1);
    EXPECT_EQ(ParsePseudoURL(second)->Id, 2);
}

TEST(PseudoURLParsing, AcceptsPathsAndFileURLsWithEitherSeparator)
{
    auto p = ParsePseudoURL("Z:\\FromMemory\\" + kMarker + "\\17\\E4ED7C01D28A43418DBF2CB92CC35E56.swf");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Id, 17);
    EXPECT_EQ(p->RelativePath, "E4ED7C01D28A43418DBF2CB92CC35E56.swf");

    p = ParsePseudoURL("file:///Z:/FromMemory/" + kMarker + "/1/sub/a.swf");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Id, 1);
    EXPECT_EQ(p->RelativePath, "sub/a.swf");

    // Mixed separators are all read as '/'.
    p = ParsePseudoURL("Z:/FromMemory\\" + kMarker + "/3\\dir\\b.xml");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Id, 3);
    EXPECT_EQ(p->RelativePath, "dir/b.xml");
}

TEST(PseudoURLParsing, RejectsWhatIsNotAPseudoURLWithAPlainDecimalId)
{
    std::string lowerMarker = kMarker;
    for (char& c : lowerMarker) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string base = "file:///Z:/FromMemory/";
    const std::string rejected[] = {
        base + lowerMarker + "/1/a.swf",  // the marker is case-sensitive
        base + kMarker + "/a.swf",        // no id segment
        base + kMarker,                   // nothing after the marker
        base + kMarker + "/",             // only the separator
        base + kMarker + "/12",           // no '/' after the id
        std::string(kResetURL),           // the placeholder never parses
        "http://example.com/movie.swf",
        "",
        "/" + kMarker + "/abc/a.swf",
        "/" + kMarker + "/1x/a.swf",
        "/" + kMarker + "/-1/a.swf",
        "/" + kMarker + "/+1/a.swf",
        "/" + kMarker + "//a.swf",
        "/" + kMarker + "/99999999999/a.swf",  // beyond 32 bits
    };
    for (const std::string& url : rejected) EXPECT_FALSE(ParsePseudoURL(url)) << url;
    auto p = ParsePseudoURL("/" + kMarker + "/2147483647/a.swf");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Id, 2147483647);
    // Only the first marker counts; a second one is part of the relative path.
    p = ParsePseudoURL("/" + kMarker + "/4/" + kMarker + "/9/x.swf");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Id, 4);
    EXPECT_EQ(p->RelativePath, kMarker + "/9/x.swf");
}

TEST(SameContent, PseudoURLsMatchByIdAndRelativePath)
{
    const std::string registered = FormatPseudoPath(1);
    EXPECT_TRUE(SameContentURL(registered,
                               "file:///Z:/FromMemory/" + kMarker + "/1/E4ED7C01D28A43418DBF2CB92CC35E56.swf"));
    EXPECT_FALSE(SameContentURL(registered, FormatPseudoPath(2)));
    EXPECT_FALSE(SameContentURL(registered, "file:///Z:/FromMemory/" + kMarker + "/1/e4ed7c01d28a43418dbf2cb92cc35e56.swf"));
    // One pseudo and one plain URL never match, even if the texts agree otherwise.
    EXPECT_FALSE(SameContentURL(registered, "file:///Z:/FromMemory/x/1/E4ED7C01D28A43418DBF2CB92CC35E56.swf"));
    // Two plain URLs compare as exact texts.
    EXPECT_TRUE(SameContentURL("http://a/b.swf", "http://a/b.swf"));
    EXPECT_FALSE(SameContentURL("http://a/b.swf", "http://a/B.swf"));
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

TEST(Registry, AStreamIsTakenOnceByAnyURLOfTheSameContent)
{
    ContentRegistry<std::unique_ptr<std::string>, int*> registry;
    const std::string path = registry.NewPseudoPath();
    registry.AddStream(path, std::make_unique<std::string>("movie"));
    registry.AddStream("http://plain/x.swf", std::make_unique<std::string>("plain"));
    EXPECT_EQ(registry.StreamCount(), 2u);

    const std::string asURL = "file:///Z:/FromMemory/" + kMarker + "/1/E4ED7C01D28A43418DBF2CB92CC35E56.swf";
    EXPECT_TRUE(registry.HasStream(asURL));
    auto taken = registry.TakeStream(asURL);
    ASSERT_TRUE(taken);
    EXPECT_EQ(**taken, "movie");
    EXPECT_FALSE(registry.HasStream(path));
    EXPECT_FALSE(registry.TakeStream(path));  // served once
    EXPECT_EQ(registry.StreamCount(), 1u);

    auto plain = registry.TakeStream("http://plain/x.swf");
    ASSERT_TRUE(plain);
    EXPECT_EQ(**plain, "plain");
}

TEST(Registry, FirstOfDuplicateRegistrationsIsServedFirst)
{
    ContentRegistry<int, int*> registry;
    registry.AddStream("u", 1);
    registry.AddStream("u", 2);
    EXPECT_EQ(registry.TakeStream("u"), 1);
    EXPECT_EQ(registry.TakeStream("u"), 2);
    EXPECT_FALSE(registry.TakeStream("u"));
}

TEST(Registry, ControlsOwnSeveralIdsAndForgettingKeepsStreams)
{
    int a = 0, b = 0;
    ContentRegistry<int, int*> registry;
    registry.RegisterControl(1, &a);
    registry.RegisterControl(2, &b);
    registry.RegisterControl(3, &a);
    registry.AddStream(FormatPseudoPath(3), 42);
    EXPECT_EQ(registry.FindControl(1), &a);
    EXPECT_EQ(registry.FindControl(2), &b);
    EXPECT_EQ(registry.FindControl(3), &a);
    EXPECT_EQ(registry.FindControl(4), nullptr);

    registry.ForgetControl(&a);
    EXPECT_EQ(registry.FindControl(1), nullptr);
    EXPECT_EQ(registry.FindControl(3), nullptr);
    EXPECT_EQ(registry.FindControl(2), &b);
    EXPECT_EQ(registry.TakeStream(FormatPseudoPath(3)), 42);
}

TEST(MemoryStream, CopyFromTakesTheWholeSourceFromItsStart)
{
    const std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6, 7};
    TMemoryStream source(bytes);
    source.SetPosition(5);
    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(source, 0), 7u);
    EXPECT_EQ(std::vector<uint8_t>(copy.Bytes().begin(), copy.Bytes().end()), bytes);
    EXPECT_EQ(copy.Position(), 7u);

    // A counted copy starts at the source's position.
    source.SetPosition(2);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(source, 3), 3u);
    EXPECT_EQ(std::vector<uint8_t>(part.Bytes().begin(), part.Bytes().end()), (std::vector<uint8_t>{3, 4, 5}));

    // The same from a non-memory source, through the buffered path.
    struct Trickle final : TStream {
        std::vector<uint8_t> d{9, 8, 7, 6, 5};
        size_t pos = 0;
        size_t Read(void* b, size_t n) override
        {
            n = std::min<size_t>({n, d.size() - pos, 2});  // at most two bytes a call
            std::memcpy(b, d.data() + pos, n);
            pos += n;
            return n;
        }
        size_t Write(const void*, size_t) override { return 0; }
        uint64_t Seek(int64_t o, TSeekOrigin origin) override
        {
            pos = static_cast<size_t>((origin == TSeekOrigin::End ? static_cast<int64_t>(d.size())
                                      : origin == TSeekOrigin::Current ? static_cast<int64_t>(pos) : 0) + o);
            return pos;
        }
    } trickle;
    trickle.pos = 3;
    TMemoryStream fromTrickle;
    EXPECT_EQ(fromTrickle.CopyFrom(trickle, 0), 5u);
    EXPECT_EQ(std::vector<uint8_t>(fromTrickle.Bytes().begin(), fromTrickle.Bytes().end()),
              (std::vector<uint8_t>{9, 8, 7, 6, 5}));

    // Asking for more than there is fails instead of copying garbage.
    source.SetPosition(6);
    TMemoryStream tooMuch;
    EXPECT_THROW(tooMuch.CopyFrom(source, 5), EStreamError);
}

TEST(MemoryStream, SeekReadWriteAndBounds)
{
    TMemoryStream s;
    EXPECT_EQ(s.Write("abcdef", 6), 6u);
    EXPECT_EQ(s.Size(), 6u);
    EXPECT_EQ(s.Seek(-2, TSeekOrigin::End), 4u);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2u);
    EXPECT_EQ(std::string(buf, 2), "ef");
    EXPECT_EQ(s.Read(buf, 8), 0u);
    EXPECT_THROW(s.Seek(-1, TSeekOrigin::Beginning), EStreamError);
    s.SetPosition(10);  // past the end: reads give nothing, writes extend
    EXPECT_EQ(s.Read(buf, 1), 0u);
    EXPECT_EQ(s.Write("z", 1), 1u);
    EXPECT_EQ(s.Size(), 11u);
    EXPECT_EQ(s.Bytes()[10], 'z');
    EXPECT_EQ(s.Bytes()[7], 0);
    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3u);
    EXPECT_THROW(s.ReadBuffer(buf, 1), EStreamError);
}
