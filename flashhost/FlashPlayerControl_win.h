#pragma once
// TFlashPlayerControl: a windowed control that embeds one Flash ActiveX object in
// place and is its whole OLE container. After activation the object's own window
// becomes the control's window (adopted by subclassing), so every message of that
// window passes through the control first. The object comes from the active module
// provider, never from the system class registry. Without any runtime module the
// control is a plain window painted with the window colour.
//
// Operations and properties mirror the object's scripting interface: methods raise
// EOleError on failure; properties keep a copy of the last value, forward only to
// object versions that have the member, and never raise.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "flashhost/flash_interfaces_win.h"
#include "flashhost/flash_member_table.h"
#include "flashhost/movie_info.h"
#include "flashrt/content_manager_win.h"
#include "flashrt/stream_adapter.h"
#include "toolkit/control_win.h"
#include "winbase/com_object_win.h"

namespace flashhost {

// A failed COM call: the message is the system's text for the code (or the
// control's own text for activation failures).
class EOleError : public std::runtime_error {
public:
    EOleError(HRESULT code, const std::string& message) : std::runtime_error(message), code_(code) {}
    explicit EOleError(HRESULT code);
    HRESULT Code() const { return code_; }

private:
    HRESULT code_;
};

// Raises EOleError for a failing code.
void OleCheck(HRESULT hr);

class TFlashPlayerControl;

// The extension that decides how a name assigned to Movie is read: from the last '.'
// after the last backslash or colon, lower-cased; empty when there is none.
std::wstring MovieNameExtension(const std::wstring& name);

using TFlashPlayerControlOnReadyStateChange = std::function<void(TFlashPlayerControl& sender, long newState)>;
using TFlashPlayerControlOnProgress = std::function<void(TFlashPlayerControl& sender, long percentDone)>;
using TFlashPlayerControlFSCommand =
    std::function<void(TFlashPlayerControl& sender, const std::wstring& command, const std::wstring& args)>;
// Fill stream with the resource at url (relative to the movie); leave it empty to decline.
using TFlashPlayerControlOnLoadExternalResource =
    std::function<void(TFlashPlayerControl& sender, const std::string& url, flashrt::TStream& stream)>;
using TKeyEvent = std::function<void(TFlashPlayerControl& sender, WORD& key, swfp::tk::ShiftState shift)>;
using TKeyPressEvent = std::function<void(TFlashPlayerControl& sender, wchar_t& key)>;

// The event sink handed to the object's event connection point. Its reference
// count is the control's.
class TFlashPlayerControlEventDispatch final : public IDispatch {
public:
    explicit TFlashPlayerControlEventDispatch(TFlashPlayerControl& control) : control_(control) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;

private:
    TFlashPlayerControl& control_;
};

// The static description of the class's events: the event interface and the
// dispatch ids whose handlers lie one after the other in the control.
struct TControlDescription {
    IID EventIID;
    std::array<DISPID, 3> EventDispIDs;
    int Version;
};
extern const TControlDescription kFlashControlDescription;

class TFlashPlayerControl : public swfp::tk::TWinControl,
                            public IOleClientSite,
                            public IOleInPlaceSite,
                            public IOleControlSite,
                            public IDispatch,
                            public IPropertyNotifySink,
                            public ISimpleFrameSite,
                            public flashrt::TContentClient {
public:
    explicit TFlashPlayerControl(swfp::tk::TComponent* owner);
    ~TFlashPlayerControl() override;

    // ---- IUnknown, shared by every site interface; never frees the control ----
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    LONG RefCount() const { return refCount_.Value(); }

    // ---- IOleClientSite ----
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

    // ---- IOleWindow / IOleInPlaceSite ----
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT pos) override;

