// Each version build presents the scripting layout of the version it reports:
// members are called here by raw vtable position, independently of the
// declarations, and the observation log names the member that answered.
#include <gtest/gtest.h>

#include "tests/standin/standin_harness_win.h"
#include "tests/support_win/standin_log_win.h"

using namespace standin_test;
using namespace swfp::wintest;

namespace {

template <typename Fn>
Fn Slot(IUnknown* p, int position) {
  return reinterpret_cast<Fn>((*reinterpret_cast<void***>(p))[position]);
}

using GetLong = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, long*);
using GetText = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR*);
using PutText = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR);
using GetNum = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR, long, double*);

// Text properties as (getter position, name); the setter follows its getter.
using TextPairs = std::vector<std::pair<int, const char*>>;

struct Layout {
  const wchar_t* module;
  int major;
  int asNumber;    // the position of TGetPropertyAsNumber; 0: the version has none
  TextPairs tail;  // what follows the common positions 7 to 72
};

const TextPairs kV7Tail{{74, "SWRemote"}, {76, "FlashVars"}, {78, "AllowScriptAccess"}, {80, "MovieData"}};

class VersionLayouts : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }

  StandinLog log;
};

}  // namespace

TEST_P(VersionLayouts, MembersAnswerAtTheirPositions) {
  const Layout& layout = GetParam();
  ComPtr<IOleObject> object = CreateFromModule(layout.module);
  ASSERT_TRUE(object) << WideToUtf8(layout.module);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(object->QueryInterface(IID_IShockwaveFlash, reinterpret_cast<void**>(unknown.GetAddressOf())), S_OK);
  IUnknown* flash = unknown.Get();

  long version = 0;
  ASSERT_EQ(Slot<GetLong>(flash, 39)(flash, &version), S_OK);
  EXPECT_EQ(FlashMajorVersionOf(version), layout.major);
  long frames = -1;
  EXPECT_EQ(Slot<GetLong>(flash, 8)(flash, &frames), S_OK);
  EXPECT_EQ(frames, 0);

  std::vector<std::pair<int, const char*>> numbers{{72, "TGetPropertyNum"}};
  if (layout.asNumber) numbers.emplace_back(layout.asNumber, "TGetPropertyAsNumber");
  for (const auto& [position, name] : numbers) {
    double number = -1;
    EXPECT_EQ(Slot<GetNum>(flash, position)(flash, Bstr(L"/"), 5, &number), S_OK) << name;
    EXPECT_EQ(number, 0.0) << name;
    EXPECT_GE(log.FindLine(std::string("call ") + name + " / 5"), 0) << name;
  }

  // Text pairs: the common part's first, middle and last, then the version's own.
  TextPairs pairs{{40, "WMode"}, {46, "Base"}, {56, "Quality2"}};
  pairs.insert(pairs.end(), layout.tail.begin(), layout.tail.end());
  for (const auto& [getter, name] : pairs) {
    SCOPED_TRACE(name);
    const std::wstring value = L"value-" + std::to_wstring(getter);
    EXPECT_EQ(Slot<PutText>(flash, getter + 1)(flash, Bstr(value)), S_OK);
    Bstr back;
    EXPECT_EQ(Slot<GetText>(flash, getter)(flash, back.out()), S_OK);
    EXPECT_EQ(back.str(), value);
    EXPECT_GE(log.FindLine(std::string("call put_") + name + " " + WideToUtf8(value)), 0);
    EXPECT_GE(log.FindLine(std::string("call get_") + name), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, VersionLayouts,
                         ::testing::Values(Layout{L"flash_standin_v3.dll", 3, 0, {}},
                                           Layout{L"flash_standin_v4.dll", 4, 0, {{73, "SWRemote"}}},
                                           Layout{L"flash_standin_v5.dll", 5, 0, {{73, "SWRemote"}, {75, "Stacking"}}},
                                           Layout{L"flash_standin_v6.dll", 6, 0, {}},
                                           Layout{L"flash_standin_v7.dll", 7, 73, kV7Tail},
                                           Layout{L"flash_standin_v8.dll", 8, 73, kV7Tail},
                                           Layout{L"flash_standin_v9.dll", 9, 73, kV7Tail},
                                           Layout{L"flash_standin.dll", 10, 73, kV7Tail}));
