#include "standin/movie_location.h"

namespace standin {

bool IsUrl(const std::wstring& location) {
  size_t colon = location.find(L':');
  if (colon == std::wstring::npos || colon < 2) return false;  // "C:\..." is a drive, not a scheme
  for (size_t i = 0; i < colon; ++i) {
    wchar_t c = location[i];
    bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    bool later = i > 0 && ((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.');
    if (!letter && !later) return false;
  }
  return true;
}

std::wstring FileUrlFromPath(const std::wstring& path) {
  std::wstring url = L"file:///" + path;
  for (wchar_t& c : url)
    if (c == L'\\') c = L'/';
  return url;
}

}  // namespace standin
