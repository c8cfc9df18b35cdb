// Which imports are replaced, and the class-name map the replacements keep.
#include <gtest/gtest.h>

#include "flashrt/import_names.h"
#include "flashrt/string_map.h"

using namespace flashrt;

TEST(ClassifyImport, SevenNamesMatchCaseSensitively)
{
    EXPECT_EQ(ClassifyImport("CreateURLMoniker"), InterceptedImport::CreateURLMoniker);
    EXPECT_EQ(ClassifyImport("RegisterClassExA"), InterceptedImport::RegisterClassExA);
    EXPECT_EQ(ClassifyImport("CreateWindowExA"), InterceptedImport::CreateWindowExA);
    EXPECT_EQ(ClassifyImport("LoadCursorA"), InterceptedImport::LoadCursorA);
    EXPECT_EQ(ClassifyImport("LoadMenuA"), InterceptedImport::LoadMenuA);
    EXPECT_EQ(ClassifyImport("waveOutWrite"), InterceptedImport::waveOutWrite);
    EXPECT_EQ(ClassifyImport("CreateFileA"), InterceptedImport::CreateFileA);
    for (const char* other : {"createfilea", "CreateFileW", "CreateFileA2", "WaveOutWrite", "RegisterClassA",
                              "CreateWindowExW", "LoadCursorW", "", "CreateFile"})
        EXPECT_EQ(ClassifyImport(other), InterceptedImport::None) << other;
}

TEST(ClassifyImport, OrdinalsAreRecognisedByTheirValue)
{
    EXPECT_TRUE(IsOrdinalName(reinterpret_cast<const void*>(uintptr_t(7))));
    EXPECT_TRUE(IsOrdinalName(reinterpret_cast<const void*>(uintptr_t(0xFFFF))));
    EXPECT_FALSE(IsOrdinalName(reinterpret_cast<const void*>(uintptr_t(0x10000))));
    EXPECT_FALSE(IsOrdinalName("CreateFileA"));
}

TEST(TMapString2String, FindsTheFirstPairIgnoringCase)
{
    TMapString2String map;
    std::string value = "untouched";
    EXPECT_FALSE(map.Find("Anything", value));
    EXPECT_EQ(value, "untouched");

    map.Add("MacromediaFlashPlayerActiveX", "FlashPlayerControl_1");
    map.Add("macromediaflashplayeractivex", "second");
    map.Add("Other", "FlashPlayerControl_1");
    EXPECT_EQ(map.Count(), 3u) << "duplicates are kept";
    ASSERT_TRUE(map.Find("MACROMEDIAFLASHPLAYERACTIVEX", value));
    EXPECT_EQ(value, "FlashPlayerControl_1");
    ASSERT_TRUE(map.Find("other", value));
    EXPECT_EQ(value, "FlashPlayerControl_1");
    EXPECT_FALSE(map.Find("Othe", value));
    EXPECT_FALSE(map.Find("Others", value));
}
