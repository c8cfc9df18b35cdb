// What the stand-in object asks of its site and tells it, as a real control
// does: the ambient properties it reads, focus changes, the window messages it
// receives from the container (logged, so tests see what reached the runtime)
// and the stock events real input raises.
#include <olectl.h>

#include "standin/flash_object_win.h"
#include "standin/input_log.h"
#include "standin/movie_fetch_win.h"
#include "standin/observation_log.h"

using Microsoft::WRL::ComPtr;

namespace standin {
namespace {

struct Ambient {
  DISPID id;
  const char* name;
};
// The ambient properties a container publishes to its controls.
constexpr Ambient kAmbients[] = {
    {DISPID_AMBIENT_BACKCOLOR, "BackColor"},       {DISPID_AMBIENT_DISPLAYNAME, "DisplayName"},
    {DISPID_AMBIENT_FONT, "Font"},                 {DISPID_AMBIENT_FORECOLOR, "ForeColor"},
    {DISPID_AMBIENT_LOCALEID, "LocaleID"},         {DISPID_AMBIENT_MESSAGEREFLECT, "MessageReflect"},
    {DISPID_AMBIENT_USERMODE, "UserMode"},         {DISPID_AMBIENT_UIDEAD, "UIDead"},
    {DISPID_AMBIENT_SHOWGRABHANDLES, "ShowGrabHandles"}, {DISPID_AMBIENT_SHOWHATCHING, "ShowHatching"},
    {DISPID_AMBIENT_SUPPORTSMNEMONICS, "SupportsMnemonics"}, {DISPID_AMBIENT_AUTOCLIP, "AutoClip"},
};

// The value as the log writes it: truth values -1/0, numbers decimal, a font by its name.
std::string AmbientText(VARIANT& value) {
  if (value.vt == VT_BOOL) return value.boolVal ? "-1" : "0";
  if (value.vt == VT_BSTR) return Utf8(value.bstrVal);
  if (value.vt == VT_DISPATCH) {
    ComPtr<IFont> font;
    BSTR name = nullptr;
    if (value.pdispVal && SUCCEEDED(value.pdispVal->QueryInterface(IID_IFont, reinterpret_cast<void**>(font.GetAddressOf()))) &&
        SUCCEEDED(font->get_Name(&name))) {
      std::string text = Utf8(name);
      SysFreeString(name);
      return text;
    }
    return "<dispatch>";
  }
  VARIANT number;
  VariantInit(&number);
  std::string text = "<vt " + std::to_string(value.vt) + ">";
  if (SUCCEEDED(VariantChangeType(&number, &value, 0, VT_I4))) text = std::to_string(number.lVal);
  VariantClear(&number);
  return text;
}

}  // namespace

void FlashObject::ReadAmbients(DISPID which) {
  if (!clientSite_) return;
  ComPtr<IDispatch> ambients;
  HRESULT hr = clientSite_.As(&ambients);
  if (FAILED(hr)) {
    Log("ambient none hr=0x%08lx", static_cast<unsigned long>(hr));
    return;
  }
  for (const Ambient& a : kAmbients) {
    if (which != DISPID_UNKNOWN && which != a.id) continue;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    hr = ambients->Invoke(a.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    if (FAILED(hr)) {
      Log("ambient %s hr=0x%08lx", a.name, static_cast<unsigned long>(hr));
    } else {
      Log("ambient %s %s", a.name, AmbientText(value).c_str());
      if (a.id == DISPID_AMBIENT_USERMODE && value.vt == VT_BOOL) userMode_ = value.boolVal != VARIANT_FALSE;
    }
    VariantClear(&value);
  }
}

void FlashObject::TellSiteAboutFocus(bool focused) {
  if (!controlSite_) return;
  Log("site OnFocus %d hr=0x%08lx", focused ? 1 : 0, static_cast<unsigned long>(controlSite_->OnFocus(focused)));
}

// FLASH_STANDIN_STOCK_EVENTS=1 makes real input raise the stock events.
bool FlashObject::StockEventsWanted() {
  char value[8];
  const DWORD n = GetEnvironmentVariableA("FLASH_STANDIN_STOCK_EVENTS", value, sizeof value);
  return n == 1 && value[0] == '1';
}

void FlashObject::FireStockEvent(const StockEvent& event) {
  std::string line = std::string("event ") + event.name;
  for (int i = 0; i < event.argCount; ++i) line += " " + std::to_string(event.args[i]);
  Log("%s", line.c_str());
  if (!eventPoint_ || freezeCount_ > 0) return;
  // Keys travel by reference, so a handler may change or swallow them; the rest by value.
  SHORT key = static_cast<SHORT>(event.args[0]);
  VARIANTARG args[4];
  for (int i = 0; i < event.argCount; ++i) {
    VARIANTARG& v = args[event.argCount - 1 - i];  // last argument first
    VariantInit(&v);
    const bool keyByReference = i == 0 && event.dispid != DISPID_MOUSEDOWN && event.dispid != DISPID_MOUSEMOVE &&
                                event.dispid != DISPID_MOUSEUP;
    if (keyByReference) {
      v.vt = VT_BYREF | VT_I2;
      v.piVal = &key;
    } else if (i < 2) {
      v.vt = VT_I2;
      v.iVal = static_cast<SHORT>(event.args[i]);
    } else {
      v.vt = VT_I4;
      v.lVal = event.args[i];
    }
  }
  eventPoint_->FireDispatch(event.dispid, event.argCount ? args : nullptr, static_cast<UINT>(event.argCount));
}

void FlashObject::ObserveInput(UINT message, WPARAM wparam, LPARAM lparam) {
  if (auto line = DescribeWindowMessage(message, wparam, lparam)) Log("%s", line->c_str());
  if (message == WM_MOUSEMOVE && window_) {
    // Like the runtime, it wants to hear when the mouse leaves.
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
    TrackMouseEvent(&track);
  }
  if (!StockEventsWanted()) return;
  ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
  const bool alt = GetKeyState(VK_MENU) < 0;
  if (auto mouse = StockMouseEvent(message, wparam, static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)), alt)) {
    FireStockEvent(*mouse);
    if (message == WM_LBUTTONUP) FireStockEvent(StockEvent{DISPID_CLICK, "Click"});
    return;
  }
  const int shift = (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) | (alt ? 4 : 0);
  if (auto key = StockKeyEvent(message, wparam, shift)) FireStockEvent(*key);
}

// Once a movie has arrived a control asks its container to lay it out again (the
// container answers from the extent it gave) and confirms its position rectangle
// through the in-place site, which hands it back by SetObjectRects.
void FlashObject::AskForLayout() {
  ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
  if (clientSite_)
    Log("site RequestNewObjectLayout hr=0x%08lx", static_cast<unsigned long>(clientSite_->RequestNewObjectLayout()));
  if (inPlaceSite_ && window_) {
    const RECT pos = pos_;
    Log("site OnPosRectChange hr=0x%08lx", static_cast<unsigned long>(inPlaceSite_->OnPosRectChange(&pos)));
  }
}

void FlashObject::OpenContextMenu(POINT at) {
  if (!menu_ || !contextMenu_ || !window_) return;
  HMENU popup = GetSubMenu(contextMenu_, 0);
  if (!popup) return;
  Log("menu context %ld %ld", at.x, at.y);
  POINT screen = at;
  ClientToScreen(window_, &screen);
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr);
}

}  // namespace standin
