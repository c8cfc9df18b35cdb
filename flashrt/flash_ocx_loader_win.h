#pragma once
// The loader for the Flash runtime module: seven of its imports are replaced by
// the player's own routines (import_hooks_win.h), every other resolves normally.
#include "flashrt/dll_loader_win.h"

namespace flashrt {

class TFlashOCXLoader : public TDLLLoader {
public:
    explicit TFlashOCXLoader(std::span<const uint8_t> image);
    explicit TFlashOCXLoader(pe::ByteSource& source);

protected:
    FARPROC GetImportHook(LPCSTR libraryName, LPCSTR procName) override;
};

}  // namespace flashrt
