#include "standin/connection_point_win.h"

#include <olectl.h>

#include "standin/module_win.h"
#include "standin/observation_log.h"

namespace standin {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, const IID& iid, const char* name)
    : container_(container), iid_(iid), name_(name) {
  ModuleAddRef();
}

ConnectionPoint::~ConnectionPoint() { ModuleRelease(); }

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID riid, void** out) {
  IConnectionPoint* self = this;
  return swfp::win::QueryInterfaceFromTable(riid, out, {{IID_IUnknown, self}, {IID_IConnectionPoint, self}});
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = container_;
  if (!container_) return E_UNEXPECTED;
  container_->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  // The sink must answer for the interface of this point itself; IDispatch alone is not enough.
  Microsoft::WRL::ComPtr<IUnknown> typed;
  HRESULT hr = sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.GetAddressOf()));
  if (FAILED(hr) || !typed) {
    Log("advise %s refused hr=0x%08lx", name_, static_cast<unsigned long>(hr));
    return CONNECT_E_CANNOTCONNECT;
  }
  sinks_.push_back({nextCookie_, typed});
  *cookie = nextCookie_++;
  Log("advise %s cookie=%lu", name_, static_cast<unsigned long>(*cookie));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->cookie == cookie) {
      sinks_.erase(it);
      Log("unadvise %s cookie=%lu hr=0x00000000", name_, static_cast<unsigned long>(cookie));
      return S_OK;
    }
  }
  Log("unadvise %s cookie=%lu hr=0x%08lx", name_, static_cast<unsigned long>(cookie),
      static_cast<unsigned long>(CONNECT_E_NOCONNECTION));
  return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

void ConnectionPoint::FireDispatch(DISPID id, VARIANTARG* args, UINT count) {
  for (const Sink& sink : Snapshot()) {
    Microsoft::WRL::ComPtr<IDispatch> dispatch;
    if (FAILED(sink.unknown.As(&dispatch))) continue;
    DISPPARAMS params{args, nullptr, count, 0};
    dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }
}

void ConnectionPoint::FireChanged(DISPID id) {
  for (const Sink& sink : Snapshot()) {
    Microsoft::WRL::ComPtr<IPropertyNotifySink> notify;
    if (SUCCEEDED(sink.unknown.As(&notify))) notify->OnChanged(id);
  }
}

void ConnectionPoint::Disconnect() {
  sinks_.clear();
  container_ = nullptr;
}

}  // namespace standin
