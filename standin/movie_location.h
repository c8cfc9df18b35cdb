// How the runtime tells a movie path from a movie URL, and the file URL it
// falls back to when a path cannot be opened as a file.
#pragma once

#include <string>

namespace standin {

// "C:\a.swf", "movie.swf" and "\\server\a.swf" are paths; "file:///C:/a.swf" and
// "http://x/" are URLs (a scheme of two or more characters before ':').
bool IsUrl(const std::wstring& location);

// "C:\dir\a.swf" -> "file:///C:/dir/a.swf".
std::wstring FileUrlFromPath(const std::wstring& path);

}  // namespace standin
