#pragma once
// Shared set-up of the control tests: the shared Windows test helpers (the
// runtime state of the process, the stand-in module and its observation log,
// test files, the message pump) and a form to place controls on.

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "flashhost/FlashPlayerControl_win.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/runtime_environment_win.h"
#include "tests/support_win/scoped_state_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"
#include "toolkit/application_win.h"
#include "toolkit/form_win.h"

namespace swfp::wintest {

// A top-level form with its window and a client area of 800 x 600 to hold controls.
std::unique_ptr<swfp::tk::TForm> MakeForm();

// A control named "plr" placed on the form (which gives it its window at once).
std::unique_ptr<flashhost::TFlashPlayerControl> MakeControl(swfp::tk::TForm& form);

// A pointer no callee may leave in an out-parameter.
template <class T>
T* Poison()
{
    return reinterpret_cast<T*>(static_cast<uintptr_t>(0xdeadbeef));
}

// Collects what reaches the application's exception handler while it lives: the
// message of each report ("" for one that is no std::exception).
class ExceptionReports {
public:
    ExceptionReports()
    {
        swfp::tk::Application().OnException = [this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& ex) {
                messages.push_back(ex.what());
            } catch (...) {
                messages.push_back("");
            }
        };
    }
    ~ExceptionReports() { swfp::tk::Application().OnException = nullptr; }
    ExceptionReports(const ExceptionReports&) = delete;
    ExceptionReports& operator=(const ExceptionReports&) = delete;

    std::vector<std::string> messages;
};

// Maps another module for the life of this object, then the stand-in most tests use.
class ScopedRuntimeModule {
public:
    explicit ScopedRuntimeModule(const wchar_t* dllName) { UseRuntimeModule(dllName); }
    ~ScopedRuntimeModule() { UseRuntimeModule(L"flash_standin.dll"); }
    ScopedRuntimeModule(const ScopedRuntimeModule&) = delete;
    ScopedRuntimeModule& operator=(const ScopedRuntimeModule&) = delete;
};

// Makes the stand-in misbehave for the life of this object.
struct StandinFault : ScopedEnvironmentVariable {
    explicit StandinFault(const wchar_t* fault) : ScopedEnvironmentVariable(L"FLASH_STANDIN_FAULT", fault) {}
};

}  // namespace swfp::wintest
