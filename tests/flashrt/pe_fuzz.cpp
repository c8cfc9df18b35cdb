// libFuzzer target: any bytes through the header check and every mapping step.
// The only acceptable failure is a PeError.
#include <cstddef>
#include <cstdint>
#include <span>

#include "flashrt/pe_exports.h"
#include "flashrt/pe_image.h"
#include "flashrt/pe_imports.h"
#include "flashrt/pe_inspect.h"
#include "flashrt/pe_mapping.h"
#include "flashrt/pe_resources.h"
#include "flashrt/pe_stream.h"
#include "flashrt/pe_tls.h"
#include "flashrt/pe_version.h"

using namespace flashrt::pe;

namespace {

struct CountingBinder : ImportBinder {
    void BeginLibrary(const char* name) override { total += name[0]; }
    uint64_t Hook(const char*, const ImportedName& i) override { return i.ByOrdinal() ? i.ordinal : 0; }
    uint64_t Resolve(const char*, const ImportedName& i) override { return i.ByOrdinal() ? 1 : uint8_t(i.name[0]); }
    unsigned total = 0;
};

template <typename Step>
void Try(Step step)
{
    try {
        step();
    } catch (const PeError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> file(data, size);
    Try([&] {
        SpanSource source(file);
        std::vector<uint8_t> region;
        StreamImage(source, [&](const PeHeaders& h) {
            if (h.sizeOfImage > (16u << 20)) throw PeError("large images only slow the search down");
            region.assign(h.sizeOfImage, 0);
            return std::span<uint8_t>(region);
        });
    });
    Try([&] {
        const PeHeaders h = ParseHeaders(file, Layout::File);
        if (h.sizeOfImage > (16u << 20)) return;  // large images only slow the search down
        std::vector<uint8_t> image = MapToBuffer(h, file);
        Try([&] { ApplyRelocations(h, image, size > 8 ? 0x10000ull * data[8] : 0x10000); });
        Try([&] { ReadTlsDirectory(h, image, h.imageBase); });
        Try([&] {
            CountingBinder binder;
            BindImports(h, image, binder);
        });
        Try([&] { FindExport(h, image, "DllGetClassObject"); });
        Try([&] { FindExport(h, image, "export_42"); });
        Try([&] { FindModuleResource(image, 10, 103); });
        Try([&] { FindModuleResource(image, 12, 200); });
        Try([&] { ReadProductVersion(h, image); });
        Try([&] { InspectRuntimeModule(file); });
    });
    return 0;
}
