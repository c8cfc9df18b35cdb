#include "flashrt/flash_ocx_loader_win.h"

#include "flashrt/import_hooks_win.h"

namespace flashrt {

TFlashOCXLoader::TFlashOCXLoader(std::span<const uint8_t> image) : TDLLLoader(DeferMapping{})
{
    Map(image);
}

TFlashOCXLoader::TFlashOCXLoader(pe::ByteSource& source) : TDLLLoader(DeferMapping{})
{
    Map(source);
}

FARPROC TFlashOCXLoader::GetImportHook(LPCSTR libraryName, LPCSTR procName)
{
    return FlashImportSubstitute(libraryName, procName);
}

}  // namespace flashrt
