#include "flashrt/static_tls_win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "winbase/handles_win.h"

extern const unsigned char kTlsSlotHelperImage[];
extern const size_t kTlsSlotHelperImage_size;

namespace flashrt {

namespace {

// Where a thread environment block keeps its TLS array (ThreadLocalStoragePointer).
constexpr size_t kTlsArrayOffset = sizeof(void*) == 8 ? 0x58 : 0x2C;

// The running thread's environment block. Read directly: GCC warns wrongly
// about the header's intrinsic.
void* CurrentTeb()
{
    void* teb;
#ifdef _WIN64
    __asm__("movq %%gs:0x30, %0" : "=r"(teb));
#else
    __asm__("movl %%fs:0x18, %0" : "=r"(teb));
#endif
    return teb;
}

void**& TlsArrayOf(void* teb) { return *reinterpret_cast<void***>(static_cast<uint8_t*>(teb) + kTlsArrayOffset); }

std::runtime_error TlsError(const std::string& why)
{
    return std::runtime_error("the module's static TLS cannot be set up: " + why);
}

// Thread starts and ends arrive on their own threads, under the system loader's
// lock; mapping and unloading run on the main thread. One lock orders them, and
// is never held while the system loader's lock is asked for.
struct ProcessLock {
    CRITICAL_SECTION section;
    std::vector<StaticTls*> live;  // the contexts a thread notification may name
    ProcessLock() { InitializeCriticalSection(&section); }
};
ProcessLock& Shared()
{
    static ProcessLock* lock = new ProcessLock;  // never freed: threads may end during process exit
    return *lock;
}
class Locked {
public:
    Locked() { EnterCriticalSection(&Shared().section); }
    ~Locked() { LeaveCriticalSection(&Shared().section); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

struct ThreadBasicInformation {
    LONG exitStatus;
    void* teb;
    HANDLE process, thread;
    ULONG_PTR affinity;
    LONG priority, basePriority;
};
using QueryThreadFn = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);

QueryThreadFn QueryThread()
{
    static const auto query = reinterpret_cast<QueryThreadFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    return query;
}

// The environment block of another running thread of this process, or null
// when the thread has ended.
void* TebOf(DWORD threadId)
{
    if (threadId == GetCurrentThreadId()) return CurrentTeb();
    const swfp::win::UniqueHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId));
    DWORD exitCode = 0;
    if (!thread || !GetExitCodeThread(thread.get(), &exitCode) || exitCode != STILL_ACTIVE) return nullptr;
    ThreadBasicInformation info{};
    if (QueryThread()(thread.get(), 0 /* ThreadBasicInformation */, &info, sizeof info, nullptr) != 0) return nullptr;
    return info.teb;
}

std::vector<DWORD> ThreadsOfThisProcess()
{
    const swfp::win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) throw TlsError("the threads of the process cannot be listed (error " + std::to_string(GetLastError()) + ")");
    std::vector<DWORD> threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.push_back(entry.th32ThreadID);
    return threads;
}

// Writes the helper library to a fresh temporary file and loads it from there.
HMODULE LoadHelperCopy(std::wstring& path)
{
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t file[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"swt", 0, file))
        throw TlsError("no temporary file for the TLS slot library (error " + std::to_string(GetLastError()) + ")");
    path = file;
    {
        const swfp::win::UniqueFile out(
            CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        DWORD written = 0;
        if (!out || !WriteFile(out.get(), kTlsSlotHelperImage, DWORD(kTlsSlotHelperImage_size), &written, nullptr) ||
            written != kTlsSlotHelperImage_size) {
            DeleteFileW(file);
            throw TlsError("the TLS slot library cannot be written (error " + std::to_string(GetLastError()) + ")");
        }
    }
    HMODULE helper = LoadLibraryExW(file, nullptr, 0);
    if (!helper) {
        const DWORD error = GetLastError();
        DeleteFileW(file);
        throw TlsError("the TLS slot library does not load (error " + std::to_string(error) + ")");
    }
    return helper;
}

template <typename F>
F HelperExport(HMODULE helper, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(helper, name)));
}

using ThreadNotify = void (*)(void*, DWORD);

}  // namespace

