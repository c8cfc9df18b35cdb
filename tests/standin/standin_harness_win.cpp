#include "tests/standin/standin_harness_win.h"

#include "tests/support_win/test_files_win.h"

namespace standin_test {

HostWindow::HostWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"StandinTestHost";
  RegisterClassW(&wc);  // a second registration fails harmlessly
  hwnd_ = CreateWindowExW(0, L"StandinTestHost", L"stand-in test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                          0, 0, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
}

HostWindow::~HostWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HRESULT STDMETHODCALLTYPE TestSite::QueryInterface(REFIID riid, void** out) {
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow) *out = static_cast<IOleInPlaceSite*>(this);
  else return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

std::vector<std::vector<std::wstring>> EventSink::ArgsOf(DISPID id) const {
  std::vector<std::vector<std::wstring>> out;
  for (const Event& e : events)
    if (e.id == id) out.push_back(e.args);
  return out;
}

HRESULT STDMETHODCALLTYPE EventSink::QueryInterface(REFIID riid, void** out) {
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_ShockwaveFlashEvents) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  Event e{id, {}};
  for (UINT i = params ? params->cArgs : 0; i-- > 0;) {  // last argument first in the array
    VARIANT& v = params->rgvarg[i];
    if (v.vt == VT_BSTR) e.args.push_back(v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"");
    else if (v.vt == VT_I4) e.args.push_back(std::to_wstring(v.lVal));
    else e.args.push_back(L"?vt=" + std::to_wstring(v.vt));
  }
  events.push_back(std::move(e));
  return S_OK;
}

ComPtr<IOleObject> CreateFromModule(const std::wstring& name, HMODULE* moduleOut) {
  HMODULE module = LoadLibraryW((swfp::wintest::ExeFolder() / name).c_str());
  if (moduleOut) *moduleOut = module;
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(module ? GetProcAddress(module, "DllGetClassObject") : nullptr));
  ComPtr<IClassFactory> factory;
  ComPtr<IOleObject> object;
  if (getClassObject && SUCCEEDED(getClassObject(CLSID_ShockwaveFlash, IID_PPV_ARGS(&factory))))
    factory->CreateInstance(nullptr, IID_PPV_ARGS(&object));
  return object;
}

HWND ActivateInPlace(IOleObject* object, TestSite* site, HWND host, RECT position) {
  ComPtr<IOleInPlaceObject> inPlace;
  HWND window = nullptr;
  if (SUCCEEDED(object->SetClientSite(site)) &&
      SUCCEEDED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, host, &position)) &&
      SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&inPlace))))
    inPlace->GetWindow(&window);
  return window;
}

DWORD AdviseEvents(IUnknown* object, IDispatch* sink) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  if (SUCCEEDED(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.GetAddressOf()))) &&
      SUCCEEDED(container->FindConnectionPoint(DIID_ShockwaveFlashEvents, point.GetAddressOf())))
    point->Advise(sink, &cookie);
  return cookie;
}

}  // namespace standin_test
