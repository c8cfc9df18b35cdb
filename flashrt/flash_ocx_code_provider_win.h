#pragma once
// Module providers: the one active provider owns the mapped Flash runtime module
// and creates Flash objects from it, whether the module came from the system's
// registration of the Flash class or from the player package.
#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <memory>
#include <span>

namespace flashrt {

namespace pe {
class ByteSource;
}
class TFlashOCXLoader;
struct ContentRedirector;

class TFlashOCXCodeProvider {
public:
    virtual ~TFlashOCXCodeProvider() = default;
    // S_OK means a class factory was obtained and asked; the caller checks *obj.
    virtual HRESULT CreateInstance(REFIID iid, void** obj) = 0;
};

class TFlashOCXCodeProviderBasedOnStream : public TFlashOCXCodeProvider {
public:
    // An empty image stands for no stream. The image is not kept. A module that
    // cannot be mapped leaves a provider whose CreateInstance fails.
    explicit TFlashOCXCodeProviderBasedOnStream(std::span<const uint8_t> moduleImage);
    // Maps the module as it is read from source (no copy of the whole file);
    // a source that fails or holds no module leaves a provider without entry.
    explicit TFlashOCXCodeProviderBasedOnStream(pe::ByteSource& moduleSource);
    ~TFlashOCXCodeProviderBasedOnStream() override;
    HRESULT CreateInstance(REFIID iid, void** obj) override;

    bool HasEntry() const { return entry_ != nullptr; }
    const TFlashOCXLoader* Loader() const { return loader_.get(); }

protected:
    TFlashOCXCodeProviderBasedOnStream();
    void LoadModule(std::span<const uint8_t> moduleImage);
    void LoadModule(pe::ByteSource& moduleSource);

private:
    using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    DllGetClassObjectFn entry_ = nullptr;
    std::unique_ptr<TFlashOCXLoader> loader_;
};

class TFlashOCXCodeProviderBasedOnSystemInstalledOCX : public TFlashOCXCodeProviderBasedOnStream {
public:
    // Maps nothing yet: the first CreateInstance maps the module registered for
    // the Flash class (once; the provider stays empty when there is none).
    TFlashOCXCodeProviderBasedOnSystemInstalledOCX();
    HRESULT CreateInstance(REFIID iid, void** obj) override;

private:
    bool looked_ = false;
};

// The active provider; null only outside a FlashRuntimeUnit's lifetime.
TFlashOCXCodeProvider* FlashOCXCodeProvider();

// Frees the active provider and makes one built on moduleImage the active one
// (empty span = no stream).
void LoadFlashOCXCodeFromStream(std::span<const uint8_t> moduleImage);
// The same for a module read from source as it is mapped.
void LoadFlashOCXCodeFromStream(pe::ByteSource& moduleSource);

// Frees the active provider and makes `provider` the active one (the tests host
// objects of other classes through a provider of their own).
void SetFlashOCXCodeProvider(std::unique_ptr<TFlashOCXCodeProvider> provider);

// Packed product version of the registered Flash module, 0 when none.
uint32_t GetInstalledFlashVersion();
bool IsFlashInstalled();

// Registry key of the Flash class's in-process server, under the classes root.
inline constexpr const wchar_t* kFlashInprocServerKey =
    L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";

// The shared state of the runtime, alive for the program's lifetime. Creates, in
// order, the window-class map, the sound switch with its lock, the content manager
// (when a factory is given) and then the system-registered provider, which maps
// its module only when a control first asks it for an object; the destructor
// frees the provider first, then the content manager, the map and the lock.
class FlashRuntimeUnit {
public:
    using ContentManagerFactory = std::unique_ptr<ContentRedirector> (*)();
    explicit FlashRuntimeUnit(ContentManagerFactory makeContentManager = nullptr);
    ~FlashRuntimeUnit();
    FlashRuntimeUnit(const FlashRuntimeUnit&) = delete;
    FlashRuntimeUnit& operator=(const FlashRuntimeUnit&) = delete;

private:
    std::unique_ptr<ContentRedirector> contentManager_;
};

}  // namespace flashrt
