// Each version build presents the scripting layout of the version it reports:
// members are called here by raw vtable position, independently of the
// declarations, and the observation log names the member that answered.
#include <gtest/gtest.h>

#include "tests/standin/standin_harness_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

using namespace standin_test;
using namespace swfp::wintest;

namespace {

void** Vtable(IUnknown* p) { return *reinterpret_cast<void***>(p); }

template <typename Fn>
Fn Slot(IUnknown* p, int position) {
  return reinterpret_cast<Fn>(Vtable(p)[position]);
}

using GetLong = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, long*);
using GetText = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR*);
using PutText = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR);
using GetNum = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR, long, double*);
using SetVar = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR, BSTR);
using GetVar = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR, BSTR*);

// What follows the common positions 7 to 72.
enum class Tail { None, V4, V5, V7 };

struct Layout {
  const wchar_t* module;
  int major;
  Tail tail;
};

class VersionLayouts : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }

  StandinLog log;
};

// A text property pair at (getter, getter + 1): the setter's value reads back and the log names it.
void ExpectTextPair(const StandinLog& log, IUnknown* flash, int getter, const char* name) {
  SCOPED_TRACE(name);
  std::wstring value = L"value-" + std::to_wstring(getter);
  EXPECT_EQ(Slot<PutText>(flash, getter + 1)(flash, Bstr(value)), S_OK);
  Bstr back;
  EXPECT_EQ(Slot<GetText>(flash, getter)(flash, back.out()), S_OK);
  EXPECT_EQ(back.str(), value);
  auto lines = log.Lines();
  EXPECT_GE(FindLine(lines, std::string("call put_") + name + " " + WideToUtf8(value)), 0);
  EXPECT_GE(FindLine(lines, std::string("call get_") + name), 0);
}

}  // namespace

TEST_P(VersionLayouts, MembersAnswerAtTheirPositions) {
  const Layout& layout = GetParam();
  ComPtr<IOleObject> object = CreateFromModule(layout.module);
  ASSERT_TRUE(object) << WideToUtf8(layout.module);
  ComPtr<IUnknown> flash;
  ASSERT_EQ(object->QueryInterface(IID_IShockwaveFlash, reinterpret_cast<void**>(flash.GetAddressOf())), S_OK);

  long version = 0;
  ASSERT_EQ(Slot<GetLong>(flash.Get(), 39)(flash.Get(), &version), S_OK);
  EXPECT_EQ(FlashMajorVersionOf(version), layout.major);
  long frames = -1;
  EXPECT_EQ(Slot<GetLong>(flash.Get(), 8)(flash.Get(), &frames), S_OK);
  EXPECT_EQ(frames, 0);

  // Common part: first, middle and last positions.
  ExpectTextPair(log, flash.Get(), 40, "WMode");
  ExpectTextPair(log, flash.Get(), 46, "Base");
  ExpectTextPair(log, flash.Get(), 56, "Quality2");
  EXPECT_EQ(Slot<SetVar>(flash.Get(), 65)(flash.Get(), Bstr(L"v"), Bstr(L"42")), S_OK);
  Bstr var;
  EXPECT_EQ(Slot<GetVar>(flash.Get(), 66)(flash.Get(), Bstr(L"v"), var.out()), S_OK);
  EXPECT_EQ(var.str(), L"42");
  double number = -1;
  EXPECT_EQ(Slot<GetNum>(flash.Get(), 72)(flash.Get(), Bstr(L"/"), 5, &number), S_OK);
  EXPECT_EQ(number, 0.0);
  EXPECT_GE(FindLine(log.Lines(), "call TGetPropertyNum / 5"), 0);

  if (layout.tail == Tail::V4 || layout.tail == Tail::V5) ExpectTextPair(log, flash.Get(), 73, "SWRemote");
  if (layout.tail == Tail::V5) ExpectTextPair(log, flash.Get(), 75, "Stacking");
  if (layout.tail == Tail::V7) {
    number = -1;
    EXPECT_EQ(Slot<GetNum>(flash.Get(), 73)(flash.Get(), Bstr(L"/"), 5, &number), S_OK);
    EXPECT_EQ(number, 0.0);
    EXPECT_GE(FindLine(log.Lines(), "call TGetPropertyAsNumber / 5"), 0);
    ExpectTextPair(log, flash.Get(), 74, "SWRemote");
    ExpectTextPair(log, flash.Get(), 76, "FlashVars");
    ExpectTextPair(log, flash.Get(), 78, "AllowScriptAccess");
    ExpectTextPair(log, flash.Get(), 80, "MovieData");
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, VersionLayouts,
                         ::testing::Values(Layout{L"flash_standin_v3.dll", 3, Tail::None},
                                           Layout{L"flash_standin_v4.dll", 4, Tail::V4},
                                           Layout{L"flash_standin_v5.dll", 5, Tail::V5},
                                           Layout{L"flash_standin_v6.dll", 6, Tail::None},
                                           Layout{L"flash_standin_v7.dll", 7, Tail::V7},
                                           Layout{L"flash_standin_v8.dll", 8, Tail::V7},
                                           Layout{L"flash_standin_v9.dll", 9, Tail::V7},
                                           Layout{L"flash_standin.dll", 10, Tail::V7}));
