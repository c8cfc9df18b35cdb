#include "flashrt/pe_inspect.h"

#include "flashrt/pe_exports.h"
#include "flashrt/pe_imports.h"
#include "flashrt/pe_mapping.h"
#include "flashrt/pe_tls.h"

namespace flashrt::pe {

namespace {
// Walks every import without resolving anything: the walk itself checks the tables.
class NullBinder : public ImportBinder {
public:
    void BeginLibrary(const char*) override {}
    uint64_t Hook(const char*, const ImportedName&) override { return 0; }
    uint64_t Resolve(const char*, const ImportedName&) override { return 0; }
};
}  // namespace

RuntimeModuleInfo InspectRuntimeModule(std::span<const uint8_t> file)
{
    const PeHeaders h = ParseHeaders(file, Layout::File);
    RuntimeModuleInfo info;
    if (h.machine == kMachineI386 && !h.is64) info.bits = 32;
    else if (h.machine == kMachineAmd64 && h.is64) info.bits = 64;
    else throw PeError("unsupported machine " + Hex(h.machine) + " for a " + (h.is64 ? "PE32+" : "PE32") + " image");
    if (!(h.fileCharacteristics & kFileDll)) throw PeError("the image is not a DLL");

    std::vector<uint8_t> image = MapToBuffer(h, file);
    // Relocating by a whole number of pages checks every block and target.
    ApplyRelocations(h, image, 0x10000);
    ReadTlsDirectory(h, image, h.is64 ? h.imageBase + 0x10000 : uint32_t(h.imageBase + 0x10000));
    NullBinder binder;
    BindImports(h, image, binder);
    if (!FindExport(h, image, "DllGetClassObject")) throw PeError("the module does not export DllGetClassObject");

    info.machine = h.machine;
    info.fileSize = file.size();
    info.sizeOfImage = h.sizeOfImage;
    info.productVersion = ReadProductVersion(h, image);
    return info;
}

}  // namespace flashrt::pe
