#pragma once
// Access to the fixture libraries and to the places inside them that the tests
// damage or inspect, found by reading the headers independently of the core.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace pe_test {

struct FixtureInfo {
    const char* name;
    bool is64;
    uint64_t imageBase;
};
inline void PrintTo(const FixtureInfo& fixture, std::ostream* out) { *out << fixture.name; }

// Every fixture library the build makes.
const std::vector<FixtureInfo>& AllFixtures();

std::vector<uint8_t> LoadFixture(const std::string& name);

uint32_t Get32(const std::vector<uint8_t>& b, size_t at);
uint16_t Get16(const std::vector<uint8_t>& b, size_t at);
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v);
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v);
uint64_t GetPointer(const std::vector<uint8_t>& b, size_t at, bool is64);

// Offsets in a file image.
struct Layout {
    size_t nt = 0;
    size_t optional = 0;
    size_t sectionTable = 0;
    uint16_t sectionCount = 0;
    bool is64 = false;
    size_t Directory(size_t index) const { return optional + (is64 ? 112 : 96) + 8 * index; }
    size_t Section(size_t index) const { return sectionTable + 40 * index; }
};
Layout ReadLayout(const std::vector<uint8_t>& file);
// File offset of an address in the image, through the section table.
size_t FileOffsetOf(const std::vector<uint8_t>& file, uint32_t rva);
// Index of the first section with the given name.
size_t SectionIndex(const std::vector<uint8_t>& file, const std::string& name);

}  // namespace pe_test
