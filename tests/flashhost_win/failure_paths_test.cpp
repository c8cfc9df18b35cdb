// The control when the object misbehaves or a handler fails: activation that
// never reports, an object without a window, and an exception on the way
// through the control's window procedure (the "oops" report).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "flashhost/FlashPlayerControl_win.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "toolkit/application_win.h"

using namespace flashhost;

namespace {

// Counts the reports that reach the application's exception handler.
class ReportCounter {
public:
    ReportCounter() { swfp::tk::Application().OnException = [this](std::exception_ptr) { ++count; }; }
    ~ReportCounter() { swfp::tk::Application().OnException = nullptr; }
    int count = 0;
};

// Placing the control on a form that has its window makes the control's window.
std::string CreationError(TFlashPlayerControl& control, swfp::tk::TForm& form)
{
    try {
        control.SetParent(&form);
        control.HandleNeeded();
    } catch (const EOleError& e) {
        return e.what();
    }
    return "(no error)";
}

void ExpectCreationFails(const wchar_t* fault, const std::string& message)
{
    swfp::wintest::UseRuntimeModule(L"flash_standin.dll");
    swfp::wintest::TestForm form;
    ReportCounter reports;
    {
        swfp::wintest::StandinFault misbehave(fault);
        auto control = std::make_unique<TFlashPlayerControl>(nullptr);
        ASSERT_TRUE(control->HasOleObject());
        EXPECT_EQ(CreationError(*control, form.Form()), message);
        EXPECT_FALSE(control->HandleAllocated());
    }
    // Raised once, out of window creation, not reported on the way.
    EXPECT_EQ(reports.count, 0);
    // The object closed its window with the control: the form holds nothing.
    EXPECT_EQ(GetWindow(form.Form().WindowHandle(), GW_CHILD), nullptr);
}

// The message box of this process's test thread: its caption and text, then closes it.
struct MessageBoxSeen {
    std::wstring caption, text;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found)
{
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (std::wstring(className) != L"#32770") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Watches the thread for a message box, notes what it says and presses OK.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD thread)
        : watcher_([this, thread] {
              for (int tries = 0; tries < 500 && !stop_; ++tries) {
                  HWND box = nullptr;
                  EnumThreadWindows(thread, &FindMessageBox, reinterpret_cast<LPARAM>(&box));
                  if (box && IsWindowVisible(box)) {
                      wchar_t text[256] = {};
                      GetWindowTextW(box, text, 256);
                      seen.caption = text;
                      GetDlgItemTextW(box, 0xFFFF, text, 256);  // the box's static text
                      seen.text = text;
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  Sleep(20);
              }
          })
    {
    }
    ~MessageBoxWatcher() { Stop(); }
    // Ends the watch; what the box said, if one came.
    MessageBoxSeen Stop()
    {
        stop_ = true;
        if (watcher_.joinable()) watcher_.join();
        return seen;
    }

    MessageBoxSeen seen;

private:
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

}  // namespace

TEST(FailurePaths, ActivationThatNeverReportsRaisesActivationFailed)
{
    ExpectCreationFails(L"silent-activation", "OLE control activation failed");
}

TEST(FailurePaths, ObjectWithoutWindowRaisesNoWindowHandle)
{
    ExpectCreationFails(L"hide-window", "Could not obtain OLE control window handle");
}

TEST(FailurePaths, APropertyTheObjectRefusesKeepsTheAssignedValue)
{
    swfp::wintest::UseRuntimeModule(L"flash_standin.dll");
    swfp::wintest::StandinLog log;
    swfp::wintest::StandinFault misbehave(L"refuse-loop");
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
    swfp::wintest::UseRuntimeModule(L"flash_standin.dll");
    swfp::wintest::TestForm form;
    ReportCounter reports;
    auto control = std::make_unique<TFlashPlayerControl>(nullptr);
    control->SetParent(&form.Form());
    control->SetBounds(0, 0, 300, 200);
    control->HandleNeeded();
    int presses = 0;
    control->OnMouseDown = [&](swfp::tk::TComponent&, swfp::tk::MouseButton, swfp::tk::ShiftState, int, int) {
        ++presses;
        throw std::runtime_error("handler failed");
    };
    MessageBoxWatcher watcher(GetCurrentThreadId());
    const LRESULT result = SendMessageW(control->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    const MessageBoxSeen seen = watcher.Stop();
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(seen.text, L"oops");
    EXPECT_EQ(seen.caption, L"Error");  // no caption of its own: the platform's default
    EXPECT_EQ(result, 0);               // the message counts as handled
    EXPECT_EQ(reports.count, 0);        // the box is the report; nothing else hears of it

    // The control goes on working: the next press reaches the handler again.
    control->OnMouseDown = [&](swfp::tk::TComponent&, swfp::tk::MouseButton, swfp::tk::ShiftState, int, int) {
        ++presses;
    };
    SendMessageW(control->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(presses, 2);
}
