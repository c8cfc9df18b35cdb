#include "flashrt/pc_to_file_header_win.h"

#include "flashrt/image_ranges.h"

namespace flashrt {

namespace {

// Throws on the module's own threads ask at any time: the ranges are shared
// under a lock that readers take shared.
SRWLOCK g_lock = SRWLOCK_INIT;

ImageRanges& Ranges()
{
    static ImageRanges ranges;  // constructed on first use, never before the loader needs it
    return ranges;
}

using PcToFileHeaderFn = PVOID(NTAPI*)(PVOID, PVOID*);

PVOID NTAPI PcToFileHeader(PVOID pc, PVOID* base)
{
    AcquireSRWLockShared(&g_lock);
    const auto found = Ranges().Find(reinterpret_cast<uintptr_t>(pc));
    ReleaseSRWLockShared(&g_lock);
    if (found) {
        if (base) *base = reinterpret_cast<PVOID>(*found);
        return reinterpret_cast<PVOID>(*found);
    }
    static const auto system = reinterpret_cast<PcToFileHeaderFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlPcToFileHeader")));
    if (system) return system(pc, base);
    if (base) *base = nullptr;
    return nullptr;
}

}  // namespace

void RegisterMappedImage(void* base, size_t size)
{
    AcquireSRWLockExclusive(&g_lock);
    Ranges().Add(reinterpret_cast<uintptr_t>(base), size);
    ReleaseSRWLockExclusive(&g_lock);
}

void UnregisterMappedImage(void* base)
{
    AcquireSRWLockExclusive(&g_lock);
    Ranges().Remove(reinterpret_cast<uintptr_t>(base));
    ReleaseSRWLockExclusive(&g_lock);
}

FARPROC PcToFileHeaderSubstitute() { return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&PcToFileHeader)); }

}  // namespace flashrt
