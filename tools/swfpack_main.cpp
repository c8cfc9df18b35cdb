#include <iostream>
#include <string>
#include <vector>

#include "tools/swfpack.h"

#ifdef _WIN32
#include <windows.h>

// Wide arguments, so file names outside the ANSI code page reach the tool intact.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? static_cast<size_t>(size - 1) : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8.data(), size, nullptr, nullptr);
    args.push_back(std::move(utf8));
  }
  return RunSwfpack(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  return RunSwfpack(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
