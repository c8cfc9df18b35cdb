#pragma once
#include <cstdint>
#include <string>

// "1023 Byte(s)", "1.00 KB", "1.50 MB", "2.00 GB": the file-size label's text,
// with two decimals and the user's decimal separator.
std::string FormatByteSize(uint32_t count, char decimalSeparator = '.');

// Fixed notation with two decimals and the given separator (12 -> "12.00").
std::string FormatFixed2(double value, char decimalSeparator = '.');
