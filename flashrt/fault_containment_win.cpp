#include "flashrt/fault_containment_win.h"

#include <windows.h>

#include <cstdint>

namespace flashrt {

namespace {

// One guarded call on the stack of its thread; guards nest.
struct Guard {
    void* jump[5] = {};  // __builtin_setjmp's buffer
    Guard* outer = nullptr;
    // The handler sends the thread here to leave the faulted frames: a stack
    // that is surely committed and that nothing live uses.
    alignas(16) unsigned char landing[1024] = {};
};

// A TLS slot rather than thread_local: the handler must not allocate, and
// MinGW's emulated thread_local may.
DWORD GuardSlot()
{
    static const DWORD slot = TlsAlloc();
    return slot;
}

bool IsHardwareFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK:
        return true;
    default:
        // A stack overflow is left alone: its guard page is gone, and going on
        // would make the next overflow end the process without any report.
        return false;
    }
}

bool InsideSystemLoadedModule(const void* address)
{
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module) != 0;
}

[[noreturn]] __attribute__((noinline)) void JumpBack(Guard* guard) { __builtin_longjmp(guard->jump, 1); }

LONG CALLBACK OnException(EXCEPTION_POINTERS* info)
{
    auto* guard = static_cast<Guard*>(TlsGetValue(GuardSlot()));
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (!guard || !IsHardwareFault(record->ExceptionCode) || InsideSystemLoadedModule(record->ExceptionAddress))
        return EXCEPTION_CONTINUE_SEARCH;
    // Resume in JumpBack(guard) on the landing stack, as if just called there.
    const uintptr_t top = reinterpret_cast<uintptr_t>(guard->landing + sizeof guard->landing) & ~uintptr_t{15};
    CONTEXT* context = info->ContextRecord;
#ifdef _WIN64
    context->Rsp = top - 64 - 8;  // room for the callee's home area; rsp+8 16-aligned
    context->Rcx = reinterpret_cast<DWORD64>(guard);
    context->Rip = reinterpret_cast<DWORD64>(&JumpBack);
#else
    auto* stack = reinterpret_cast<DWORD*>(top - 16);
    stack[0] = 0;  // return address, never used
    stack[1] = reinterpret_cast<DWORD>(guard);
    context->Esp = reinterpret_cast<DWORD>(stack);
    context->Eip = reinterpret_cast<DWORD>(&JumpBack);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

class GuardScope {
public:
    explicit GuardScope(Guard& guard) : guard_(guard) { TlsSetValue(GuardSlot(), &guard_); }
    ~GuardScope() { TlsSetValue(GuardSlot(), guard_.outer); }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    Guard& guard_;
};

}  // namespace

__attribute__((noinline)) bool CallContainingFaults(void (*fn)(void*), void* context)
{
    // First in line, for the process's whole life.
    static const PVOID handler = AddVectoredExceptionHandler(1, &OnException);
    if (!handler) {
        fn(context);
        return true;
    }
    Guard guard;
    guard.outer = static_cast<Guard*>(TlsGetValue(GuardSlot()));
    if (__builtin_setjmp(guard.jump)) {
        TlsSetValue(GuardSlot(), guard.outer);
        return false;
    }
    GuardScope scope(guard);
    fn(context);
    return true;
}

}  // namespace flashrt
