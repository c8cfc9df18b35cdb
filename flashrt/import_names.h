#pragma once
// Which imports of the runtime module the player replaces. Names compare
// case-sensitively whatever library they come from; ordinals never match.
#include <cstdint>
#include <string_view>

namespace flashrt {

enum class InterceptedImport {
    None,
    CreateURLMoniker,
    RegisterClassExA,
    CreateWindowExA,
    LoadCursorA,
    LoadMenuA,
    waveOutWrite,
    CreateFileA,
};

InterceptedImport ClassifyImport(std::string_view procName);

// Imports the in-memory loader answers itself for every module it maps, from
// whichever library they are imported: the system cannot answer them for an
// image it never loaded. Names compare case-sensitively.
enum class LoaderImport {
    None,
    RtlPcToFileHeader,  // image base for an address, asked by C++ throws
};

LoaderImport ClassifyLoaderImport(std::string_view procName);

// An import name argument below 0x10000 is an ordinal, not a text.
inline bool IsOrdinalName(const void* procName) { return reinterpret_cast<uintptr_t>(procName) < 0x10000; }

}  // namespace flashrt
