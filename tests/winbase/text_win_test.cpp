#include "winbase/text_win.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace swfp::win;

TEST(Utf8Text, ConvertsBothWaysKeepingLengthAndTheSupplementaryPlanes)
{
    // e-acute (2 bytes), a snowman (3 bytes), a face outside the basic plane
    // (4 bytes, a surrogate pair in wide text), an embedded nul, and nothing.
    const std::pair<std::string, std::wstring> cases[] = {
        {"caf\xC3\xA9 \xE2\x98\x83 \xF0\x9F\x98\x80", L"caf\u00E9 \u2603 \xD83D\xDE00"},
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"", L""},
    };
    for (const auto& [utf8, wide] : cases) {
        EXPECT_EQ(Utf8ToWide(utf8), wide);
        EXPECT_EQ(WideToUtf8(wide), utf8);
    }
}

TEST(AnsiText, UsesTheSystemCodePageNotUtf8)
{
    EXPECT_EQ(AnsiToWide("Movie 1.swf"), L"Movie 1.swf");
    EXPECT_EQ(WideToAnsi(L"Movie 1.swf"), "Movie 1.swf");
    if (GetACP() != 1252) GTEST_SKIP() << "the checks below assume code page 1252, this system has " << GetACP();
    EXPECT_EQ(AnsiToWide("caf\xE9"), L"caf\u00E9");
    EXPECT_EQ(WideToAnsi(L"caf\u00E9"), "caf\xE9");
    // The UTF-8 spelling of e-acute is two characters in the ANSI code page.
    EXPECT_EQ(AnsiToWide("\xC3\xA9"), L"\u00C3\u00A9");
}
