#pragma once
// Maps a PE library image the way the system loader would, without the system
// loader ever knowing the module: sections (read straight into the image),
// relocations, imports (each offered to GetImportHook first; RtlPcToFileHeader
// is always answered by the loader itself), static TLS with its callbacks, page
// protections, exception tables and the entry routine.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "flashrt/pe_image.h"
#include "flashrt/pe_stream.h"
#include "flashrt/pe_tls.h"
#include "flashrt/static_tls_win.h"

namespace flashrt {

class TDLLLoader {
public:
    // Maps image (a PE file of this process's bitness). A malformed or unsuitable
    // image raises pe::PeError, a failed platform call std::runtime_error; either
    // way everything acquired so far is given back. The bytes are not kept.
    explicit TDLLLoader(std::span<const uint8_t> image);
    // Maps the image as it is read from source, front to back, each section
    // straight into its place (see pe_stream.h): no second copy of the file.
    explicit TDLLLoader(pe::ByteSource& source);
    virtual ~TDLLLoader();
    TDLLLoader(const TDLLLoader&) = delete;
    TDLLLoader& operator=(const TDLLLoader&) = delete;

    // Exported address for a name (case-sensitive), nullptr when absent.
    // Forwarded exports are resolved in the library they name.
    FARPROC GetProcAddress(const char* name);

    // The mapped image; the module's instance handle.
    void* ImageBase() const { return imageBase_; }
    size_t ImageSize() const { return imageSize_; }
    // Libraries loaded for the imports, in load order.
    const std::vector<HMODULE>& Modules() const { return modules_; }

protected:
    // Derived classes construct with this tag and call Map() from their own
    // constructor, so that their GetImportHook takes part.
    struct DeferMapping {};
    explicit TDLLLoader(DeferMapping) {}
    void Map(std::span<const uint8_t> image);
    void Map(pe::ByteSource& source);

    // A replacement for an import, or nullptr to resolve it normally. procName is
    // a name, or an ordinal below 0x10000.
    virtual FARPROC GetImportHook(LPCSTR libraryName, LPCSTR procName);

private:
    friend class LoaderImportBinder;
    std::span<uint8_t> Reserve(const pe::PeHeaders& headers);
    void Unload() noexcept;
    void CallEntry(DWORD reason) noexcept;
    void RunTlsCallbacks(DWORD reason) noexcept;
    HMODULE LoadDependency(const char* name);

    void* imageBase_ = nullptr;   // set once mapping has finished
    void* region_ = nullptr;      // the committed region, owned
    size_t imageSize_ = 0;
    std::vector<HMODULE> modules_;
    pe::PeHeaders headers_{};
    bool functionTableAdded_ = false;
    bool attached_ = false;
    bool registered_ = false;
    pe::TlsLayout tls_{};  // no callbacks and no slot when the module has no TLS directory
    std::unique_ptr<StaticTls> staticTls_;  // known to the RtlPcToFileHeader substitute
};

}  // namespace flashrt