    // ---- IOleControlSite ----
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override;
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL lock) override;
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** disp) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg, DWORD modifiers) override;
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL gotFocus) override;
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override;

    // ---- IDispatch: the ambient properties ----
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;

    // ---- IPropertyNotifySink ----
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) override;

    // ---- ISimpleFrameSite ----
    HRESULT STDMETHODCALLTYPE PreMessageFilter(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result,
                                               DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE PostMessageFilter(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result,
                                                DWORD cookie) override;

    // ---- hosting ----
    IOleObject* OleObject() const { return oleObject_.Get(); }
    bool HasOleObject() const { return oleObject_ != nullptr; }
    bool InPlaceActive() const { return inPlaceObject_ != nullptr; }
    // The sink connected to the object's events (not counted: it lives with the control).
    IDispatch* EventSink() const { return eventSink_.get(); }
    void SetParent(swfp::tk::TWinControl* parent) override;
    void WndProc(swfp::tk::Message& m) override;
    void DefaultHandler(swfp::tk::Message& m) override;
    // A navigation key left to the form: the object's mnemonics take it first.
    bool DialogKey(UINT key, LPARAM keyData) override;
    // The parent's font or colour, followed: the object hears of its ambient change.
    void ParentFontChanged() override;
    void ParentColorChanged() override;
    // In the foreground the object's window is asked to realise its palette.
    bool PaletteChanged(bool foreground) override;
    // Connects the site, the property sink and the event sink (at window creation).
    void CreateControl();
    void DestroyControl();
    // Marks this control as (not) the UI-active OLE control of its form.
    void SetUIActive(bool active);
    void UIActivateRequest();
    void UIDeactivateRequest();
    static TFlashPlayerControl* ActiveOleControlOf(swfp::tk::TWinControl* form);

    // ---- events of the object ----
    virtual void StandardEvent(DISPID id, DISPPARAMS& params);
    virtual void InvokeEvent(DISPID id, DISPPARAMS& params);
    virtual void InitControlInterface(IOleObject* object) { (void)object; }
    TFlashPlayerControlOnReadyStateChange OnReadyStateChange;
    TFlashPlayerControlOnProgress OnProgress;
    TFlashPlayerControlFSCommand OnFSCommand;
    TFlashPlayerControlOnLoadExternalResource OnLoadExternalResource;
    swfp::tk::NotifyEvent OnLastFrame;  // stored for the form; the object has no such event
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    virtual void KeyDown(WORD& key, swfp::tk::ShiftState shift);
    virtual void KeyUp(WORD& key, swfp::tk::ShiftState shift);
    virtual void KeyPress(wchar_t& key);

    // ---- movie loading ----
    // Reads the movie information, then serves the stream to the object from memory.
    virtual void LoadMovieFromStream(flashrt::TStream& stream);
    virtual void LoadLayerFromStream(int layer, flashrt::TStream& stream);
    // Takes the caller's stream (from its current position) and owns it from now on.
    virtual void LoadLayerFromStreamNoCopy(int layer, std::unique_ptr<flashrt::TStream> stream);
    // As LoadMovieFromStream, but the content manager serves the caller's stream
    // itself, from its start, and owns it from now on: a movie read in place (the
    // packaged movie in the player's own file) is never held in memory. Only the
    // header is read for the movie information (all of it when EnableSWFInfo asks
    // for the census).
    virtual void LoadMovieFromStreamNoCopy(std::unique_ptr<flashrt::TStream> stream);

    // ---- methods (raise EOleError) ----
    void SetZoomRect(long left, long top, long right, long bottom);
    void Zoom(long factor);
    void Pan(long x, long y, long mode);
    void Play();
    void Stop();
    void Back();
    void Forward();
    void Rewind();
    void StopPlay();
    void GotoFrame(long frameNum);
    long CurrentFrame();
    bool IsPlaying();
    long PercentLoaded();
    bool FrameLoaded(long frameNum);
    long FlashVersion();
    void LoadMovie(long layer, const std::wstring& url);
    void TGotoFrame(const std::wstring& target, long frameNum);
    void TGotoLabel(const std::wstring& target, const std::wstring& label);
    long TCurrentFrame(const std::wstring& target);
    std::wstring TCurrentLabel(const std::wstring& target);
    void TPlay(const std::wstring& target);
    void TStopPlay(const std::wstring& target);
    void SetVariable(const std::wstring& name, const std::wstring& value);
    std::wstring GetVariable(const std::wstring& name);
    void TSetProperty(const std::wstring& target, long property, const std::wstring& value);
    std::wstring TGetProperty(const std::wstring& target, long property);
    void TCallFrame(const std::wstring& target, long frameNum);
    void TCallLabel(const std::wstring& target, const std::wstring& label);
    void TSetPropertyNum(const std::wstring& target, long property, double value);
    double TGetPropertyNum(const std::wstring& target, long property);
    double TGetPropertyAsNumber(const std::wstring& target, long property);  // 0 unless a version 7 object
    long ReadyState();   // 0 unless forwarded
    long TotalFrames();  // 0 unless forwarded
    // -1 without an object; otherwise the object's major version, capped at 8.
    int GetFlashMajorVersion();

    // ---- properties (never raise) ----
    std::wstring Movie();
    void SetMovie(const std::wstring& value);  // then reads the movie information (see the .cpp)
    long FrameNum();
    void SetFrameNum(long value);
    bool Playing();
    void SetPlaying(bool value);
    long Quality();
    void SetQuality(long value);
    long ScaleMode();
    void SetScaleMode(long value);
    long AlignMode();
    void SetAlignMode(long value);
    long BackgroundColor();
    void SetBackgroundColor(long value);
    bool Loop();
    void SetLoop(bool value);
    std::wstring WMode();
    void SetWMode(const std::wstring& value);
    std::wstring SAlign();
    void SetSAlign(const std::wstring& value);
    bool Menu();
    void SetMenu(bool value);
    std::wstring Base();
    void SetBase(const std::wstring& value);
    std::wstring Scale();
    void SetScale(const std::wstring& value);
    bool DeviceFont();
    void SetDeviceFont(bool value);
    bool EmbedMovie();
    void SetEmbedMovie(bool value);
    std::wstring BGColor();
    void SetBGColor(const std::wstring& value);
    std::wstring Quality2();
    void SetQuality2(const std::wstring& value);
    std::wstring SWRemote();
    void SetSWRemote(const std::wstring& value);
    std::wstring Stacking();
    void SetStacking(const std::wstring& value);
    std::wstring FlashVars();
    void SetFlashVars(const std::wstring& value);
    std::wstring AllowScriptAccess();
    void SetAllowScriptAccess(const std::wstring& value);
    std::wstring MovieData();
    void SetMovieData(const std::wstring& value);

    bool StandartMenu = false;  // the object's own context menu may appear
    bool IgnoreMouse = false;   // left presses raise OnMouseDown but never reach the movie

    // ---- movie information of the last movie read ----
    bool Compressed() const { return info_.Compressed; }
    uint32_t MovieSize() const { return info_.MovieSize; }
    int MovieWidth() const { return info_.MovieWidth(); }
    int MovieHeight() const { return info_.MovieHeight(); }
    uint8_t MovieFlashVersion() const { return info_.Version; }
    float MovieFPS() const { return info_.FrameRate; }
    void SetMovieFPS(float fps) { info_.FrameRate = fps; }
    const SwfHeaderInfo& MovieInfo() const { return info_; }
    bool EnableSWFInfo = false;  // also count the movie's objects
    const SwfCensusCounters& Counters() const { return counters_; }

    // ---- flashrt::TContentClient ----
    std::wstring ContentBase() override { return Base(); }
    bool LoadExternalResource(const std::string& relativePath, flashrt::TMemoryStream& stream) override;
    void SetMovieURL(const std::wstring& url) override { SetMovie(url); }
    void LoadMovieURL(int32_t layer, const std::wstring& url) override { LoadMovie(layer, url); }

protected:
    // Every size change, whether asked for (SetBounds) or made by the parent's
    // alignment, offers the object its new extent first; a size it refuses is not taken.
    void UpdateBounds(const swfp::tk::Bounds& b) override;
    void CreateWnd() override;
    void DestroyWindowHandle() override;
    bool Dispatch(swfp::tk::Message& m) override;
    void PaintWindow(HDC dc) override;
    // Opens the popup menu at a screen point (a seam for tests).
    virtual void PopupAt(POINT screen);
    // Runs the mouse steps of a mouse message; see mouse_synthesis.h.
    void HandleMouse(swfp::tk::Message& m);
    void HookControlWndProc();
    RECT BoundsRectangle() const;
    HWND ParentHandle();
    // Reads a movie block (trailer rule) and publishes its information.
    void ReadMovieInformation(std::span<const uint8_t> streamOrFile);
    void ReadMovieInformation(flashrt::TStream& stream);
    void ContinueMovieSetter(const std::wstring& name);

private:
    class InPlaceFrame;
    friend class TFlashPlayerControlEventDispatch;
    friend class InPlaceFrame;

    Microsoft::WRL::ComPtr<IShockwaveFlash> Flash();
    HRESULT DoVerbInPlace(LONG verb);
    void SetClientSiteIfNone();
    void Advise(REFIID iid, IUnknown* sink, DWORD& cookie);
    void Unadvise(REFIID iid, DWORD& cookie);
    void NotifyAmbientChange(DISPID id);

    template <class T> T GetProperty(FlashMember member, const T& copy);
    template <class T> void SetProperty(FlashMember member, T& copy, const T& value);

    const TControlDescription* controlDescription_ = nullptr;
    swfp::win::RefCount refCount_{0};
    std::unique_ptr<TFlashPlayerControlEventDispatch> eventSink_;
    std::unique_ptr<InPlaceFrame> frame_;
    Microsoft::WRL::ComPtr<IOleObject> oleObject_;
    Microsoft::WRL::ComPtr<IPersistStreamInit> persistStream_;
    Microsoft::WRL::ComPtr<IOleControl> oleControl_;
    Microsoft::WRL::ComPtr<IDispatch> controlDispatch_;
    Microsoft::WRL::ComPtr<IPerPropertyBrowsing> propertyBrowsing_;
    Microsoft::WRL::ComPtr<IOleInPlaceObject> inPlaceObject_;
    Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> inPlaceActiveObject_;
    DWORD propertyNotifyCookie_ = 0;
    DWORD eventCookie_ = 0;
    DWORD miscStatus_ = 0;

    // copies of the properties
    long readyState_ = 0, totalFrames_ = 0;
    std::wstring movie_;
    long frameNum_ = 0;
    bool playing_ = false;
    long quality_ = 0, scaleMode_ = 0, alignMode_ = 0, backgroundColor_ = 0;
    bool loop_ = false;
    std::wstring wMode_, sAlign_;
    bool menu_ = false;
    std::wstring base_, scale_;
    bool deviceFont_ = false, embedMovie_ = false;
    std::wstring bgColor_, quality2_, swRemote_, stacking_, flashVars_, allowScriptAccess_, movieData_;

    SwfHeaderInfo info_;
    SwfCensusCounters counters_{};
};

}  // namespace flashhost
