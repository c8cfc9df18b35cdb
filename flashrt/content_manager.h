#pragma once
// The decisions of the content manager, free of COM: the pseudo paths under which
// movies held in memory are offered to the runtime, how a requested URL is matched
// against them, where requests for companion files are redirected, and the
// bookkeeping of registered streams and of the controls that own pseudo ids.
// content_manager_win.h puts monikers, streams and file handles around it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace flashrt {

// Marks a path as served from memory; nothing on disk carries it.
inline constexpr std::string_view kMemoryContentMarker = "46A10F369771449587DE913EFC0A258C";
inline constexpr std::string_view kMemoryMovieFileName = "E4ED7C01D28A43418DBF2CB92CC35E56.swf";
inline constexpr std::string_view kPseudoPathFormat = "Z:\\FromMemory\\%s\\%d\\%s";
// A placeholder the control is pointed at before each pseudo path, so that the runtime
// sees a change of movie even when it played a pseudo path before. It is the marker
// without its last digit on purpose: it must never parse as a pseudo URL.
inline constexpr std::string_view kResetURL = "file://46A10F369771449587DE913EFC0A258";

// "Z:\FromMemory\<marker>\<id>\<movie file name>"
std::string FormatPseudoPath(int32_t id);

struct PseudoURL {
    int32_t Id = 0;
    std::string RelativePath;  // may contain further '/'
    bool operator==(const PseudoURL&) const = default;
};

// Finds the marker (case-sensitive) in url, with '\' read as '/', and splits what
// follows into "<id>/<relative path>". An id that is not a decimal number fitting
// 32 bits means the URL is not a pseudo URL.
std::optional<PseudoURL> ParsePseudoURL(std::string_view url);

// Two URLs name the same content when both are pseudo URLs with equal id and relative
// path, or when neither is and they are equal texts.
bool SameContentURL(std::string_view a, std::string_view b);

// Companion files asked for under a pseudo path are looked for under the control's
// base directory: URL form with '/' separators, file form with '\' separators.
std::string RedirectedURL(std::string_view base, std::string_view relativePath);
std::string RedirectedFilePath(std::string_view base, std::string_view relativePath);

// The relative path handed to the application's resource handler has no leading '/'.
std::string_view StripOneLeadingSlash(std::string_view relativePath);

// Registered streams (served once each) and the pseudo ids each control owns.
// Stream is a move-only or shared handle; Control is a non-owning pointer.
template <class Stream, class Control>
class ContentRegistry {
public:
    // The next pseudo path; every call gives a new number, starting at 1.
    std::string NewPseudoPath() { return FormatPseudoPath(nextId_++); }
    int32_t NextId() const { return nextId_; }

    void AddStream(std::string url, Stream stream) { pairs_.emplace_back(std::move(url), std::move(stream)); }

    bool HasStream(std::string_view url) const { return FindPair(url) != pairs_.end(); }

    // Hands out the first matching registration and forgets it: a registered movie
    // is served to one binding only.
    std::optional<Stream> TakeStream(std::string_view url)
    {
        auto it = FindPair(url);
        if (it == pairs_.end()) return std::nullopt;
        std::optional<Stream> taken(std::move(it->second));
        pairs_.erase(it);
        return taken;
    }

    size_t StreamCount() const { return pairs_.size(); }

    void RegisterControl(int32_t id, Control control) { controls_.emplace_back(id, control); }

    Control FindControl(int32_t id) const
    {
        for (const auto& [pairId, control] : controls_)
            if (pairId == id) return control;
        return Control{};
    }

    // Registered streams stay: a binding in flight may still take them.
    void ForgetControl(Control control)
    {
        for (size_t i = controls_.size(); i-- > 0;)
            if (controls_[i].second == control) controls_.erase(controls_.begin() + static_cast<ptrdiff_t>(i));
    }

private:
    using Pair = std::pair<std::string, Stream>;
    typename std::vector<Pair>::const_iterator FindPair(std::string_view url) const
    {
        for (auto it = pairs_.begin(); it != pairs_.end(); ++it)
            if (SameContentURL(it->first, url)) return it;
        return pairs_.end();
    }
    typename std::vector<Pair>::iterator FindPair(std::string_view url)
    {
        for (auto it = pairs_.begin(); it != pairs_.end(); ++it)
            if (SameContentURL(it->first, url)) return it;
        return pairs_.end();
    }

    int32_t nextId_ = 1;
    std::vector<Pair> pairs_;
    std::vector<std::pair<int32_t, Control>> controls_;
};

}  // namespace flashrt
