#pragma once
#include <windows.h>

#include "flashrt/stream_adapter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

// Reads every block of the player package appended to `executablePath`
// except the movie, from the end of the file towards its start, and applies
// each one. Returns false only when the runtime-required warning was shown
// (start-up must then end); raises for a corrupt or unreadable package.
bool ReadPlayerPackage(const std::wstring& executablePath, HWND owner);
bool ReadPlayerPackage(); // the running executable, owned by no window

// Hands the package's movie block to `loadMovie` (the player control's
// loader) as a read-only stream over the executable file: nothing of the movie
// is read here, the reader of the stream reads it from the file as it goes.
// Does nothing when the file carries no package.
void LoadPackagedMovie(const std::wstring& executablePath,
                       const std::function<void(std::unique_ptr<flashrt::TStream>)>& loadMovie);
