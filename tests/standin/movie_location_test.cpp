// Which locations the stand-in opens as files and which it asks a URL moniker for.
#include "standin/movie_location.h"

#include <gtest/gtest.h>

using standin::IsUrl;

TEST(MovieLocation, SchemesOfTwoOrMoreCharactersMakeUrlsDrivesAndPathsDoNot) {
  const struct {
    const wchar_t* location;
    bool url;
  } cases[] = {
      {L"file:///C:/a.swf", true},
      {L"file://46A10F369771449587DE913EFC0A258", true},
      {L"http://example.com/a.swf", true},
      {L"svn+ssh://host/a.swf", true},
      {L"1http://x", false},  // a scheme starts with a letter
      {L"C:\\movies\\a.swf", false},
      {L"c:/movies/a.swf", false},
      {L"Z:\\FromMemory\\46A10F369771449587DE913EFC0A258C\\1\\x.swf", false},
      {L"a.swf", false},
      {L"\\\\server\\share\\a.swf", false},
      {L"dir\\odd:name.swf", false},  // a backslash cannot be part of a scheme
      {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsUrl(c.location), c.url) << testing::PrintToString(std::wstring(c.location));
}
