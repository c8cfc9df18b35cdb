#include "flashrt/content_manager_win.h"

#include <functional>
#include <vector>

#include "flashrt/moniker_win.h"
#include "flashrt/stream_adapter_win.h"

namespace flashrt {

using Microsoft::WRL::ComPtr;

namespace {

TContentManager* activeManager = nullptr;
std::function<void(const std::string&)> diagnosticObserver;

void Diagnose(const std::string& line)
{
    OutputDebugStringA(line.c_str());
    if (diagnosticObserver) diagnosticObserver(line);
}

std::string CurrentDirectoryAnsi()
{
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::string dir(needed, '\0');
    const DWORD got = GetCurrentDirectoryA(needed, dir.data());
    dir.resize(got < needed ? got : 0);
    return dir;
}

}  // namespace

void SetContentManagerDiagnosticObserver(std::function<void(const std::string&)> observer)
{
    diagnosticObserver = std::move(observer);
}

TContentManager::TContentManager()
{
    if (!activeManager) activeManager = this;
}

TContentManager::~TContentManager()
{
    if (activeManager == this) activeManager = nullptr;
}

TContentManager& ContentManager()
{
    if (activeManager) return *activeManager;
    static TContentManager fallback;
    return fallback;
}

std::unique_ptr<ContentRedirector> MakeContentManager() { return std::make_unique<TContentManager>(); }

// ---- registration ------------------------------------------------------------------

std::string TContentManager::Register(TContentClient& control, std::unique_ptr<TStream> stream, PointAt how,
                                      int32_t layer)
{
    const std::string path = registry_.NewPseudoPath();
    const int32_t id = ParsePseudoURL(path)->Id;  // our own format always parses
    registry_.AddStream(path, TStreamToIStream(std::move(stream)));
    registry_.RegisterControl(id, &control);

    // The placeholder first, so the runtime treats the pseudo path as a new movie.
    const std::wstring reset = AnsiToWide(std::string(kResetURL));
    const std::wstring wide = AnsiToWide(path);
    if (how == PointAt::Movie) {
        control.SetMovieURL(reset);
        control.SetMovieURL(wide);
    } else {
        control.LoadMovieURL(layer, reset);
        control.LoadMovieURL(layer, wide);
    }
    return path;
}

std::string TContentManager::PutMovieFromStream(TContentClient& control, TStream& stream)
{
    auto copy = std::make_unique<TMemoryStream>();
    copy->CopyFrom(stream, 0);
    copy->SetPosition(0);
    return Register(control, std::move(copy), PointAt::Movie, 0);
}

std::string TContentManager::PutMovieUsingStream(TContentClient& control, std::unique_ptr<TStream> stream)
{
    return Register(control, std::move(stream), PointAt::Movie, 0);
}

std::string TContentManager::LoadLayerFromStream(TContentClient& control, int32_t layer, TStream& stream)
{
    auto copy = std::make_unique<TMemoryStream>();
    copy->CopyFrom(stream, 0);
    copy->SetPosition(0);
    return Register(control, std::move(copy), PointAt::Layer, layer);
}

std::string TContentManager::LoadLayerUsingStream(TContentClient& control, int32_t layer,
                                                  std::unique_ptr<TStream> stream)
{
    return Register(control, std::move(stream), PointAt::Layer, layer);
}

ComPtr<IStream> TContentManager::TakeStream(const std::string& url)
{
    auto taken = registry_.TakeStream(url);
    return taken ? *taken : nullptr;
}

void TContentManager::ForgetControl(TContentClient& control) { registry_.ForgetControl(&control); }

std::string TContentManager::BaseOf(TContentClient& control)
{
    std::string base = WideToAnsi(control.ContentBase());
    return base.empty() ? CurrentDirectoryAnsi() : base;
}

// ---- requests from the runtime ---------------------------------------------------

HRESULT TContentManager::CreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker)
{
    if (!moniker) return E_POINTER;
    *moniker = nullptr;
    const std::wstring wideUrl = url ? url : L"";
    const std::string ansiUrl = WideToAnsi(wideUrl);
    Diagnose("TContentManager.CreateURLMoniker: " + ansiUrl);

    auto takeStream = [this](const std::string& u) { return TakeStream(u); };
    HRESULT result = E_FAIL;
    const auto pseudo = ParsePseudoURL(ansiUrl);

    if (registry_.HasStream(ansiUrl)) {
        *moniker = CreateMyMoniker(ansiUrl, takeStream).Detach();
        result = S_OK;
    }

    if (FAILED(result) && pseudo) {
        if (TContentClient* control = FindControl(pseudo->Id)) {
            auto resource = std::make_unique<TMemoryStream>();
            const std::string relative(StripOneLeadingSlash(pseudo->RelativePath));
            bool served = false;
            try {
                served = control->LoadExternalResource(relative, *resource) && resource->Size() > 0;
            } catch (...) {
                served = false;  // the handler's failure must not unwind into the runtime
            }
            if (served) {
                resource->SetPosition(0);
                registry_.AddStream(ansiUrl, TStreamToIStream(std::move(resource)));
                *moniker = CreateMyMoniker(ansiUrl, takeStream).Detach();
                result = S_OK;
            }
            if (FAILED(result)) {
                const std::string redirected = RedirectedURL(BaseOf(*control), pseudo->RelativePath);
                Diagnose("CreateURLMoniker, new url: " + redirected);
                result = ::CreateURLMoniker(context, AnsiToWide(redirected).c_str(), moniker);
            }
        }
    }

    if (FAILED(result)) result = ::CreateURLMoniker(context, wideUrl.c_str(), moniker);
    return result;
}

HANDLE TContentManager::CreateFile(LPCSTR fileName, DWORD access, DWORD shareMode,
                                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                                   DWORD flagsAndAttributes, HANDLE templateFile)
{
    const std::string name = fileName ? fileName : "";
    Diagnose("TContentManager.CreateFile: " + name);
    HANDLE handle = INVALID_HANDLE_VALUE;

    if (const auto pseudo = ParsePseudoURL(name)) {
        if (TContentClient* control = FindControl(pseudo->Id)) {
            const std::string redirected = RedirectedFilePath(BaseOf(*control), pseudo->RelativePath);
            Diagnose("TContentManager.CreateFile, new path: " + redirected);
            handle = ::CreateFileA(redirected.c_str(), access, shareMode, securityAttributes, creationDisposition,
                                   flagsAndAttributes, templateFile);
        }
    }
    if (handle == INVALID_HANDLE_VALUE)
        handle = ::CreateFileA(fileName, access, shareMode, securityAttributes, creationDisposition,
                               flagsAndAttributes, templateFile);
    return handle;
}

bool TContentManager::TryCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker, HRESULT* result)
{
    HRESULT hr;
    try {
        hr = CreateURLMoniker(context, url, moniker);
    } catch (...) {
        hr = E_FAIL;  // never unwind into the runtime
    }
    if (result) *result = hr;
    return true;
}

bool TContentManager::TryCreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                                     LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                                     DWORD flagsAndAttributes, HANDLE templateFile, HANDLE* result)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    try {
        handle = CreateFile(fileName, access, shareMode, securityAttributes, creationDisposition,
                            flagsAndAttributes, templateFile);
    } catch (...) {
        handle = INVALID_HANDLE_VALUE;
    }
    if (result) *result = handle;
    return true;
}

}  // namespace flashrt
