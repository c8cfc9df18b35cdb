#include "flashrt/import_names.h"

namespace flashrt {

InterceptedImport ClassifyImport(std::string_view name)
{
    struct Row {
        std::string_view name;
        InterceptedImport kind;
    };
    static constexpr Row rows[] = {
        {"CreateURLMoniker", InterceptedImport::CreateURLMoniker},
        {"RegisterClassExA", InterceptedImport::RegisterClassExA},
        {"CreateWindowExA", InterceptedImport::CreateWindowExA},
        {"LoadCursorA", InterceptedImport::LoadCursorA},
        {"LoadMenuA", InterceptedImport::LoadMenuA},
        {"waveOutWrite", InterceptedImport::waveOutWrite},
        {"CreateFileA", InterceptedImport::CreateFileA},
    };
    for (const Row& r : rows)
        if (r.name == name) return r.kind;
    return InterceptedImport::None;
}

LoaderImport ClassifyLoaderImport(std::string_view name)
{
    return name == "RtlPcToFileHeader" ? LoaderImport::RtlPcToFileHeader : LoaderImport::None;
}

}  // namespace flashrt
