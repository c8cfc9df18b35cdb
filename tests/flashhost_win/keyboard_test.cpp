// Keys on their way through the message loop to the hosted object: every key
// message is first offered to the object's TranslateAccelerator (marked with
// the container's point), navigation keys the object's window does not want go
// to the form, where the object's mnemonics take theirs, and the rest reaches
// the object's window.
#include <gtest/gtest.h>

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
        control = std::make_unique<TFlashPlayerControl>(nullptr);
        control->SetParent(&form.Form());
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
    std::string Offered(UINT key) const
    {
        return "call TranslateAccelerator 256 " + std::to_string(key) + " " + kMarker;
    }

    StandinLog log;
    swfp::wintest::TestForm form;
    std::unique_ptr<TFlashPlayerControl> control;
};

}  // namespace

TEST_F(Keyboard, ObjectAcceleratorsComeFirstAndKeepTheirKeys)
{
    Press(VK_TAB);  // the stand-in's own key: translated, never seen by its window
    EXPECT_TRUE(log.HasPrefix(Offered(VK_TAB))) << log.Dump();
    EXPECT_FALSE(log.HasPrefix("key down")) << log.Dump();

    log.Clear();
    Press('A');  // not an accelerator: offered, then delivered
    const int offered = log.FindPrefix(Offered('A'));
    EXPECT_GE(offered, 0) << log.Dump();
    EXPECT_GT(log.FindPrefix("key down 65", offered), offered) << log.Dump();

    log.Clear();
    Press(VK_LEFT);  // a navigation key the movie wants (its dialog code says so)
    EXPECT_TRUE(log.HasPrefix(Offered(VK_LEFT))) << log.Dump();
    EXPECT_TRUE(log.HasPrefix("key down 37")) << log.Dump();
    EXPECT_FALSE(log.HasPrefix("call OnMnemonic")) << log.Dump();
}

TEST_F(Keyboard, MnemonicsTakeNavigationKeysOnlyWhileTheControlCanTakeTheFocus)
{
    Press(VK_EXECUTE);  // in the stand-in's mnemonic table
    const int offered = log.FindPrefix(Offered(VK_EXECUTE));
    EXPECT_GE(offered, 0) << log.Dump();
    EXPECT_GT(log.FindPrefix("call OnMnemonic 256 43", offered), offered) << log.Dump();
    EXPECT_FALSE(log.HasPrefix("key down")) << log.Dump();

    log.Clear();
    Press(VK_RETURN);  // a navigation key, but no mnemonic of the object's
    EXPECT_FALSE(log.HasPrefix("call OnMnemonic")) << log.Dump();
    EXPECT_TRUE(log.HasPrefix("key down 13")) << log.Dump();

    log.Clear();
    control->SetEnabled(false);  // a disabled control takes no mnemonics
    Press(VK_EXECUTE);
    EXPECT_FALSE(log.HasPrefix("call OnMnemonic")) << log.Dump();
    EXPECT_TRUE(log.HasPrefix("key down 43")) << log.Dump();
}

TEST_F(Keyboard, KeysOfOtherWindowsAreNotOfferedToTheObject)
{
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 400, 0, 50, 50,
                                 form.Form().WindowHandle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(other);
    PostMessageW(other, WM_KEYDOWN, 'B', 1);
    while (swfp::tk::Application().HandleMessage()) {
    }
    EXPECT_FALSE(log.HasPrefix("call TranslateAccelerator")) << log.Dump();
    DestroyWindow(other);
}
