#include "player/about_texts.h"

#include <cstdio>

std::string AboutApplicationLine(const std::string& title) { return title.empty() ? kDefaultCreditLine : title; }

std::string AboutCompanyLine(const std::string& companyName, const std::string& legalCopyright)
{
    if (companyName.empty() && legalCopyright.empty())
        return {};
    std::string line = (companyName + " / ").substr(0, 33);
    line += legalCopyright;
    return line.substr(0, 63);
}

std::string AboutVersionLine(const std::array<int32_t, 4>& v)
{
    char text[64];
    std::snprintf(text, sizeof text, "v. %d.%d.%d.%d", int(v[0]), int(v[1]), int(v[2]), int(v[3]));
    return text;
}
