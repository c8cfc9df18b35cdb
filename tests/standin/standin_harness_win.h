// Test equipment for the stand-in module under Wine: a minimal client site that
// records the calls it receives, an event sink, and the module's object made
// through the system loader; the shared Windows test helpers do the rest.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "flashhost/flash_interfaces_win.h"
#include "standin/com_adopt_win.h"
#include "winbase/bstr_win.h"
#include "winbase/com_object_win.h"
#include "winbase/text_win.h"

namespace standin_test {

using Microsoft::WRL::ComPtr;

using swfp::win::Bstr;
using swfp::win::WideToUtf8;

class TestSite final : public swfp::win::ComObject<IOleClientSite, IOleInPlaceSite> {
 public:
  explicit TestSite(HWND window) : window_(window) {}
  std::vector<std::string> calls;
  RECT position{0, 0, 400, 300};
  std::string failing;  // the in-place site method that answers E_FAIL
  HRESULT Answer(const char* method) {
    calls.push_back(method);
    return failing == method ? E_FAIL : S_OK;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override { if (m) *m = nullptr; return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override { if (c) *c = nullptr; return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { calls.push_back("ShowObject"); return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow / IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override {
    *w = window_;
    return Answer("GetWindow");
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return Answer("CanInPlaceActivate"); }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return Answer("OnInPlaceActivate"); }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { calls.push_back("OnUIActivate"); return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
    *frame = nullptr;
    *doc = nullptr;
    *pos = position;
    *clip = RECT{0, 0, 32767, 32767};
    return Answer("GetWindowContext");
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { calls.push_back("OnUIDeactivate"); return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { calls.push_back("OnInPlaceDeactivate"); return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

 private:
  HWND window_;
};

// Records every event: its dispatch id and its arguments in declaration order.
class EventSink final : public swfp::win::ComObject<IDispatch> {
 public:
  struct Event {
    DISPID id;
    std::vector<std::wstring> args;
  };
  std::vector<Event> events;
  // The arguments of every event of that id, in order.
  std::vector<std::vector<std::wstring>> ArgsOf(DISPID id) const;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** t) override { *t = nullptr; return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
};

// Loads <name> beside the program with LoadLibrary and creates the Flash object
// through the class factory it exports.
ComPtr<IOleObject> CreateFromModule(const std::wstring& name);

}  // namespace standin_test
