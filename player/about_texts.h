#pragma once
// The texts of the About window, from the settings' counted strings.
#include <array>
#include <cstdint>
#include <string>

inline constexpr const char* kDefaultCreditLine = "Tavolin created by Quindo Vexlor";

// The movie title, or the credit line when there is no title.
std::string AboutApplicationLine(const std::string& title);
// Company and copyright: "Company / " cut to 33 characters, then the copyright,
// the whole cut to 63; empty when both are empty.
std::string AboutCompanyLine(const std::string& companyName, const std::string& legalCopyright);
// "v. 1.0.0.0": the four numbers as signed decimals.
std::string AboutVersionLine(const std::array<int32_t, 4>& fileVersion);
