#include "standin/movie_location.h"

#include <gtest/gtest.h>

using standin::FileUrlFromPath;
using standin::IsUrl;

TEST(MovieLocation, DrivesRelativeAndNetworkPathsAreNotUrls) {
  EXPECT_FALSE(IsUrl(L"C:\\movies\\a.swf"));
  EXPECT_FALSE(IsUrl(L"c:/movies/a.swf"));
  EXPECT_FALSE(IsUrl(L"Z:\\FromMemory\\46A10F369771449587DE913EFC0A258C\\1\\x.swf"));
  EXPECT_FALSE(IsUrl(L"a.swf"));
  EXPECT_FALSE(IsUrl(L"\\\\server\\share\\a.swf"));
  EXPECT_FALSE(IsUrl(L"dir\\odd:name.swf"));  // a backslash cannot be part of a scheme
  EXPECT_FALSE(IsUrl(L""));
}

TEST(MovieLocation, SchemesOfTwoOrMoreCharactersAreUrls) {
  EXPECT_TRUE(IsUrl(L"file:///C:/a.swf"));
  EXPECT_TRUE(IsUrl(L"file://46A10F369771449587DE913EFC0A258"));
  EXPECT_TRUE(IsUrl(L"http://example.com/a.swf"));
  EXPECT_TRUE(IsUrl(L"svn+ssh://host/a.swf"));
  EXPECT_FALSE(IsUrl(L"1http://x"));  // a scheme starts with a letter
}

TEST(MovieLocation, PathsBecomeFileUrlsWithForwardSlashes) {
  EXPECT_EQ(FileUrlFromPath(L"Z:\\FromMemory\\46A10F369771449587DE913EFC0A258C\\1\\E4ED7C01D28A43418DBF2CB92CC35E56.swf"),
            L"file:///Z:/FromMemory/46A10F369771449587DE913EFC0A258C/1/E4ED7C01D28A43418DBF2CB92CC35E56.swf");
  EXPECT_EQ(FileUrlFromPath(L"C:/a.swf"), L"file:///C:/a.swf");
}
