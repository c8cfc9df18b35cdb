#include "flashrt/dll_loader_win.h"

#include <string>

#include "flashrt/fault_containment_win.h"
#include "flashrt/import_names.h"
#include "flashrt/pe_exports.h"
#include "flashrt/pe_imports.h"
#include "flashrt/pe_mapping.h"
#include "flashrt/pe_stream.h"
#include "flashrt/pe_tls.h"
#include "flashrt/pc_to_file_header_win.h"

namespace flashrt {

namespace {

std::runtime_error PlatformError(const std::string& what)
{
    return std::runtime_error(what + " failed (error " + std::to_string(GetLastError()) + ")");
}

uint64_t AddressOf(FARPROC p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

// The module's libraries come from the system folder (and from folders the
// program added with AddDllDirectory, which the player never does), never from
// the executable's or the current folder, where a planted library could wait.
HMODULE LoadSystemLibrary(const char* name)
{
    HMODULE m = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
    if (m || GetLastError() != ERROR_INVALID_PARAMETER) return m;
    // A system that knows no search flags (Windows 7 before KB2533623): the
    // system folder's copy by its full path.
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryExA((std::string(folder, length) + "\\" + name).c_str(), nullptr, 0);
}

}  // namespace

// Loads each import library through the system and offers every import to the
// loader's hook before looking it up in that library.
class LoaderImportBinder : public pe::ImportBinder {
public:
    explicit LoaderImportBinder(TDLLLoader& loader) : loader_(loader) {}

