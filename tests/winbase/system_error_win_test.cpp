#include "winbase/system_error_win.h"

#include <gtest/gtest.h>

using swfp::win::SystemMessage;

TEST(SystemMessage, KnownCodeHasTextWithoutTrailingLineBreak)
{
    const std::wstring text = SystemMessage(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
    EXPECT_NE(text.back(), L' ');
    EXPECT_EQ(text.find(L'\n'), std::wstring::npos) << "a one-line message keeps no inner break either";
}

TEST(SystemMessage, UnknownCodeGivesEmptyTextForTheCallersFallback)
{
    EXPECT_EQ(SystemMessage(0x2FFFFFF7u), L"");
}
