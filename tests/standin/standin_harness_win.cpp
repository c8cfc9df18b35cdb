#include "tests/standin/standin_harness_win.h"

#include "tests/support_win/test_files_win.h"

namespace standin_test {

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

ComPtr<IOleObject> CreateFromModule(const std::wstring& name) {
  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
  HMODULE module = LoadLibraryW((swfp::wintest::ExeFolder() / name).c_str());
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(module ? GetProcAddress(module, "DllGetClassObject") : nullptr));
  ComPtr<IClassFactory> factory;
  ComPtr<IOleObject> object;
  if (getClassObject && SUCCEEDED(getClassObject(CLSID_ShockwaveFlash, IID_PPV_ARGS(&factory))))
    factory->CreateInstance(nullptr, IID_PPV_ARGS(&object));
  return object;
}

}  // namespace standin_test
