#pragma once
// The process's content manager: keeps memory copies of movies under pseudo paths,
// points controls at them, and answers the runtime's intercepted CreateURLMoniker
// and CreateFileA calls from those registrations. One diagnostic line per request
// goes to the debugger output.

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>

#include "flashrt/content_manager.h"
#include "flashrt/import_hooks_win.h"
#include "flashrt/stream_adapter.h"
#include "winbase/text_win.h"

namespace flashrt {

// What the manager needs of a control; the Flash control implements it.
class TContentClient {
public:
    virtual ~TContentClient() = default;
    // The control's base directory (its Base property); empty when unset.
    virtual std::wstring ContentBase() = 0;
    // Offers the application's handler a request for relativePath; false when the
    // control has no handler. The handler fills stream (empty means "not served").
    virtual bool LoadExternalResource(const std::string& relativePath, TMemoryStream& stream) = 0;
    // The control's Movie setter and its LoadMovie operation.
    virtual void SetMovieURL(const std::wstring& url) = 0;
    virtual void LoadMovieURL(int32_t layer, const std::wstring& url) = 0;
};

class TContentManager final : public ContentRedirector {
public:
    TContentManager();
    ~TContentManager() override;
    TContentManager(const TContentManager&) = delete;
    TContentManager& operator=(const TContentManager&) = delete;

    // Registers a private copy of stream's whole content and points the control's
    // Movie at it. Returns the pseudo path.
    std::string PutMovieFromStream(TContentClient& control, TStream& stream);
    // Points the control's Movie at the caller's stream itself, from its current
    // position, without a copy; the manager owns the stream from now on.
    std::string PutMovieUsingStream(TContentClient& control, std::unique_ptr<TStream> stream);
    // The same, for a layer through LoadMovie.
    std::string LoadLayerFromStream(TContentClient& control, int32_t layer, TStream& stream);
    // Takes the caller's stream itself, from its current position.
    std::string LoadLayerUsingStream(TContentClient& control, int32_t layer, std::unique_ptr<TStream> stream);

    HRESULT CreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker);
    HANDLE CreateFile(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                      DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
    void ForgetControl(TContentClient& control);

    // The registered stream of url, handed out once; nullptr when there is none.
    Microsoft::WRL::ComPtr<IStream> TakeStream(const std::string& url);
    TContentClient* FindControl(int32_t id) const { return registry_.FindControl(id); }
    size_t RegisteredStreamCount() const { return registry_.StreamCount(); }
    int32_t NextId() const { return registry_.NextId(); }

    // The seam the import substitutes call.
    bool TryCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker, HRESULT* result) override;
    bool TryCreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                        DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile,
                        HANDLE* result) override;

private:
    enum class PointAt { Movie, Layer };
    std::string Register(TContentClient& control, std::unique_ptr<TStream> stream, PointAt how, int32_t layer);
    std::string BaseOf(TContentClient& control);

    ContentRegistry<Microsoft::WRL::ComPtr<IStream>, TContentClient*> registry_;
};

// The manager of the process: the one made by MakeContentManager (through the
// runtime unit) or, when none exists, a fallback made on first use.
TContentManager& ContentManager();

// Factory for FlashRuntimeUnit: the manager it returns is the process's manager for
// as long as it lives.
std::unique_ptr<ContentRedirector> MakeContentManager();

// Receives every diagnostic line as well (tests watch the lines through it).
void SetContentManagerDiagnosticObserver(std::function<void(const std::string&)> observer);

// Text conversions at the boundary with the runtime (the runtime's 8-bit texts are
// in the system code page).
using swfp::win::AnsiToWide;
using swfp::win::WideToAnsi;

}  // namespace flashrt
