#include "standin/movie_fetch_win.h"

#include <urlmon.h>
#include <wrl/client.h>


#include "standin/movie_location.h"
#include "standin/observation_log.h"
#include "standin/com_adopt_win.h"
#include "winbase/com_object_win.h"

using Microsoft::WRL::ComPtr;

namespace standin {
namespace {

// The runtime keeps one copy of the movie, whatever its size. An uncompressed
// movie's header declares the whole length, so the copy is made that large at
// once instead of growing (growing a big movie would hold it twice while it
// moves). A declared length beyond the free memory is not reserved: a failed
// allocation here, inside the container's callback, would end the process.
void ReserveDeclared(std::vector<uint8_t>& bytes) {
  if (bytes.size() < 8 || bytes[0] != 'F' || bytes.capacity() > bytes.size()) return;
  const uint32_t declared = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (static_cast<uint32_t>(bytes[7]) << 24);
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  if (declared > bytes.size() && GlobalMemoryStatusEx(&memory) && declared < memory.ullAvailPhys &&
      declared < memory.ullAvailVirtual / 2)
    bytes.reserve(declared);
}

void Append(std::vector<uint8_t>& bytes, const uint8_t* data, size_t count) {
  const bool first = bytes.size() < 8;
  bytes.insert(bytes.end(), data, data + count);
  if (first) ReserveDeclared(bytes);
}

// Receives the data of one binding. Every OnDataAvailable drains the stream it
// is given: urlmon hands the same stream with a growing total, other monikers a
// fresh stream per chunk; draining serves both. The end is OnStopBinding.
class BindCallback final : public swfp::win::ComObject<IBindStatusCallback> {
 public:
  explicit BindCallback(const FetchProgress& progress) : progress_(progress) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    IBindStatusCallback* self = this;
    return swfp::win::QueryInterfaceFromTable(riid, out, {{IID_IUnknown, self}, {IID_IBindStatusCallback, self}});
  }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override {
    if (!priority) return E_POINTER;
    *priority = THREAD_PRIORITY_NORMAL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR) override {
    stopped_ = true;
    stopResult_ = result;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override {
    if (!flags || !info) return E_POINTER;
    // Synchronous, so the movie is complete when BindToStorage returns.
    *flags = BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE;
    ULONG size = info->cbSize;
    ZeroMemory(info, size);
    info->cbSize = size;
    info->dwBindVerb = BINDVERB_GET;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override {
    if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm) return S_OK;
    ++chunks_;
    uint8_t buffer[65536];
    for (;;) {
      ULONG got = 0;
      HRESULT hr = medium->pstm->Read(buffer, sizeof buffer, &got);
      if (got > 0) {
        Append(bytes_, buffer, got);
      }
      if (FAILED(hr) || hr == S_FALSE || got == 0) break;
    }
    if (progress_) progress_(bytes_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  std::vector<uint8_t> bytes_;
  int chunks_ = 0;
  bool stopped_ = false;
  HRESULT stopResult_ = S_OK;

 private:
  ~BindCallback() override = default;
  const FetchProgress& progress_;
};

FetchedMovie FetchUrl(const std::wstring& url, const FetchProgress& progress) {
  FetchedMovie result;
  ComPtr<IMoniker> moniker;
  HRESULT hr = CreateURLMoniker(nullptr, url.c_str(), moniker.GetAddressOf());
  Log("import CreateURLMoniker %s hr=0x%08lx", Utf8(url.c_str()).c_str(), static_cast<unsigned long>(hr));
  if (FAILED(hr) || !moniker) return result;
  ComPtr<IBindCtx> context;
  if (FAILED(CreateBindCtx(0, context.GetAddressOf()))) return result;
  ComPtr<BindCallback> callback;
  callback = standin::Adopt(new BindCallback(progress));
  ComPtr<IBindStatusCallback> previous;
  hr = RegisterBindStatusCallback(context.Get(), callback.Get(), previous.GetAddressOf(), 0);
  if (FAILED(hr)) return result;
  IUnknown* object = nullptr;
  hr = moniker->BindToStorage(context.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(&object));
  if (object) object->Release();
  RevokeBindStatusCallback(context.Get(), callback.Get());
  result.chunks = callback->chunks_;
  result.bytes = std::move(callback->bytes_);
  result.ok = SUCCEEDED(hr) && !result.bytes.empty();
  if (!result.ok) Log("movie failed bind hr=0x%08lx stop=0x%08lx", static_cast<unsigned long>(hr),
                      static_cast<unsigned long>(callback->stopResult_));
  return result;
}

FetchedMovie FetchPath(const std::wstring& path, const FetchProgress& progress) {
  FetchedMovie result;
  int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(n > 0 ? n : 1, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow.data(), n, nullptr, nullptr);
  HANDLE file = CreateFileA(narrow.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  Log("import CreateFileA %s ok=%d", narrow.c_str(), file != INVALID_HANDLE_VALUE ? 1 : 0);
  if (file == INVALID_HANDLE_VALUE) return result;
  uint8_t buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    Append(result.bytes, buffer, got);
    ++result.chunks;
    if (progress) progress(result.bytes);
  }
  CloseHandle(file);
  result.ok = !result.bytes.empty();
  return result;
}

}  // namespace

std::string Utf8(const wchar_t* text) {
  if (!text) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string s(n - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, s.data(), n, nullptr, nullptr);
  return s;
}

FetchedMovie FetchMovie(const std::wstring& location, const FetchProgress& progress) {
  if (IsUrl(location)) return FetchUrl(location, progress);
  FetchedMovie fromFile = FetchPath(location, progress);
  if (fromFile.ok) return fromFile;
  return FetchUrl(FileUrlFromPath(location), progress);
}

}  // namespace standin
