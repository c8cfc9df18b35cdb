#pragma once
// The fixture libraries the build makes (pe32_* and pe64_*), and the places inside them that the
// tests damage or inspect, found by reading the headers independently of the core.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "flashrt/pe_image.h"
#include "tests/support/file_bytes.h"

namespace pe_test {

inline std::vector<uint8_t> LoadFixture(const std::string& name)
{
    const std::string path = std::string(SWFP_PE_FIXTURE_DIR) + "/" + name + ".dll";
    std::vector<uint8_t> bytes = swfp::test::ReadWholeFile(path);
    if (bytes.empty()) throw std::runtime_error("missing fixture " + path);
    return bytes;
}

// Little-endian fields at checked offsets.
inline uint64_t GetBytes(const std::vector<uint8_t>& b, size_t at, size_t count)
{
    uint64_t v = 0;
    for (size_t i = count; i-- > 0;) v = v << 8 | b.at(at + i);
    return v;
}
inline uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return uint32_t(GetBytes(b, at, 4)); }
inline uint16_t Get16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(GetBytes(b, at, 2)); }
inline uint64_t GetPointer(const std::vector<uint8_t>& b, size_t at, bool is64) { return GetBytes(b, at, is64 ? 8 : 4); }
inline void PutBytes(std::vector<uint8_t>& b, size_t at, uint64_t v, size_t count)
{
    for (size_t i = 0; i < count; ++i) b.at(at + i) = uint8_t(v >> 8 * i);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { PutBytes(b, at, v, 4); }
inline void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) { PutBytes(b, at, v, 2); }

// Offsets in a file image.
struct Layout {
    explicit Layout(const std::vector<uint8_t>& file)
        : nt(Get32(file, 0x3C)), optional(nt + 24), sectionTable(optional + Get16(file, nt + 20)),
          sectionCount(Get16(file, nt + 6)), is64(Get16(file, optional) == 0x20B)
    {
    }
    size_t nt, optional, sectionTable;
    uint16_t sectionCount;
    bool is64;
    size_t Directory(size_t index) const { return optional + (is64 ? 112 : 96) + 8 * index; }
    size_t Section(size_t index) const { return sectionTable + 40 * index; }
};

// File offset of an address in the image, through the section table.
inline size_t FileOffsetOf(const std::vector<uint8_t>& file, uint32_t rva)
{
    const Layout l(file);
    for (size_t i = 0; i < l.sectionCount; ++i) {
        const uint32_t va = Get32(file, l.Section(i) + 12), raw = Get32(file, l.Section(i) + 16);
        if (rva >= va && rva < va + raw) return Get32(file, l.Section(i) + 20) + (rva - va);
    }
    throw std::runtime_error("address not backed by the file");
}

// Passes when the step throws a PeError whose text contains `expected`.
template <typename Step>
::testing::AssertionResult FailsWith(Step step, const std::string& expected)
{
    try {
        step();
    } catch (const flashrt::pe::PeError& e) {
        if (std::string(e.what()).find(expected) != std::string::npos) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "threw \"" << e.what() << "\", not \"" << expected << "\"";
    }
    return ::testing::AssertionFailure() << "accepted, where \"" << expected << "\" was expected";
}

}  // namespace pe_test
