/* A library with nothing but a static TLS directory. The system loader gives
 * each loaded copy a TLS index of its own, a block in every thread's TLS array
 * at that index, and tells it of every thread that starts or ends later. The
 * in-memory loader loads one copy per mapped module that uses static TLS and
 * lends that index to the module (static_tls_win.cpp). Built without any
 * runtime library: it must import nothing. */
#include <windows.h>

typedef void (*ThreadNotify)(void* context, DWORD reason);

static ThreadNotify volatile g_notify;
static void* volatile g_context;

ULONG _tls_index = 0;
/* The template: the system sizes and fills this copy's block from it. */
char _tls_start __attribute__((section(".tls"))) = 0;
char _tls_end __attribute__((section(".tls$ZZZ"))) = 0;

/* The linker makes this the image's TLS directory. */
const IMAGE_TLS_DIRECTORY _tls_used = {
    (ULONG_PTR)&_tls_start, (ULONG_PTR)&_tls_end, (ULONG_PTR)&_tls_index, 0, 0, 0,
};

__declspec(dllexport) ULONG TlsSlotIndex(void) { return _tls_index; }

/* The context is set before the routine, and the routine cleared first: a thread
 * that sees the routine also sees its context. */
__declspec(dllexport) void SetThreadNotify(ThreadNotify notify, void* context)
{
    if (notify) {
        g_context = context;
        MemoryBarrier();
        g_notify = notify;
    } else {
        g_notify = 0;
        MemoryBarrier();
        g_context = 0;
    }
}

BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_THREAD_ATTACH || reason == DLL_THREAD_DETACH) {
        ThreadNotify notify = g_notify;
        if (notify) notify(g_context, reason);
    }
    return TRUE;
}
