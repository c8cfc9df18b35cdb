#pragma once
// TMapString2String: an ordered list of string pairs looked up by key ignoring
// letter case; the first match wins, duplicates are kept.
#include <string>
#include <string_view>
#include <vector>

namespace flashrt {

struct TStringPair {
    std::string Key;
    std::string Value;
};

class TMapString2String {
public:
    void Add(std::string key, std::string value);
    bool Find(std::string_view key, std::string& value) const;
    size_t Count() const { return pairs_.size(); }

private:
    std::vector<TStringPair> pairs_;
};

}  // namespace flashrt
