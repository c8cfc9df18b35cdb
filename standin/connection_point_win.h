// One connection point of the Flash object: keeps the advised sinks by cookie
// and fires dispatch events or property-change notifications at them.
#pragma once

#include <ocidl.h>
#include <wrl/client.h>

#include <vector>

#include "winbase/com_object_win.h"

namespace standin {

class ConnectionPoint final : public swfp::win::ComObject<IConnectionPoint> {
 public:
  // container is not counted: the container owns its points and outlives them
  // as long as a sink does not hold a point past the container's Release.
  // `name` names the point in the log ("advise Events cookie=1").
  ConnectionPoint(IConnectionPointContainer* container, const IID& iid, const char* name);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

  // Invoke on every sink's IDispatch; args in DISPPARAMS order (last argument first).
  void FireDispatch(DISPID id, VARIANTARG* args, UINT count);
  // IPropertyNotifySink::OnChanged on every sink.
  void FireChanged(DISPID id);
  // Drops every sink (the object is closing); the container pointer is forgotten.
  void Disconnect();
  size_t SinkCount() const { return sinks_.size(); }

 private:
  ~ConnectionPoint() override;

  struct Sink {
    DWORD cookie;
    Microsoft::WRL::ComPtr<IUnknown> unknown;
  };
  // A copy, so a sink that unadvises while being called does not disturb the walk.
  std::vector<Sink> Snapshot() const { return sinks_; }

  IConnectionPointContainer* container_;
  IID iid_;
  const char* name_;
  DWORD nextCookie_ = 1;
  std::vector<Sink> sinks_;
};

}  // namespace standin
