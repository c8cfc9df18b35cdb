// Keys on their way through the message loop to the hosted object: every key
// message is first offered to the object's TranslateAccelerator (marked with
// the container's point), navigation keys the object's window does not want go
// to the form, where the object's mnemonics take theirs, and the rest reaches
// the object's window.
#include <gtest/gtest.h>

#include <algorithm>

#include "flashhost/FlashPlayerControl_win.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "toolkit/application_win.h"

using namespace flashhost;
using swfp::wintest::StandinLog;

namespace {

constexpr const char* kMarker = "291365361 291365361";  // 0x115DE1F1, the container's marker point

struct Keyboard : ::testing::Test {
    void SetUp() override
    {
        swfp::wintest::UseRuntimeModule(L"flash_standin.dll");
        control = swfp::wintest::MakeControl(form.Form());
        control->SetBounds(0, 0, 300, 200);
        form.Form().Show();
        control->HandleNeeded();
        ASSERT_TRUE(control->HasOleObject());
        log.Clear();
    }
    void TearDown() override { control.reset(); }

    // Posts a key-down to the object's window and runs the toolkit's message loop over it.
    void Press(UINT key)
    {
        PostMessageW(control->WindowHandle(), WM_KEYDOWN, key, 1);
        while (swfp::tk::Application().HandleMessage()) {
        }
    }

    StandinLog log;
    swfp::wintest::TestForm form;
    std::unique_ptr<TFlashPlayerControl> control;
};

struct KeyCase {
    const char* name;
    UINT key;
    bool enabled;
    std::vector<std::string> ordered;  // prefixes logged in this order
    std::vector<std::string> absent;   // prefixes never logged
};

std::string Offered(UINT key) { return "call TranslateAccelerator 256 " + std::to_string(key) + " " + kMarker; }

const KeyCase kKeyCases[] = {
    // The stand-in's own accelerator: translated, never seen by its window.
    {"AcceleratorKeepsItsKey", VK_TAB, true, {Offered(VK_TAB)}, {"key down"}},
    {"OtherKeysAreOfferedThenDelivered", 'A', true, {Offered('A'), "key down 65"}, {}},
    // A navigation key the movie wants (its dialog code says so).
    {"NavigationKeyTheMovieWants", VK_LEFT, true, {Offered(VK_LEFT), "key down 37"}, {"call OnMnemonic"}},
    {"MnemonicTakesItsKey", VK_EXECUTE, true, {Offered(VK_EXECUTE), "call OnMnemonic 256 43"}, {"key down"}},
    {"NavigationKeyWithoutMnemonic", VK_RETURN, true, {"key down 13"}, {"call OnMnemonic"}},
    {"DisabledControlTakesNoMnemonics", VK_EXECUTE, false, {"key down 43"}, {"call OnMnemonic"}},
};

struct KeyRoute : Keyboard, ::testing::WithParamInterface<KeyCase> {};

}  // namespace

TEST_P(KeyRoute, ReachesTheObjectInItsOrder)
{
    const KeyCase& c = GetParam();
    control->SetEnabled(c.enabled);
    Press(c.key);
    int from = 0;
    for (const std::string& prefix : c.ordered) {
        const int at = log.FindPrefix(prefix, from);
        EXPECT_GE(at, 0) << prefix << log.Dump();
        from = std::max(at + 1, from);
    }
    for (const std::string& prefix : c.absent) EXPECT_FALSE(log.HasPrefix(prefix)) << prefix << log.Dump();
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyRoute, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Keyboard, KeysOfOtherWindowsAreNotOfferedToTheObject)
{
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 400, 0, 50, 50,
                                 form.Form().WindowHandle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(other);
    PostMessageW(other, WM_KEYDOWN, 'B', 1);
    while (swfp::tk::Application().HandleMessage()) {
    }
    DestroyWindow(other);
    EXPECT_FALSE(log.HasPrefix("call TranslateAccelerator")) << log.Dump();
    Press('B');  // the same key on the object's window is offered
    EXPECT_TRUE(log.HasPrefix(Offered('B'))) << log.Dump();
}
