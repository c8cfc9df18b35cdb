// The control when the object misbehaves or a handler fails: activation that
// never reports, an object without a window, and an exception on the way through
// the control's window procedure (the "oops" report).
#include <gtest/gtest.h>

#include "tests/flashhost_win/flashhost_test_support.h"
#include "tests/support_win/window_text_win.h"

using namespace flashhost;
namespace wintest = swfp::wintest;

namespace {

// Answers the message boxes this thread shows while it lives: notes "caption|text"
// of each as it is activated, and presses OK.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() : hook_(SetWindowsHookExW(WH_CBT, &OnCbt, nullptr, GetCurrentThreadId())) { seen_ = &seen; }
    ~MessageBoxAnswerer()
    {
        UnhookWindowsHookEx(hook_);
        seen_ = nullptr;
    }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    std::vector<std::wstring> seen;

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wp, LPARAM lp)
    {
        const HWND window = reinterpret_cast<HWND>(wp);
        wchar_t className[16] = {};
        if (code == HCBT_ACTIVATE && seen_ && GetClassNameW(window, className, 16) &&
            std::wstring(className) == wintest::kMessageBox) {
            seen_->push_back(wintest::WindowText(window) + L"|" + wintest::MessageBoxText(window));
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline std::vector<std::wstring>* seen_ = nullptr;
    HHOOK hook_;
};

}  // namespace

// An object that never reports its activation, or hides its window: creation raises,
// once and not through the application's report, and leaves no window behind.
TEST(FailurePaths, ACreationTheObjectFailsRaisesOnceAndLeavesNoWindow)
{
    wintest::UseRuntimeModule(L"flash_standin.dll");
    const std::unique_ptr<swfp::tk::TForm> form = wintest::MakeForm();
    wintest::ExceptionReports reports;
    const struct {
        const wchar_t* fault;
        const char* message;
    } cases[] = {{L"silent-activation", "OLE control activation failed"},
                 {L"hide-window", "Could not obtain OLE control window handle"}};
    for (const auto& c : cases) {
        wintest::StandinFault misbehave(c.fault);
        auto control = std::make_unique<TFlashPlayerControl>(nullptr);
        ASSERT_TRUE(control->HasOleObject());
        try {
            control->SetParent(form.get());  // a form with its window makes the control's window
            control->HandleNeeded();
            ADD_FAILURE() << "creation must raise";
        } catch (const EOleError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_FALSE(control->HandleAllocated());
        control.reset();
        EXPECT_EQ(GetWindow(form->WindowHandle(), GW_CHILD), nullptr) << "the object closed its window";
    }
    EXPECT_TRUE(reports.messages.empty()) << "raised, not reported on the way";
}

TEST(FailurePaths, ExceptionInTheWindowProcedureShowsOops)
{
    wintest::UseRuntimeModule(L"flash_standin.dll");
    const std::unique_ptr<swfp::tk::TForm> form = wintest::MakeForm();
    wintest::ExceptionReports reports;
    auto control = wintest::MakeControl(*form);
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
