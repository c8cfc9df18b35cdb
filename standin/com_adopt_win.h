// Takes over the reference a new COM object starts with. MinGW's ComPtr::Attach
// adds a reference of its own (unlike the platform SDK's), which would leak the
// object, so new objects go into their smart pointer through this instead.
#pragma once

#include <wrl/client.h>

namespace standin {

template <typename T>
Microsoft::WRL::ComPtr<T> Adopt(T* fresh) {
  Microsoft::WRL::ComPtr<T> owner;
  *owner.GetAddressOf() = fresh;
  return owner;
}

}  // namespace standin
