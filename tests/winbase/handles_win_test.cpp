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

TEST(UniqueHandle, ClosesOnResetAndDestruction)
{
    UniqueHandle owner(NewEvent());
    ASSERT_TRUE(owner);
    const HANDLE first = owner.get();
    owner.reset(NewEvent());
    EXPECT_FALSE(IsOpenKernelHandle(first));
    const HANDLE second = owner.get();
    ASSERT_TRUE(IsOpenKernelHandle(second));
    {
        UniqueHandle scoped(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(scoped.get(), second);
    }
    EXPECT_FALSE(IsOpenKernelHandle(second));
}

TEST(UniqueHandle, MoveAssignmentClosesTheOverwrittenHandle)
{
    UniqueHandle a(NewEvent()), b(NewEvent());
    const HANDLE overwritten = a.get(), moved = b.get();
    a = std::move(b);
    EXPECT_FALSE(IsOpenKernelHandle(overwritten));
    EXPECT_EQ(a.get(), moved);
    EXPECT_FALSE(b);
    EXPECT_TRUE(IsOpenKernelHandle(moved));
}

TEST(UniqueHandle, ReleaseHandsOverWithoutClosing)
{
    UniqueHandle owner(NewEvent());
    const HANDLE h = owner.release();
    EXPECT_FALSE(owner);
    EXPECT_TRUE(IsOpenKernelHandle(h));
    EXPECT_TRUE(CloseHandle(h));
}

TEST(UniqueHandle, PutGivesBackTheOldHandleBeforeTakingANewOne)
{
    UniqueHandle owner(NewEvent());
    const HANDLE old = owner.get();
    // Made first, so the closed handle's value cannot come back as the new one.
    const HANDLE fresh = NewEvent();
    *owner.put() = fresh;
    EXPECT_FALSE(IsOpenKernelHandle(old));
    EXPECT_EQ(owner.get(), fresh);
    EXPECT_TRUE(IsOpenKernelHandle(fresh));
}

TEST(UniqueFile, FailedOpenIsEmptyAndAnOpenFileCloses)
{
    const UniqueFile missing(CreateFileW(L"Z:\\no\\such\\folder\\file.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);

    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    HANDLE raw = INVALID_HANDLE_VALUE;
    {
        const UniqueFile file(
            CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        raw = file.get();
        EXPECT_TRUE(IsOpenKernelHandle(raw));
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
        ASSERT_TRUE(ownedBrush);
        ASSERT_TRUE(ownedDc);
        brush = ownedBrush.get();
        dc = ownedDc.get();
        EXPECT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
        EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(dc), 0u);
}

TEST(UniqueRegKey, OpensThroughPutAndCloses)
{
    UniqueRegKey key;
    EXPECT_FALSE(key);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    ASSERT_TRUE(key);
    DWORD subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    const HKEY raw = key.get();
    key.reset();
    EXPECT_NE(RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
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
