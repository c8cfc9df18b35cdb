#include "flashrt/string_map.h"

#include <algorithm>

namespace flashrt {

static bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

void TMapString2String::Add(std::string key, std::string value)
{
    pairs_.push_back({std::move(key), std::move(value)});
}

bool TMapString2String::Find(std::string_view key, std::string& value) const
{
    for (const TStringPair& p : pairs_) {
        if (EqualIgnoringCase(p.Key, key)) {
            value = p.Value;
            return true;
        }
    }
    return false;
}

}  // namespace flashrt