    void BeginLibrary(const char* libraryName) override
    {
        // A library that does not load is not an error here: its imports stay 0.
        current_ = LoadSystemLibrary(libraryName);
        if (current_) loader_.modules_.push_back(current_);
    }
    uint64_t Hook(const char* libraryName, const pe::ImportedName& import) override
    {
        if (!import.ByOrdinal() && ClassifyLoaderImport(import.name) == LoaderImport::RtlPcToFileHeader)
            return AddressOf(PcToFileHeaderSubstitute());
        return AddressOf(loader_.GetImportHook(libraryName, ProcName(import)));
    }
    uint64_t Resolve(const char*, const pe::ImportedName& import) override
    {
        return current_ ? AddressOf(::GetProcAddress(current_, ProcName(import))) : 0;
    }

private:
    static LPCSTR ProcName(const pe::ImportedName& import)
    {
        return import.ByOrdinal() ? MAKEINTRESOURCEA(import.ordinal) : import.name;
    }
    TDLLLoader& loader_;
    HMODULE current_ = nullptr;
};

TDLLLoader::TDLLLoader(std::span<const uint8_t> image) { Map(image); }

TDLLLoader::~TDLLLoader()
{
    Unload();
}

FARPROC TDLLLoader::GetImportHook(LPCSTR, LPCSTR) { return nullptr; }

TDLLLoader::TDLLLoader(pe::ByteSource& source) { Map(source); }

void TDLLLoader::Map(std::span<const uint8_t> file)
{
    pe::SpanSource source(file);
    Map(source);
}

void TDLLLoader::Map(pe::ByteSource& source)
{
    try {
        // The region is reserved once the headers are read; the sections are
        // then read straight into it.
        headers_ = pe::StreamImage(source, [this](const pe::PeHeaders& h) { return Reserve(h); });
        auto* base = static_cast<uint8_t*>(region_);
        const std::span<uint8_t> image(base, imageSize_);
        pe::ApplyRelocations(headers_, image, reinterpret_cast<uintptr_t>(region_) - headers_.imageBase);
        LoaderImportBinder binder(*this);
        pe::BindImports(headers_, image, binder);
        // The TLS index and every thread's block are in place before any of
        // the module's code runs; the index may lie in a read-only section.
        if (auto tls = pe::ReadTlsDirectory(headers_, image, reinterpret_cast<uintptr_t>(region_))) {
            tls_ = std::move(*tls);
            staticTls_ = std::make_unique<StaticTls>(tls_, base);
        }

        // The headers stay read-write; where sections share a page the later one wins.
        for (const pe::Section& s : headers_.sections) {
            if (s.virtualSize == 0) continue;
            DWORD previous = 0;
            VirtualProtect(base + s.virtualAddress, s.virtualSize, pe::SectionProtection(s.characteristics), &previous);
        }
        FlushInstructionCache(GetCurrentProcess(), base, imageSize_);

#ifdef _WIN64
        // Without its unwind table, any exception raised inside the module would
        // find no handler and end the process.
        const pe::DataDirectory& unwind = headers_.Directory(pe::kExceptionDirectory);
        if (!unwind.empty() && unwind.size >= sizeof(RUNTIME_FUNCTION)) {
            if (!RtlAddFunctionTable(reinterpret_cast<PRUNTIME_FUNCTION>(base + unwind.rva),
                                     unwind.size / sizeof(RUNTIME_FUNCTION), reinterpret_cast<DWORD64>(base)))
                throw PlatformError("RtlAddFunctionTable");
            functionTableAdded_ = true;
        }
#endif
        // From here a throw inside the module can ask which image it lies in.
        RegisterMappedImage(region_, imageSize_);
        registered_ = true;
        attached_ = true;
        if (!ContainFaults([this] {
                RunTlsCallbacks(DLL_PROCESS_ATTACH);
                CallEntry(DLL_PROCESS_ATTACH);
            })) {
            attached_ = false;  // a module that faulted in its attach gets no detach call
            throw std::runtime_error("the module faulted in its entry routine");
        }
        if (staticTls_) staticTls_->EnableThreadCallbacks(true);
        imageBase_ = region_;
    } catch (...) {
        Unload();
        throw;
    }
}

std::span<uint8_t> TDLLLoader::Reserve(const pe::PeHeaders& h)
{
#ifdef _WIN64
    const bool fits = h.is64 && h.machine == pe::kMachineAmd64;
#else
    const bool fits = !h.is64 && h.machine == pe::kMachineI386;
#endif
    if (!fits) throw pe::PeError("the module's machine " + pe::Hex(h.machine) + " does not match this process");
    const bool relocatable = !(h.fileCharacteristics & pe::kFileRelocsStripped) ||
                             !h.Directory(pe::kRelocationDirectory).empty();
    imageSize_ = h.sizeOfImage;
    // The preferred base first, as the system loader does: there nothing needs
    // relocating. A module without relocations can only run there.
    region_ = VirtualAlloc(reinterpret_cast<void*>(static_cast<uintptr_t>(h.imageBase)), imageSize_,
                           MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!region_ && relocatable) region_ = VirtualAlloc(nullptr, imageSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!region_) {
        if (!relocatable) throw pe::PeError("the module has no relocations and its preferred base is taken");
        throw PlatformError("VirtualAlloc of " + std::to_string(imageSize_) + " bytes");
    }
    return {static_cast<uint8_t*>(region_), imageSize_};
}

void TDLLLoader::CallEntry(DWORD reason) noexcept
{
    if (headers_.entryPoint == 0) return;
    using Entry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
    auto entry = reinterpret_cast<Entry>(static_cast<uint8_t*>(region_) + headers_.entryPoint);
    // Its result is ignored, as the module stays mapped either way.
    entry(static_cast<HINSTANCE>(region_), reason, nullptr);
}

void TDLLLoader::RunTlsCallbacks(DWORD reason) noexcept
{
    // The callbacks' addresses were checked to lie inside the image when the
    // directory was read.
    auto* base = static_cast<uint8_t*>(region_);
    for (uint32_t rva : tls_.callbackRvas) reinterpret_cast<PIMAGE_TLS_CALLBACK>(base + rva)(base, reason, nullptr);
}

void TDLLLoader::Unload() noexcept
{
    if (staticTls_) staticTls_->EnableThreadCallbacks(false);
    if (attached_) {
        // A fault in the detach still lets the image and the libraries go.
        ContainFaults([this] {
            CallEntry(DLL_PROCESS_DETACH);
            RunTlsCallbacks(DLL_PROCESS_DETACH);
        });
        attached_ = false;
    }
    // Every thread's block goes back after the module's last word.
    staticTls_.reset();
    if (registered_) {
        UnregisterMappedImage(region_);
        registered_ = false;
    }
#ifdef _WIN64
    if (functionTableAdded_) {
        const pe::DataDirectory& unwind = headers_.Directory(pe::kExceptionDirectory);
        RtlDeleteFunctionTable(reinterpret_cast<PRUNTIME_FUNCTION>(static_cast<uint8_t*>(region_) + unwind.rva));
        functionTableAdded_ = false;
    }
#endif
    // The module's detach may still call into its libraries: free them only now,
    // first to last, and the image after them.
    for (HMODULE m : modules_) FreeLibrary(m);
    modules_.clear();
    if (region_) VirtualFree(region_, 0, MEM_RELEASE);
    region_ = nullptr;
    imageBase_ = nullptr;
}

HMODULE TDLLLoader::LoadDependency(const char* name)
{
    HMODULE m = LoadSystemLibrary(name);
    if (!m) return nullptr;
    for (HMODULE known : modules_) {
        if (known == m) {
            FreeLibrary(m);  // already held once; keep one reference only
            return m;
        }
    }
    modules_.push_back(m);
    return m;
}

FARPROC TDLLLoader::GetProcAddress(const char* name)
{
    // Lookups are by name only; an ordinal in the name's place is not a text to read.
    if (!imageBase_ || IsOrdinalName(name)) return nullptr;
    const std::span<const uint8_t> image(static_cast<const uint8_t*>(imageBase_), imageSize_);
    std::optional<pe::ExportTarget> target;
    try {
        target = pe::FindExport(headers_, image, name);
    } catch (const pe::PeError&) {
        return nullptr;  // a damaged export table exports nothing
    }
    if (!target) return nullptr;
    if (!target->forwarder)
        return reinterpret_cast<FARPROC>(static_cast<uint8_t*>(imageBase_) + target->rva);
    // The export lives in another library: its text is not code to call.
    const pe::Forwarder& f = *target->forwarder;
    HMODULE library = LoadDependency(f.library.c_str());
    if (!library) return nullptr;
    return ::GetProcAddress(library, f.ByOrdinal() ? MAKEINTRESOURCEA(f.ordinal) : f.name.c_str());
}

}  // namespace flashrt