StaticTls::StaticTls(const pe::TlsLayout& layout, uint8_t* image) : layout_(layout), image_(image)
{
    // Blocks come from the process heap, as the system's own do, with its alignment.
    if (layout_.alignment > MEMORY_ALLOCATION_ALIGNMENT)
        throw TlsError("its block needs " + std::to_string(layout_.alignment) + "-byte alignment");
    if (!QueryThread()) throw TlsError("the threads' environment blocks cannot be reached");

    helper_ = LoadHelperCopy(helperPath_);
    try {
        const auto slotIndex = HelperExport<ULONG (*)()>(helper_, "TlsSlotIndex");
        const auto setNotify = HelperExport<void (*)(ThreadNotify, void*)>(helper_, "SetThreadNotify");
        if (!slotIndex || !setNotify) throw TlsError("the TLS slot library is damaged");
        index_ = slotIndex();
        // Index 0 belongs to the executable. A system that gives libraries loaded
        // at run time no slot leaves the index 0 or the slot empty: sharing
        // another module's slot would corrupt its data, so the module is refused.
        void** array = TlsArrayOf(CurrentTeb());
        if (index_ == 0 || !array || !array[index_])
            throw TlsError("the system gives no TLS slot to libraries loaded at run time");
        std::memcpy(image_ + layout_.indexRva, &index_, 4);

        {
            Locked lock;
            Shared().live.push_back(this);
        }
        // From here new threads are announced; those listed below already run.
        // A thread both announced and listed gets one block.
        setNotify(&StaticTls::Notify, this);
        const std::vector<DWORD> threads = ThreadsOfThisProcess();
        Locked lock;
        for (DWORD id : threads)
            if (void* teb = TebOf(id)) GiveBlock(teb, id);
    } catch (...) {
        Release();
        throw;
    }
}

StaticTls::~StaticTls() { Release(); }

void StaticTls::Release() noexcept
{
    if (helper_) {
        if (const auto setNotify = HelperExport<void (*)(ThreadNotify, void*)>(helper_, "SetThreadNotify"))
            setNotify(nullptr, nullptr);
    }
    {
        Locked lock;
        std::erase(Shared().live, this);
        // A thread that ended without telling (TerminateThread) is forgotten:
        // its block may be gone with it, and freeing it twice would be worse
        // than losing it.
        while (!blocks_.empty()) {
            const DWORD id = blocks_.back().threadId;
            if (void* teb = TebOf(id)) TakeBack(teb, id);
            else blocks_.pop_back();
        }
    }
    if (helper_) FreeLibrary(helper_);
    helper_ = nullptr;
    if (!helperPath_.empty()) DeleteFileW(helperPath_.c_str());
    helperPath_.clear();
}

void StaticTls::EnableThreadCallbacks(bool enabled)
{
    Locked lock;
    callbacks_ = enabled;
}

void* StaticTls::NewBlock() const
{
    void* block = HeapAlloc(GetProcessHeap(), 0, std::max<size_t>(size_t(layout_.BlockSize()), 1));
    if (!block) return nullptr;
    std::memcpy(block, image_ + layout_.templateRva, layout_.templateSize);
    std::memset(static_cast<uint8_t*>(block) + layout_.templateSize, 0, layout_.zeroFill);
    return block;
}

void StaticTls::GiveBlock(void* teb, DWORD threadId)
{
    void** array = TlsArrayOf(teb);
    // A thread still starting has no array yet: its announcement comes later.
    if (!array) return;
    if (std::any_of(blocks_.begin(), blocks_.end(), [&](const ThreadBlock& b) { return b.threadId == threadId; }))
        return;
    void* block = NewBlock();
    if (!block) return;  // the module's TLS reads on this thread see the slot library's empty block
    blocks_.push_back({threadId, block, array[index_]});
    array[index_] = block;
}

void StaticTls::TakeBack(void* teb, DWORD threadId)
{
    const auto it = std::find_if(blocks_.begin(), blocks_.end(), [&](const ThreadBlock& b) { return b.threadId == threadId; });
    if (it == blocks_.end()) return;
    void** array = TlsArrayOf(teb);
    // Only a block still in place is ours to free; the system frees whatever it finds there.
    if (array && array[index_] == it->ours) {
        array[index_] = it->original;
        HeapFree(GetProcessHeap(), 0, it->ours);
    }
    blocks_.erase(it);
}

void StaticTls::RunCallbacks(DWORD reason) const
{
    for (uint32_t rva : layout_.callbackRvas)
        reinterpret_cast<PIMAGE_TLS_CALLBACK>(image_ + rva)(image_, reason, nullptr);
}

void StaticTls::Notify(void* context, DWORD reason)
{
    Locked lock;
    auto& live = Shared().live;
    if (std::find(live.begin(), live.end(), context) == live.end()) return;
    auto* self = static_cast<StaticTls*>(context);
    // The block is in place before the module's callbacks see the thread, and
    // taken back after they have seen it end, as the system does.
    if (reason == DLL_THREAD_ATTACH) {
        self->GiveBlock(CurrentTeb(), GetCurrentThreadId());
        if (self->callbacks_) self->RunCallbacks(DLL_THREAD_ATTACH);
    } else if (reason == DLL_THREAD_DETACH) {
        if (self->callbacks_) self->RunCallbacks(DLL_THREAD_DETACH);
        self->TakeBack(CurrentTeb(), GetCurrentThreadId());
    }
}

}  // namespace flashrt
