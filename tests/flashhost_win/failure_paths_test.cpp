// The control when the object misbehaves or a handler fails: activation that
// never reports, an object without a window, a refused property, and an exception
// on the way through the control's window procedure (the "oops" report).
#include <gtest/gtest.h>

#include "flashhost/FlashPlayerControl_win.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "toolkit/application_win.h"

using namespace flashhost;
namespace wintest = swfp::wintest;

namespace {

// Answers the message boxes this thread shows while it lives: notes the caption and
// the text of each as it is activated, and presses OK.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer()
    {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &OnCbt, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxAnswerer()
    {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    std::vector<std::wstring> seen;  // "caption|text" of each box

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wp, LPARAM lp)
    {
        const HWND window = reinterpret_cast<HWND>(wp);
        wchar_t className[16] = {};
        if (code == HCBT_ACTIVATE && current_ && GetClassNameW(window, className, 16) &&
            std::wstring(className) == L"#32770") {
            wchar_t caption[256] = {}, text[256] = {};
            GetWindowTextW(window, caption, 256);
            GetDlgItemTextW(window, 0xFFFF, text, 256);  // the box's static text
            current_->seen.push_back(std::wstring(caption) + L"|" + text);
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline MessageBoxAnswerer* current_ = nullptr;
    HHOOK hook_ = nullptr;
};

struct CreationFailure {
    const wchar_t* fault;
    const char* message;
};

class FailingCreation : public ::testing::TestWithParam<CreationFailure> {};

}  // namespace

TEST_P(FailingCreation, RaisesOnceOutOfWindowCreationAndLeavesNoWindow)
{
    wintest::UseRuntimeModule(L"flash_standin.dll");
    wintest::TestForm form;
    wintest::ExceptionReports reports;
    {
        wintest::StandinFault misbehave(GetParam().fault);
        auto control = std::make_unique<TFlashPlayerControl>(nullptr);
        ASSERT_TRUE(control->HasOleObject());
        // Placing the control on a form that has its window makes the control's window.
        try {
            control->SetParent(&form.Form());
            control->HandleNeeded();
            ADD_FAILURE() << "creation must raise";
        } catch (const EOleError& e) {
            EXPECT_STREQ(e.what(), GetParam().message);
        }
        EXPECT_FALSE(control->HandleAllocated());
    }
    EXPECT_TRUE(reports.messages.empty()) << "raised, not reported on the way";
    EXPECT_EQ(GetWindow(form.Form().WindowHandle(), GW_CHILD), nullptr) << "the object closed its window";
}

INSTANTIATE_TEST_SUITE_P(Faults, FailingCreation,
                         ::testing::Values(CreationFailure{L"silent-activation", "OLE control activation failed"},
                                           CreationFailure{L"hide-window",
                                                           "Could not obtain OLE control window handle"}));

TEST(FailurePaths, APropertyTheObjectRefusesKeepsTheAssignedValue)
{
    wintest::UseRuntimeModule(L"flash_standin.dll");
    wintest::StandinLog log;
    wintest::StandinFault misbehave(L"refuse-loop");
    auto control = std::make_unique<TFlashPlayerControl>(nullptr);
    ASSERT_TRUE(control->HasOleObject());
    EXPECT_NO_THROW(control->SetLoop(true));
    EXPECT_TRUE(log.HasPrefix("call put_Loop -1")) << "the value was offered to the object\n" << log.Dump();
    EXPECT_TRUE(control->Loop()) << "the object cannot say: the assigned value stands";
    EXPECT_NO_THROW(control->SetLoop(false));
    EXPECT_FALSE(control->Loop());
}

TEST(FailurePaths, ExceptionInTheWindowProcedureShowsOops)
{
    wintest::UseRuntimeModule(L"flash_standin.dll");
    wintest::TestForm form;
    wintest::ExceptionReports reports;
    auto control = wintest::MakeControl(form.Form());
    control->SetBounds(0, 0, 300, 200);
    control->HandleNeeded();
    int presses = 0;
    bool fail = true;
    control->OnMouseDown = [&](swfp::tk::TComponent&, swfp::tk::MouseButton, swfp::tk::ShiftState, int, int) {
        ++presses;
        if (fail) throw std::runtime_error("handler failed");
    };
    MessageBoxAnswerer boxes;
    const LRESULT result = SendMessageW(control->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(presses, 1);
    // No caption of its own: the platform's default.
    EXPECT_EQ(boxes.seen, (std::vector<std::wstring>{L"Error|oops"}));
    EXPECT_EQ(result, 0);         // the message counts as handled
    EXPECT_TRUE(reports.messages.empty());  // the box is the report; nothing else hears of it

    // The control goes on working: the next press reaches the handler again, and shows nothing.
    fail = false;
    SendMessageW(control->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(boxes.seen.size(), 1u);
}
