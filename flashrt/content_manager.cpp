#include "flashrt/content_manager.h"

#include <algorithm>
#include <charconv>

namespace flashrt {

std::string FormatPseudoPath(int32_t id)
{
    std::string path = "Z:\\FromMemory\\";
    path += kMemoryContentMarker;
    path += '\\';
    path += std::to_string(id);
    path += '\\';
    path += kMemoryMovieFileName;
    return path;
}

std::optional<PseudoURL> ParsePseudoURL(std::string_view url)
{
    std::string text(url);
    std::replace(text.begin(), text.end(), '\\', '/');

    const size_t marker = text.find(kMemoryContentMarker);
    if (marker == std::string::npos) return std::nullopt;
    // Skip the marker and the separator after it.
    const size_t restStart = marker + kMemoryContentMarker.size() + 1;
    if (restStart >= text.size()) return std::nullopt;
    const std::string_view rest = std::string_view(text).substr(restStart);

    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;

    // Only plain decimal digits: a sign, hex prefix or stray text means a path of
    // someone else's that merely contains the marker.
    const std::string_view idText = rest.substr(0, slash);
    if (idText.empty() || !std::all_of(idText.begin(), idText.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int32_t id = 0;
    const auto [end, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
    if (ec != std::errc() || end != idText.data() + idText.size()) return std::nullopt;

    return PseudoURL{id, std::string(rest.substr(slash + 1))};
}

bool SameContentURL(std::string_view a, std::string_view b)
{
    const auto pa = ParsePseudoURL(a);
    const auto pb = ParsePseudoURL(b);
    if (pa && pb) return *pa == *pb;
    if (pa || pb) return false;
    return a == b;
}

std::string RedirectedURL(std::string_view base, std::string_view relativePath)
{
    std::string url(base);
    url += '/';
    url += relativePath;
    std::replace(url.begin(), url.end(), '\\', '/');
    return url;
}

std::string RedirectedFilePath(std::string_view base, std::string_view relativePath)
{
    std::string path(base);
    path += '\\';
    path += relativePath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string_view StripOneLeadingSlash(std::string_view relativePath)
{
    if (!relativePath.empty() && relativePath.front() == '/') relativePath.remove_prefix(1);
    return relativePath;
}

}  // namespace flashrt
