#include "player/byte_size.h"

#include <cstdio>

std::string FormatFixed2(double value, char decimalSeparator)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string out = text;
    // snprintf uses the C locale's point; the label shows the user's separator
    if (const auto dot = out.find('.'); dot != std::string::npos)
        out[dot] = decimalSeparator;
    return out;
}

std::string FormatByteSize(uint32_t count, char decimalSeparator)
{
    constexpr double KB = 1024.0, MB = 1048576.0, GB = 1073741824.0;
    if (count < 1024)
        return std::to_string(count) + " Byte(s)";
    if (count < 1048576)
        return FormatFixed2(count / KB, decimalSeparator) + " KB";
    if (count < 1073741824)
        return FormatFixed2(count / MB, decimalSeparator) + " MB";
    return FormatFixed2(count / GB, decimalSeparator) + " GB";
}
