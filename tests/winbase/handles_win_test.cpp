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
// over, release (hands it on open) and put (closes before taking a new one).
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

    UniqueHandle put(NewEvent());
    const HANDLE old = put.get();
    // Made first, so the closed handle's value cannot come back as the new one.
    const HANDLE fresh = NewEvent();
    *put.put() = fresh;
    EXPECT_FALSE(IsOpenKernelHandle(old));
    EXPECT_EQ(put.get(), fresh);
    EXPECT_TRUE(IsOpenKernelHandle(fresh));
}

TEST(UniqueFile, FailedOpenIsEmptyAndAnOpenFileCloses)
{
    const UniqueFile missing(CreateFileW(L"Z:\\no\\such\\folder\\file.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    EXPECT_FALSE(missing);

    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    HANDLE raw = INVALID_HANDLE_VALUE;
    {
        const UniqueFile file(CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        raw = file.get();
    }
    EXPECT_FALSE(IsOpenKernelHandle(raw));
}

TEST(UniqueGdi, ObjectsAndDeviceContextsAreDeleted)
{
    HGDIOBJ brush = nullptr;
    HDC dc = nullptr;
    {
        const UniqueGdiObject<HBRUSH> ownedBrush(CreateSolidBrush(RGB(1, 2, 3)));
        const UniqueDC ownedDc(CreateCompatibleDC(nullptr));
        brush = ownedBrush.get();
        dc = ownedDc.get();
        ASSERT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
        ASSERT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(dc), 0u);

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
    EXPECT_EQ(Bstr().str(), L"");
}
