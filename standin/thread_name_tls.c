// Compiled with clang so that _Thread_local goes through the image's TLS
// directory (GCC for MinGW only emulates it). The initial value is template data
// every thread must receive; a thread that names itself changes only its own copy.
#include "standin/thread_name.h"

enum { kNameSize = 16 };
static _Thread_local char threadName[kNameSize] = "main";

const char* StandinThreadName(void) { return threadName; }

void StandinSetThreadName(const char* name)
{
    int i = 0;
    for (; name[i] && i < kNameSize - 1; ++i) threadName[i] = name[i];
    threadName[i] = '\0';
}
