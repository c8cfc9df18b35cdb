#include "winbase/handles_win.h"
#include "winbase/bstr_win.h"

#include <gtest/gtest.h>

using namespace swfp::win;

namespace {

bool IsOpenKernelHandle(HANDLE h)
{
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

}  // namespace

// Every way an owner lets go of a handle: reset, destruction, being moved from or
// over, and release (hands it on open).
TEST(UniqueHandle, ClosesWhatItOwnsExactlyOnce)
{
    UniqueHandle owner(NewEvent());
    const HANDLE first = owner.get();
    owner.reset(NewEvent());
    EXPECT_FALSE(IsOpenKernelHandle(first));
    const HANDLE second = owner.get();
    {
        UniqueHandle scoped(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(scoped.get(), second);
    }
    EXPECT_FALSE(IsOpenKernelHandle(second));

    UniqueHandle a(NewEvent()), b(NewEvent());
    const HANDLE overwritten = a.get(), moved = b.get();
    a = std::move(b);
    EXPECT_FALSE(IsOpenKernelHandle(overwritten));
    EXPECT_EQ(a.get(), moved);
    EXPECT_FALSE(b);

    const HANDLE released = a.release();
    EXPECT_FALSE(a);
    EXPECT_TRUE(CloseHandle(released)) << "release leaves the handle open";
}

// The file owner closes what it holds at the end of its scope; a failed open
// (INVALID_HANDLE_VALUE, not null) leaves it empty.
TEST(UniqueFile, ClosesWhatItHoldsAndAFailedOpenIsEmpty)
{
    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    HANDLE file = nullptr;
    {
        const UniqueFile owned(CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        file = owned.get();
        ASSERT_TRUE(IsOpenKernelHandle(file));
    }
    EXPECT_FALSE(IsOpenKernelHandle(file));
    EXPECT_FALSE(UniqueFile(CreateFileW(L"Z:\\no\\such\\folder\\file.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                        nullptr)));
}

TEST(Bstr, KeepsEmbeddedNullsAndHandsOverOnMove)
{
    Bstr text(std::wstring(L"a\0b", 3));
    EXPECT_EQ(SysStringLen(text.get()), 3u);
    EXPECT_EQ(text.str(), std::wstring(L"a\0b", 3));
    *text.out() = SysAllocString(L"new");  // what a COM member hands back replaces it
    Bstr moved(std::move(text));
    EXPECT_EQ(text.get(), nullptr);
    EXPECT_EQ(moved.str(), L"new");
}
