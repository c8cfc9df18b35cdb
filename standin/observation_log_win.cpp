#include "standin/observation_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace standin {
namespace {

// Initialised on first use from any thread; InitOnce keeps that race-free
// without static-initialisation guards or thread-local storage.
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
CRITICAL_SECTION g_lock;

BOOL CALLBACK InitLock(PINIT_ONCE, PVOID, PVOID*) {
  InitializeCriticalSection(&g_lock);
  return TRUE;
}

}  // namespace

void Log(const char* format, ...) {
  char line[2048];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(line, sizeof line - 3, format, args);
  va_end(args);
  if (n < 0) return;
  if (n > static_cast<int>(sizeof line) - 3) n = sizeof line - 3;
  line[n] = '\r';
  line[n + 1] = '\n';
  line[n + 2] = 0;

  InitOnceExecuteOnce(&g_once, InitLock, nullptr, nullptr);
  EnterCriticalSection(&g_lock);
  OutputDebugStringA(line);
  wchar_t path[MAX_PATH];
  DWORD len = GetEnvironmentVariableW(L"FLASH_STANDIN_LOG", path, MAX_PATH);
  if (len > 0 && len < MAX_PATH) {
    // Wide open: the narrow file-open import is reserved for movies, which the log must not disturb.
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line, static_cast<DWORD>(n + 2), &written, nullptr);
      CloseHandle(file);
    }
  }
  LeaveCriticalSection(&g_lock);
}

}  // namespace standin
