#pragma once
// Whole files read and written at once, for tests and the tools that make their inputs.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace swfp::test {

// The whole file, or nothing when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path);
// Replaces the file; throws when it cannot be written completely.
void WriteWholeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace swfp::test
