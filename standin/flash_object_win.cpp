// The OLE control side of the stand-in object: identity, in-place activation,
// its window and painting.
#include "standin/flash_object_win.h"

#include <cstdio>
#include <new>

#include "standin/observation_log.h"
#include "standin/com_adopt_win.h"
#include "standin/input_log.h"
#include "standin/resource_ids.h"

using Microsoft::WRL::ComPtr;

namespace standin {
namespace {

constexpr char kStageClass[] = "FlashStandinStage";
constexpr UINT_PTR kFrameTimer = 1;

void LogSite(const char* method, HRESULT hr) {
  Log("site %s hr=0x%08lx", method, static_cast<unsigned long>(hr));
}

}  // namespace

FlashObject::FlashObject() {
  ModuleAddRef();
  eventPoint_ = standin::Adopt(new ConnectionPoint(this, DIID_ShockwaveFlashEvents, "Events"));
  notifyPoint_ = standin::Adopt(new ConnectionPoint(this, IID_IPropertyNotifySink, "PropertyNotifySink"));
}

FlashObject::~FlashObject() {
  CancelLoading();
  eventPoint_->Disconnect();
  notifyPoint_->Disconnect();
  if (window_) DestroyWindow(window_);
  if (notify_) DestroyWindow(notify_);
  if (contextMenu_) DestroyMenu(contextMenu_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  ModuleRelease();
}

HRESULT FlashObject::Create(REFIID riid, void** out) {
  FlashObject* object = new (std::nothrow) FlashObject();
  if (!object) return E_OUTOFMEMORY;
  HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  Log("call CreateInstance hr=0x%08lx", static_cast<unsigned long>(hr));
  return hr;
}

HRESULT STDMETHODCALLTYPE FlashObject::QueryInterface(REFIID riid, void** out) {
  IOleObject* self = this;
  return swfp::win::QueryInterfaceFromTable(
      riid, out,
      {{IID_IUnknown, self},
       {IID_IOleObject, self},
       {IID_IShockwaveFlash, static_cast<FlashInterface*>(this)},
       {IID_IDispatch, static_cast<FlashInterface*>(this)},
       {IID_IOleInPlaceObject, static_cast<IOleInPlaceObject*>(this)},
       {IID_IOleWindow, static_cast<IOleInPlaceObject*>(this)},
       {IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
       {IID_IOleControl, static_cast<IOleControl*>(this)},
       {IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this)},
       {IID_IPersist, static_cast<IPersistStreamInit*>(this)},
       {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)}});
}

// ---- IDispatch: members are reached through the vtable only ----------------------

HRESULT STDMETHODCALLTYPE FlashObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE FlashObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FlashObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  Log("call Invoke %ld", id);
  return DISP_E_MEMBERNOTFOUND;
}

