// Module-wide state of the stand-in DLL: its instance handle and the count of
// live objects and server locks that DllCanUnloadNow consults.
#pragma once

#include <windows.h>

namespace standin {

HINSTANCE ModuleInstance();
void ModuleAddRef();
void ModuleRelease();

// Major, minor, build and revision of the runtime this build pretends to be.
#ifndef STANDIN_VERSION_MAJOR
#define STANDIN_VERSION_MAJOR 10
#define STANDIN_VERSION_MINOR 0
#define STANDIN_VERSION_BUILD 45
#define STANDIN_VERSION_REVISION 2
#endif

}  // namespace standin
