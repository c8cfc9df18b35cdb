#include "winbase/system_error_win.h"

#include <gtest/gtest.h>

using swfp::win::SystemMessage;

TEST(SystemMessage, KnownCodeIsOneTrimmedLineAndUnknownCodeIsEmpty)
{
    const std::wstring text = SystemMessage(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_NE(text.back(), L' ');
    // The caller supplies its own text then.
    EXPECT_EQ(SystemMessage(0x2FFFFFF7u), L"");
}
