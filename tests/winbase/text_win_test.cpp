#include "winbase/text_win.h"

#include <gtest/gtest.h>

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
