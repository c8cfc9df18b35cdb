/* A large module for the loader benchmark: 16 MB of absolute addresses (one
   base relocation each) and a little code. */
#include <windows.h>

__declspec(dllexport) int bench_target = 7;

#ifdef _WIN64
__asm__(".data\n.globl bench_table\n.p2align 4\nbench_table:\n.rept 2097152\n.quad bench_target\n.endr\n.text\n");
#else
__asm__(".data\n.globl _bench_table\n.p2align 4\n_bench_table:\n.rept 4194304\n.long _bench_target\n.endr\n.text\n");
#endif

extern int* bench_table[];

/* Reads entries spread over the table, so the caller knows the relocations took effect. */
__declspec(dllexport) int bench_check(void)
{
    int sum = 0;
    for (unsigned i = 0; i < 16 * 1024 * 1024 / sizeof(void*); i += 4093) sum += *bench_table[i];
    return sum;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance; (void)reason; (void)reserved;
    return TRUE;
}