// ---- IOleObject -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE FlashObject::SetClientSite(IOleClientSite* site) {
  Log("call SetClientSite %d", site ? 1 : 0);
  clientSite_ = site;
  controlSite_.Reset();
  if (clientSite_) {
    clientSite_.As(&controlSite_);
    // A control takes its user mode, font and colours from the site as soon as it has one.
    ReadAmbients(DISPID_UNKNOWN);
  }
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::GetClientSite(IOleClientSite** site) {
  Log("call GetClientSite");
  if (!site) return E_POINTER;
  *site = clientSite_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::Close(DWORD saveOption) {
  Log("call Close %lu", static_cast<unsigned long>(saveOption));
  ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
  CancelLoading();
  ReleaseNotifyWindow();
  InPlaceDeactivate();
  UnloadMovie();
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FlashObject::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE FlashObject::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FlashObject::GetClipboardData(DWORD, IDataObject** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FlashObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT pos) {
  if (pos)
    Log("call DoVerb %ld %ld %ld %ld %ld", verb, pos->left, pos->top, pos->right, pos->bottom);
  else
    Log("call DoVerb %ld", verb);
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(verb, site, pos);
    case OLEIVERB_HIDE:
      if (window_) ShowWindow(window_, SW_HIDE);
      return S_OK;
    default:
      return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
  }
}

// Activation in the order an in-place control makes its site calls:
// CanInPlaceActivate, OnInPlaceActivate, GetWindow, GetWindowContext, the
// window, OnUIActivate when UI-activating, and ShowObject last (the window
// exists by then, so the container can adopt it). The site's answers decide:
// its window is the parent, its rectangle the position, and a failing call
// ends the activation with that call's result.
HRESULT FlashObject::ActivateInPlace(LONG verb, IOleClientSite* site, LPCRECT pos) {
  ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
  if (site && !clientSite_) SetClientSite(site);
  if (!clientSite_) return E_UNEXPECTED;
  if (!inPlaceActive_) {
    ComPtr<IOleInPlaceSite> inPlace;
    if (FAILED(clientSite_.As(&inPlace))) return E_NOINTERFACE;
    HRESULT hr = inPlace->CanInPlaceActivate();
    LogSite("CanInPlaceActivate", hr);
    if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
    if (!FaultRequested("silent-activation")) {
      hr = inPlace->OnInPlaceActivate();
      LogSite("OnInPlaceActivate", hr);
      if (FAILED(hr)) return hr;
    }
    inPlaceSite_ = inPlace;
    inPlaceActive_ = true;
    HWND parent = nullptr;
    hr = inPlaceSite_->GetWindow(&parent);
    LogSite("GetWindow", hr);
    if (SUCCEEDED(hr) && !parent) hr = E_FAIL;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    frame_.Reset();
    document_.Reset();
    if (SUCCEEDED(hr)) {
      hr = inPlaceSite_->GetWindowContext(frame_.GetAddressOf(), document_.GetAddressOf(), &position, &clip, &info);
      LogSite("GetWindowContext", hr);
    }
    if (SUCCEEDED(hr) && !CreateStageWindow(parent, position)) hr = E_FAIL;
    if (FAILED(hr)) {
      Log("activation failed hr=0x%08lx", static_cast<unsigned long>(hr));
      InPlaceDeactivate();
      return hr;
    }
  } else if (pos) {
    SetObjectRects(pos, nullptr);
  }
  if (window_) ShowWindow(window_, SW_SHOW);
  if (verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_PRIMARY || verb == OLEIVERB_SHOW) {
    HRESULT hr = UIActivate();
    if (FAILED(hr)) return hr;
  }
  if (clientSite_) LogSite("ShowObject", clientSite_->ShowObject());
  if (firstFramePending_ && window_) {
    firstFramePending_ = false;
    EnterFrame();
  }
  UpdateTimer();
  return S_OK;
}

HRESULT FlashObject::UIActivate() {
  if (uiActive_ || !inPlaceSite_) return S_OK;
  HRESULT hr = inPlaceSite_->OnUIActivate();
  LogSite("OnUIActivate", hr);
  if (FAILED(hr)) return hr;
  uiActive_ = true;
  if (frame_) frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Flash");
  if (document_) document_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Flash");
  if (window_ && GetFocus() != window_) SetFocus(window_);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashObject::EnumVerbs(IEnumOLEVERB** out) {
  if (out) *out = nullptr;
  return OLEOBJ_E_NOVERBS;
}
HRESULT STDMETHODCALLTYPE FlashObject::Update() { return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::IsUpToDate() { return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_ShockwaveFlash;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::GetUserType(DWORD, LPOLESTR* out) {
  if (out) *out = nullptr;
  return OLE_S_USEREG;
}
HRESULT STDMETHODCALLTYPE FlashObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  Log("call SetExtent %lu %ld %ld", static_cast<unsigned long>(aspect), size->cx, size->cy);
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size->cx < 0 || size->cy < 0 || FaultRequested("refuse-extent")) return E_INVALIDARG;
  extent_ = *size;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::GetExtent(DWORD aspect, SIZEL* size) {
  Log("call GetExtent %lu", static_cast<unsigned long>(aspect));
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::Advise(IAdviseSink*, DWORD* cookie) {
  if (cookie) *cookie = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}
HRESULT STDMETHODCALLTYPE FlashObject::Unadvise(DWORD) { return OLE_E_NOCONNECTION; }
HRESULT STDMETHODCALLTYPE FlashObject::EnumAdvise(IEnumSTATDATA** out) {
  if (out) *out = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}
HRESULT STDMETHODCALLTYPE FlashObject::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
            OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- in-place object -------------------------------------------------------------

HRESULT STDMETHODCALLTYPE FlashObject::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = FaultRequested("hide-window") ? nullptr : window_;
  return *out ? S_OK : E_FAIL;
}
HRESULT STDMETHODCALLTYPE FlashObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE FlashObject::InPlaceDeactivate() {
  if (!inPlaceActive_) return S_OK;
  Log("call InPlaceDeactivate");
  ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
  UIDeactivate();
  inPlaceActive_ = false;
  if (window_) {
    HWND window = window_;
    window_ = nullptr;
    timer_ = 0;
    DestroyWindow(window);
  }
  if (inPlaceSite_) LogSite("OnInPlaceDeactivate", inPlaceSite_->OnInPlaceDeactivate());
  inPlaceSite_.Reset();
  frame_.Reset();
  document_.Reset();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashObject::UIDeactivate() {
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (document_) document_->SetActiveObject(nullptr, nullptr);
  if (inPlaceSite_) LogSite("OnUIDeactivate", inPlaceSite_->OnUIDeactivate(FALSE));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashObject::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (!pos) return E_POINTER;
  Log("call SetObjectRects %ld %ld %ld %ld", pos->left, pos->top, pos->right, pos->bottom);
  pos_ = *pos;
  if (window_)
    SetWindowPos(window_, nullptr, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::ReactivateAndUndo() { return E_NOTIMPL; }
// Tab belongs to the runtime (it moves the focus among a movie's buttons); other
// keys are offered to the control site, as a control does, and then go on to the window.
HRESULT STDMETHODCALLTYPE FlashObject::TranslateAccelerator(LPMSG message) {
  if (!message) return E_POINTER;
  Log("call TranslateAccelerator %u %lu %ld %ld", message->message, static_cast<unsigned long>(message->wParam),
      message->pt.x, message->pt.y);
  if (message->message == WM_KEYDOWN && message->wParam == VK_TAB) return S_OK;
  if (controlSite_ && message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST) {
    DWORD modifiers = (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                      (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    HRESULT hr = controlSite_->TranslateAccelerator(message, modifiers);
    LogSite("TranslateAccelerator", hr);
    if (hr == S_OK) return S_OK;
  }
  return S_FALSE;
}
HRESULT STDMETHODCALLTYPE FlashObject::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::EnableModeless(BOOL) { return S_OK; }

// ---- IOleControl, IPersistStreamInit, IConnectionPointContainer ------------------------

HRESULT STDMETHODCALLTYPE FlashObject::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  // One mnemonic, on a key no movie uses (Execute), so a container's mnemonic path can be seen.
  if (!accelerators_) {
    ACCEL execute{FVIRTKEY, VK_EXECUTE, 1};
    accelerators_ = CreateAcceleratorTableA(&execute, 1);
  }
  info->hAccel = accelerators_;
  info->cAccel = accelerators_ ? 1 : 0;
  info->dwFlags = 0;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::OnMnemonic(MSG* message) {
  if (!message) return E_POINTER;
  Log("call OnMnemonic %u %lu", message->message, static_cast<unsigned long>(message->wParam));
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::OnAmbientPropertyChange(DISPID id) {
  Log("call OnAmbientPropertyChange %ld", id);
  ReadAmbients(id);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::FreezeEvents(BOOL freeze) {
  Log("call FreezeEvents %d", freeze ? 1 : 0);
  if (freeze) ++freezeCount_;
  else if (freezeCount_ > 0) --freezeCount_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashObject::GetClassID(CLSID* clsid) { return GetUserClassID(clsid); }
HRESULT STDMETHODCALLTYPE FlashObject::IsDirty() { return S_FALSE; }
HRESULT STDMETHODCALLTYPE FlashObject::Load(LPSTREAM) { return S_OK; }  // no persisted properties
HRESULT STDMETHODCALLTYPE FlashObject::Save(LPSTREAM, BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::InitNew() { return S_OK; }

HRESULT STDMETHODCALLTYPE FlashObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE FlashObject::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == DIID_ShockwaveFlashEvents) *out = eventPoint_.Get();
  else if (riid == IID_IPropertyNotifySink) *out = notifyPoint_.Get();
  else return CONNECT_E_NOCONNECTION;
  (*out)->AddRef();
  return S_OK;
}

// A misbehaving object on request, for the container's failure paths: the
// environment variable FLASH_STANDIN_FAULT names the fault.
//   silent-activation   in-place activation never tells the site (no OnInPlaceActivate)
//   hide-window         IOleInPlaceObject::GetWindow gives no window
//   refuse-loop         reading and setting Loop fail
//   refuse-extent       SetExtent fails for every size
bool FlashObject::FaultRequested(const char* fault) {
  char value[64];
  const DWORD n = GetEnvironmentVariableA("FLASH_STANDIN_FAULT", value, sizeof value);
  return n > 0 && n < sizeof value && lstrcmpiA(value, fault) == 0;
}

// ---- window --------------------------------------------------------------------

// One class serves the stage and the message-only window: a module mapped from
// memory gets every class it registers under one name, so a second class would
// replace the first.
bool FlashObject::RegisterStageClass() {
  HINSTANCE instance = ModuleInstance();
  if (!cursor_) {
    cursor_ = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_STANDIN_STAGE));
    Log("import LoadCursorA %d ok=%d", IDC_STANDIN_STAGE, cursor_ ? 1 : 0);
  }
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = StageProc;
  wc.hInstance = instance;
  wc.hCursor = cursor_;
  wc.lpszClassName = kStageClass;
  // Registered again for every window: a second object finds the class present, which is fine.
  ATOM atom = RegisterClassExA(&wc);
  Log("import RegisterClassExA %s atom=%u", kStageClass, atom);
  return true;
}

bool FlashObject::CreateNotifyWindow() {
  RegisterStageClass();
  creatingNotify_ = true;
  HWND window = CreateWindowExA(0, kStageClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleInstance(), this);
  creatingNotify_ = false;
  if (!window) Log("import CreateWindowExA %s hwnd=0", kStageClass);
  return window != nullptr;
}

bool FlashObject::CreateStageWindow(HWND parent, const RECT& pos) {
  HINSTANCE instance = ModuleInstance();
  if (!contextMenu_) {
    contextMenu_ = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_STANDIN_CONTEXT));
    Log("import LoadMenuA %d ok=%d", IDM_STANDIN_CONTEXT, contextMenu_ ? 1 : 0);
  }
  RegisterStageClass();
  pos_ = pos;
  HWND window = CreateWindowExA(0, kStageClass, "", WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE, pos.left, pos.top,
                                pos.right - pos.left, pos.bottom - pos.top, parent, nullptr, instance, this);
  Log("import CreateWindowExA %s hwnd=%d", kStageClass, window ? 1 : 0);
  return window != nullptr;
}

LRESULT CALLBACK FlashObject::StageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    auto* self = static_cast<FlashObject*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    (self->creatingNotify_ ? self->notify_ : self->window_) = window;
  }
  auto* self = reinterpret_cast<FlashObject*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && self->notify_ == window) {
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      self->notify_ = nullptr;
    } else if (message >= WM_APP) {
      self->OnLoadMessage(message, wparam, lparam);
      return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }
  if (!self || self->window_ != window) return DefWindowProcA(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self->timer_ = 0;
    return DefWindowProcA(window, message, wparam, lparam);
  }
  return self->OnMessage(message, wparam, lparam);
}

void FlashObject::UpdateTimer() {
  bool wanted = window_ && movie_ && playback_.playing();
  if (wanted) {
    double rate = movie_->frameRate > 0.5 ? movie_->frameRate : 12.0;
    UINT interval = static_cast<UINT>(1000.0 / (rate > 120 ? 120 : rate));
    timer_ = SetTimer(window_, kFrameTimer, interval, nullptr);
  } else if (timer_) {
    if (window_) KillTimer(window_, kFrameTimer);
    timer_ = 0;
  }
}

// The container messages whose arrival the log records, so tests see what reached the runtime.
LRESULT FlashObject::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  ObserveInput(message, wparam, lparam);
  switch (message) {
    case WM_TIMER:
      if (wparam == kFrameTimer) {
        ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
        AfterMove(playback_.tick());
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window_, &ps);
      RECT client;
      GetClientRect(window_, &client);
      Paint(dc, client);
      EndPaint(window_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(window_, &client);
      Paint(reinterpret_cast<HDC>(wparam), client);
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && cursor_) {
        SetCursor(cursor_);
        return TRUE;
      }
      break;
    case WM_RBUTTONDOWN:
      // The runtime's menu opens on the press, not on the release.
      OpenContextMenu(POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))});
      return 0;
    case WM_CONTEXTMENU:
      return 0;  // the press has already decided about the menu
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TellSiteAboutFocus(message == WM_SETFOCUS);
      break;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;  // movies steer with the arrow keys
    case WM_KEYDOWN:
      Log("key down %lu", static_cast<unsigned long>(wparam));
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wparam, lparam);
}

