// Fetching a movie's bytes the way the runtime does: plain paths through
// CreateFileA, URLs through CreateURLMoniker and BindToStorage with our own
// bind status callback receiving the data chunk by chunk.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

struct FetchedMovie {
  bool ok = false;
  std::vector<uint8_t> bytes;
  int chunks = 0;
};

// Called after each chunk with the bytes received so far.
using FetchProgress = std::function<void(const std::vector<uint8_t>& soFar)>;

// A path that CreateFileA could not open is retried as a file:// URL through the moniker.
FetchedMovie FetchMovie(const std::wstring& location, const FetchProgress& progress);

std::string Utf8(const wchar_t* text);

}  // namespace standin
