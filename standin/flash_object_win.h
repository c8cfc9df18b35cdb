// The stand-in Flash object: an OLE control with its own window, the Flash
// scripting interface in the layout of the version this build reports, and
// connection points for the Flash events and property notifications.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "flashhost/flash_interfaces_win.h"
#include "standin/audio_win.h"
#include "standin/connection_point_win.h"
#include "standin/fetch_job_win.h"
#include "standin/input_log.h"
#include "standin/module_win.h"
#include "standin/playback.h"
#include "standin/swf_movie.h"
#include "standin/view_rect.h"
#include "winbase/com_object_win.h"

namespace standin {

// The scripting layout follows the major version of the build.
#if STANDIN_VERSION_MAJOR >= 7
using FlashInterface = IShockwaveFlashV7;
#elif STANDIN_VERSION_MAJOR == 5
using FlashInterface = IShockwaveFlashV5;
#elif STANDIN_VERSION_MAJOR == 4
using FlashInterface = IShockwaveFlashV4;
#else
using FlashInterface = IShockwaveFlash;
#endif

class FlashObject final : public swfp::win::ComObject<FlashInterface, IOleObject, IOleInPlaceObject,
                                                       IOleInPlaceActiveObject, IOleControl, IPersistStreamInit,
                                                       IConnectionPointContainer> {
 public:
  static HRESULT Create(REFIID riid, void** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;

  // IDispatch (the scripting interface is called through its vtable)
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

  // Scripting interface, positions 7 to 72
  HRESULT STDMETHODCALLTYPE get_ReadyState(long* state) override;
  HRESULT STDMETHODCALLTYPE get_TotalFrames(long* frames) override;
  HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* playing) override;
  HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL playing) override;
  HRESULT STDMETHODCALLTYPE get_Quality(long* quality) override;
  HRESULT STDMETHODCALLTYPE put_Quality(long quality) override;
  HRESULT STDMETHODCALLTYPE get_ScaleMode(long* mode) override;
  HRESULT STDMETHODCALLTYPE put_ScaleMode(long mode) override;
  HRESULT STDMETHODCALLTYPE get_AlignMode(long* mode) override;
  HRESULT STDMETHODCALLTYPE put_AlignMode(long mode) override;
  HRESULT STDMETHODCALLTYPE get_BackgroundColor(long* colour) override;
  HRESULT STDMETHODCALLTYPE put_BackgroundColor(long colour) override;
  HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* loop) override;
  HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL loop) override;
  HRESULT STDMETHODCALLTYPE get_Movie(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE put_Movie(BSTR url) override;
  HRESULT STDMETHODCALLTYPE get_FrameNum(long* frame) override;
  HRESULT STDMETHODCALLTYPE put_FrameNum(long frame) override;
  HRESULT STDMETHODCALLTYPE SetZoomRect(long left, long top, long right, long bottom) override;
  HRESULT STDMETHODCALLTYPE Zoom(long factor) override;
  HRESULT STDMETHODCALLTYPE Pan(long x, long y, long mode) override;
  HRESULT STDMETHODCALLTYPE Play() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Back() override;
  HRESULT STDMETHODCALLTYPE Forward() override;
  HRESULT STDMETHODCALLTYPE Rewind() override;
  HRESULT STDMETHODCALLTYPE StopPlay() override;
  HRESULT STDMETHODCALLTYPE GotoFrame(long frame) override;
  HRESULT STDMETHODCALLTYPE CurrentFrame(long* frame) override;
  HRESULT STDMETHODCALLTYPE IsPlaying(VARIANT_BOOL* playing) override;
  HRESULT STDMETHODCALLTYPE PercentLoaded(long* percent) override;
  HRESULT STDMETHODCALLTYPE FrameLoaded(long frame, VARIANT_BOOL* loaded) override;
  HRESULT STDMETHODCALLTYPE FlashVersion(long* version) override;
  HRESULT STDMETHODCALLTYPE get_WMode(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_WMode(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_SAlign(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_SAlign(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_Menu(VARIANT_BOOL* v) override;
  HRESULT STDMETHODCALLTYPE put_Menu(VARIANT_BOOL v) override;
  HRESULT STDMETHODCALLTYPE get_Base(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_Base(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_Scale(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_Scale(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_DeviceFont(VARIANT_BOOL* v) override;
  HRESULT STDMETHODCALLTYPE put_DeviceFont(VARIANT_BOOL v) override;
  HRESULT STDMETHODCALLTYPE get_EmbedMovie(VARIANT_BOOL* v) override;
  HRESULT STDMETHODCALLTYPE put_EmbedMovie(VARIANT_BOOL v) override;
  HRESULT STDMETHODCALLTYPE get_BGColor(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_BGColor(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_Quality2(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_Quality2(BSTR v) override;
  HRESULT STDMETHODCALLTYPE LoadMovie(long layer, BSTR url) override;
  HRESULT STDMETHODCALLTYPE TGotoFrame(BSTR target, long frame) override;
  HRESULT STDMETHODCALLTYPE TGotoLabel(BSTR target, BSTR label) override;
  HRESULT STDMETHODCALLTYPE TCurrentFrame(BSTR target, long* frame) override;
  HRESULT STDMETHODCALLTYPE TCurrentLabel(BSTR target, BSTR* label) override;
  HRESULT STDMETHODCALLTYPE TPlay(BSTR target) override;
  HRESULT STDMETHODCALLTYPE TStopPlay(BSTR target) override;
  HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) override;
  HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE TSetProperty(BSTR target, long property, BSTR value) override;
  HRESULT STDMETHODCALLTYPE TGetProperty(BSTR target, long property, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE TCallFrame(BSTR target, long frame) override;
  HRESULT STDMETHODCALLTYPE TCallLabel(BSTR target, BSTR label) override;
  HRESULT STDMETHODCALLTYPE TSetPropertyNum(BSTR target, long property, double value) override;
  HRESULT STDMETHODCALLTYPE TGetPropertyNum(BSTR target, long property, double* value) override;
  // Version tails: virtual only where this build's layout has them.
  HRESULT STDMETHODCALLTYPE TGetPropertyAsNumber(BSTR target, long property, double* value);
  HRESULT STDMETHODCALLTYPE get_SWRemote(BSTR* v);
  HRESULT STDMETHODCALLTYPE put_SWRemote(BSTR v);
  HRESULT STDMETHODCALLTYPE get_Stacking(BSTR* v);
  HRESULT STDMETHODCALLTYPE put_Stacking(BSTR v);
  HRESULT STDMETHODCALLTYPE get_FlashVars(BSTR* v);
  HRESULT STDMETHODCALLTYPE put_FlashVars(BSTR v);
  HRESULT STDMETHODCALLTYPE get_AllowScriptAccess(BSTR* v);
  HRESULT STDMETHODCALLTYPE put_AllowScriptAccess(BSTR v);
  HRESULT STDMETHODCALLTYPE get_MovieData(BSTR* v);
  HRESULT STDMETHODCALLTYPE put_MovieData(BSTR v);

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** out) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT pos) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR* out) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override;

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override;

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  // IPersistStreamInit
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

 private:
  FlashObject();
  ~FlashObject() override;

  // Movie loading: put_Movie and LoadMovie only record the location and post a
  // message to the object's own window; the fetch runs from that message (or on
  // a worker thread of the object's), and the events follow while the host's loop runs.
  void RequestLoad(const std::wstring& location);
  void OnLoadMessage(UINT message, WPARAM generation, LPARAM value);
  void StartFetch(long generation);
  void Deliver(LoadResult result);
  void CompleteLoad();
  void CancelLoading();
  bool PostToSelf(UINT message, WPARAM wparam, LPARAM lparam);

  // Movie and playback
  void UnloadMovie();
  void EnterFrame();
  void AfterMove(bool changed);
  void SetReadyState(long state);
  void FireProgress(long percent);
  void FireFsCommand(const std::string& command, const std::string& args);
  void UpdateTimer();
  void UpdateAudio();
  HRESULT PropertyNumber(BSTR target, long property, double* value);

  // Site
  HRESULT ActivateInPlace(LONG verb, IOleClientSite* site, LPCRECT pos);
  HRESULT UIActivate();
  void ReadAmbients(DISPID which);
  void TellSiteAboutFocus(bool focused);
  void FireStockEvent(const StockEvent& event);
  static bool FaultRequested(const char* fault);
  static bool StockEventsWanted();

  // Window
  bool RegisterStageClass();
  bool CreateNotifyWindow();
  void ReleaseNotifyWindow();
  bool CreateStageWindow(HWND parent, const RECT& pos);
  static LRESULT CALLBACK StageProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(UINT, WPARAM, LPARAM);
  void ObserveInput(UINT, WPARAM, LPARAM);
  void OpenContextMenu(POINT client);
  void AskForLayout();
  void OnCommand(WORD id);
  void Paint(HDC dc, const RECT& client);

  Microsoft::WRL::ComPtr<IOleClientSite> clientSite_;
  Microsoft::WRL::ComPtr<IOleInPlaceSite> inPlaceSite_;
  Microsoft::WRL::ComPtr<IOleControlSite> controlSite_;
  Microsoft::WRL::ComPtr<IOleInPlaceFrame> frame_;
  Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> document_;
  Microsoft::WRL::ComPtr<ConnectionPoint> eventPoint_;
  Microsoft::WRL::ComPtr<ConnectionPoint> notifyPoint_;
  bool inPlaceActive_ = false;
  bool uiActive_ = false;
  HWND window_ = nullptr;
  HWND notify_ = nullptr;  // message-only window: posted loading steps arrive here
  bool creatingNotify_ = false;
  HMENU contextMenu_ = nullptr;
  HCURSOR cursor_ = nullptr;
  HACCEL accelerators_ = nullptr;  // the mnemonics GetControlInfo reports
  RECT pos_{};
  SIZEL extent_{14552, 10583};  // 550 x 400 pixels at 96 dpi, in HIMETRIC
  long freezeCount_ = 0;

  std::optional<SwfMovie> movie_;
  Playback playback_;
  ViewRect view_;
  long readyState_ = 4;  // no movie: nothing left to load
  long loadGeneration_ = 0;  // a newer request makes the steps of older ones stale
  std::wstring pendingLocation_;
  std::unique_ptr<FetchJob> job_;  // the worker thread's fetch, when that configuration is on
  bool userMode_ = true;
  bool playOnLoad_ = true;  // what Play and Stop said while the movie was still on its way
  long percentLoaded_ = 0;
  long quality_ = 1, scaleMode_ = 0, alignMode_ = 0, backgroundColor_ = -1;
  bool menu_ = true, deviceFont_ = false, embedMovie_ = false;
  std::wstring movieUrl_, wmode_ = L"Window", salign_, base_, scale_ = L"ShowAll", bgcolor_, quality2_ = L"High",
      swremote_, stacking_, flashVars_, allowScriptAccess_, movieData_;
  std::map<std::wstring, std::wstring> variables_;
  UINT_PTR timer_ = 0;
  bool firstFramePending_ = false;  // loaded before activation: frame 0 not shown yet
  AudioThread audio_;
};

}  // namespace standin