void FlashObject::OnCommand(WORD id) {
  ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
  switch (id) {
    case IDM_STANDIN_PRINT:
      // Accepted; the stand-in has no printer output of its own.
      Log("command %u print", id);
      break;
    case IDM_STANDIN_SHOW_ALL:
      Log("command %u showall", id);
      view_.showAll();
      break;
    case IDM_STANDIN_ZOOM_IN: Log("command %u zoomin", id); view_.zoom(50); break;
    case IDM_STANDIN_ZOOM_OUT: Log("command %u zoomout", id); view_.zoom(200); break;
    case IDM_STANDIN_PLAY:
      Log("command %u play", id);
      if (playback_.playing()) playback_.stop(); else playback_.play();
      AfterMove(false);
      break;
    case IDM_STANDIN_LOOP: Log("command %u loop", id); playback_.setLoop(!playback_.loop()); break;
    case IDM_STANDIN_REWIND: Log("command %u rewind", id); AfterMove(playback_.rewind()); break;
    case IDM_STANDIN_FORWARD: Log("command %u forward", id); AfterMove(playback_.forward()); break;
    case IDM_STANDIN_BACK: Log("command %u back", id); AfterMove(playback_.back()); break;
    default: return;
  }
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

// ---- painting ------------------------------------------------------------------

namespace {

COLORREF FromRgb(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// Maps twips of the view onto the client rectangle.
struct Mapping {
  TwipsRect view;
  RECT client;
  int x(int64_t tw) const {
    int64_t w = view.right - view.left;
    return static_cast<int>(client.left + (w > 0 ? (tw - view.left) * (client.right - client.left) / w : 0));
  }
  int y(int64_t tw) const {
    int64_t h = view.bottom - view.top;
    return static_cast<int>(client.top + (h > 0 ? (tw - view.top) * (client.bottom - client.top) / h : 0));
  }
};

void FillRectColour(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void FrameRectColour(HDC dc, const RECT& r, COLORREF colour, int width) {
  HPEN pen = CreatePen(PS_SOLID, width, colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

}  // namespace

void FlashObject::Paint(HDC target, const RECT& client) {
  int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  // Drawn off screen and copied once, so frames do not flicker.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  RECT area{0, 0, width, height};

  uint32_t background = movie_ ? movie_->backgroundRgb : 0xFFFFFF;
  if (backgroundColor_ >= 0) background = static_cast<uint32_t>(backgroundColor_) & 0xFFFFFF;
  FillRectColour(dc, area, FromRgb(background));

  if (movie_) {
    Mapping map{view_.view(), area};
    for (const Placement& p : movie_->frames[playback_.current()].displayList) {
      auto shape = movie_->shapes.find(p.characterId);
      if (shape == movie_->shapes.end()) continue;
      const TwipsRect& b = shape->second.bounds;
      RECT r{map.x(int64_t{b.left} + p.translateX), map.y(int64_t{b.top} + p.translateY),
             map.x(int64_t{b.right} + p.translateX), map.y(int64_t{b.bottom} + p.translateY)};
      FillRectColour(dc, r, FromRgb(shape->second.rgb));
    }

    // The frame number, large, counted from 1 as people count frames.
    char text[32];
    snprintf(text, sizeof text, "%d", playback_.current() + 1);
    HFONT font = CreateFontA(height / 3 > 8 ? height / 3 : 8, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, FromRgb(~background & 0xFFFFFF));
    DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    DeleteObject(font);

    // View marker: the whole stage in miniature (top left), the shown part in red.
    const TwipsRect& stage = view_.stage();
    int64_t sw = int64_t{stage.right} - stage.left, sh = int64_t{stage.bottom} - stage.top;
    if (sw > 0 && sh > 0) {
      int mw = width / 4 > 16 ? width / 4 : 16;
      int mh = static_cast<int>(mw * sh / sw);
      RECT mini{4, 4, 4 + mw, 4 + mh};
      FrameRectColour(dc, mini, RGB(0, 0, 0), 1);
      const TwipsRect& v = view_.view();
      RECT marker{static_cast<int>(4 + (v.left - stage.left) * mw / sw), static_cast<int>(4 + (v.top - stage.top) * mh / sh),
                  static_cast<int>(4 + (v.right - stage.left) * mw / sw), static_cast<int>(4 + (v.bottom - stage.top) * mh / sh)};
      FrameRectColour(dc, marker, RGB(255, 0, 0), 2);
    }
    if (!view_.showsAll()) FrameRectColour(dc, area, RGB(255, 0, 0), 4);  // zoomed: red border
  }

  BitBlt(target, client.left, client.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace standin
