#pragma once
// Shared set-up of the control tests: the runtime state of the process, the stand-in
// runtime module mapped from its file beside the test program, its observation log,
// and a form to place controls on.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "flashhost/kxSWFPlayer2_win.h"
#include "toolkit/form_win.h"

namespace h5test {

// The folder of the running test program.
std::wstring ExeFolder();
std::vector<uint8_t> ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes);
// A fresh folder under the temporary folder, removed with its files at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Makes the stand-in module of that file name (beside the program) the active
// provider's module; an empty name leaves a provider without any module.
void UseRuntimeModule(const std::wstring& dllName);

// The stand-in's observation log, written to a file of this object.
class StandinLog {
public:
    StandinLog();
    ~StandinLog();
    void Clear();
    std::vector<std::string> Lines() const;
    // Index of the first line starting with prefix (at or after from), or -1.
    int Find(const std::string& prefix, int from = 0) const;
    bool Has(const std::string& prefix) const { return Find(prefix) >= 0; }
    std::string Dump() const;

private:
    std::wstring path_;
};

// A top-level form with a client area of 800 x 600 to hold controls.
class TestForm {
public:
    TestForm();
    ~TestForm();
    swfp::tk::TForm& Form() { return *form_; }

private:
    std::unique_ptr<swfp::tk::TForm> form_;
};

// Lets queued messages (timers, posted notifications) run.
void Pump(int milliseconds = 50);

}  // namespace h5test
