// Keys on their way through the message loop to the hosted object: each is first
// offered to its TranslateAccelerator (marked with the container's point); navigation
// keys its window does not want go to the form, where its mnemonics take theirs; the
// rest reach its window.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/flashhost_win/flashhost_test_support.h"

using namespace flashhost;
using swfp::wintest::StandinLog;

namespace {

constexpr const char* kMarker = "291365361 291365361";  // 0x115DE1F1, the container's marker point

struct Keyboard : ::testing::Test {
    void SetUp() override
    {
        swfp::wintest::UseRuntimeModule(L"flash_standin.dll");
        control = swfp::wintest::MakeControl(*form);
        form->Show();
        ASSERT_TRUE(control->HasOleObject());
        log.Clear();
    }

    // Posts a key-down to a window and runs the toolkit's message loop over it.
    void Press(UINT key, HWND window = nullptr)
    {
        PostMessageW(window ? window : control->WindowHandle(), WM_KEYDOWN, key, 1);
        while (swfp::tk::Application().HandleMessage()) {
        }
    }

    StandinLog log;
    const std::unique_ptr<swfp::tk::TForm> form = swfp::wintest::MakeForm();
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

}  // namespace

TEST_F(Keyboard, EachKeyReachesTheObjectInItsOrder)
{
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.name);
        control->SetEnabled(c.enabled);
        log.Clear();
        Press(c.key);
        int from = 0;
        for (const std::string& prefix : c.ordered) {
            const int at = log.FindPrefix(prefix, from);
            EXPECT_GE(at, 0) << prefix << log.Dump();
            from = std::max(at + 1, from);
        }
        for (const std::string& prefix : c.absent) EXPECT_FALSE(log.HasPrefix(prefix)) << prefix << log.Dump();
    }
}

TEST_F(Keyboard, KeysOfOtherWindowsAreNotOfferedToTheObject)
{
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 400, 0, 50, 50,
                                 form->WindowHandle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(other);
    Press('B', other);
    DestroyWindow(other);
    EXPECT_FALSE(log.HasPrefix("call TranslateAccelerator")) << log.Dump();
    Press('B');  // the same key on the object's window is offered
    EXPECT_TRUE(log.HasPrefix(Offered('B'))) << log.Dump();
}
