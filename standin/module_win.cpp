// DLL entry points: the class factory of the Flash class and self-registration.
#include "standin/module_win.h"

#include <objbase.h>
#include <olectl.h>

#include "flashhost/flash_interfaces_win.h"
#include "standin/flash_object_win.h"
#include "standin/observation_log.h"
#include "winbase/com_object_win.h"

namespace standin {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_moduleRefs = 0;

class ClassFactory final : public swfp::win::ComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    IClassFactory* self = this;
    return swfp::win::QueryInterfaceFromTable(riid, out, {{IID_IUnknown, self}, {IID_IClassFactory, self}});
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return FlashObject::Create(riid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) ModuleAddRef(); else ModuleRelease();
    return S_OK;
  }
  ClassFactory() { ModuleAddRef(); }
  ~ClassFactory() override { ModuleRelease(); }
};

constexpr wchar_t kClsidKey[] = L"CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}";

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void ModuleAddRef() { InterlockedIncrement(&g_moduleRefs); }
void ModuleRelease() { InterlockedDecrement(&g_moduleRefs); }

}  // namespace standin

using namespace standin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // Every object, factory and lock should be gone by now: a container that leaked
    // a reference leaves an object whose code is about to disappear.
    Log("detach refs=%ld", g_moduleRefs);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_ShockwaveFlash) return CLASS_E_CLASSNOTAVAILABLE;
  ClassFactory* factory = new ClassFactory();
  HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

STDAPI DllCanUnloadNow() {
  Log("call DllCanUnloadNow refs=%ld", g_moduleRefs);
  return g_moduleRefs == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  DWORD len = GetModuleFileNameW(g_instance, path, MAX_PATH);
  if (len == 0 || len >= MAX_PATH) return SELFREG_E_CLASS;
  HKEY clsid = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kClsidKey, 0, nullptr, 0, KEY_WRITE, nullptr, &clsid, nullptr) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  static const wchar_t kName[] = L"Shockwave Flash Object";
  RegSetValueExW(clsid, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kName), sizeof kName);
  HKEY server = nullptr;
  LONG rc = RegCreateKeyExW(clsid, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &server, nullptr);
  if (rc == ERROR_SUCCESS) {
    rc = RegSetValueExW(server, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path), (len + 1) * sizeof(wchar_t));
    static const wchar_t kApartment[] = L"Apartment";
    if (rc == ERROR_SUCCESS)
      rc = RegSetValueExW(server, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(kApartment), sizeof kApartment);
    RegCloseKey(server);
  }
  RegCloseKey(clsid);
  Log("call DllRegisterServer rc=%ld", rc);
  return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey);
  Log("call DllUnregisterServer rc=%ld", rc);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
