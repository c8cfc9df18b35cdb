#pragma once
// The loader's own substitute for RtlPcToFileHeader. A C++ throw compiled by
// MSVC for x64 asks it for the image base of the throw information, which lies
// in the thrower's image; for an image the system never loaded the system's
// answer is null and the throw crashes. The substitute answers for the images
// the in-memory loader has mapped and passes every other address on.
#include <windows.h>

#include <cstddef>

namespace flashrt {

// Called by the loader while an image is mapped; safe from any thread.
void RegisterMappedImage(void* base, size_t size);
void UnregisterMappedImage(void* base);

// The address the module's import table gets for RtlPcToFileHeader.
FARPROC PcToFileHeaderSubstitute();

}  // namespace flashrt
