#include "pe_fixture.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pe_test {

const std::vector<FixtureInfo>& AllFixtures()
{
    static const std::vector<FixtureInfo> all = {
        {"pe32_default", false, 0x20000000},
        {"pe32_page_aligned", false, 0x30000000},
        {"pe32_small_aligned", false, 0x10000000},
        {"pe64_default", true, 0x2A0000000},
        {"pe64_wide_aligned", true, 0x7FF650000000},
    };
    return all;
}

std::vector<uint8_t> LoadFixture(const std::string& name)
{
    const std::string path = std::string(SWFP_PE_FIXTURE_DIR) + "/" + name + ".dll";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("missing fixture " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    uint32_t v;
    std::memcpy(&v, &b.at(at + 3) - 3, 4);
    return v;
}
uint16_t Get16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b.at(at + 3) - 3, &v, 4); }
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b.at(at) = uint8_t(v);
    b.at(at + 1) = uint8_t(v >> 8);
}
uint64_t GetPointer(const std::vector<uint8_t>& b, size_t at, bool is64)
{
    return is64 ? (uint64_t(Get32(b, at + 4)) << 32 | Get32(b, at)) : Get32(b, at);
}

Layout ReadLayout(const std::vector<uint8_t>& file)
{
    Layout l;
    l.nt = Get32(file, 0x3C);
    l.optional = l.nt + 24;
    l.sectionCount = Get16(file, l.nt + 6);
    l.sectionTable = l.optional + Get16(file, l.nt + 20);
    l.is64 = Get16(file, l.optional) == 0x20B;
    return l;
}

size_t FileOffsetOf(const std::vector<uint8_t>& file, uint32_t rva)
{
    const Layout l = ReadLayout(file);
    for (size_t i = 0; i < l.sectionCount; ++i) {
        const size_t s = l.Section(i);
        const uint32_t va = Get32(file, s + 12), raw = Get32(file, s + 16), ptr = Get32(file, s + 20);
        if (rva >= va && rva < va + raw) return ptr + (rva - va);
    }
    throw std::runtime_error("address not backed by the file");
}

size_t SectionIndex(const std::vector<uint8_t>& file, const std::string& name)
{
    const Layout l = ReadLayout(file);
    for (size_t i = 0; i < l.sectionCount; ++i)
        if (std::strncmp(reinterpret_cast<const char*>(&file.at(l.Section(i))), name.c_str(), 8) == 0) return i;
    throw std::runtime_error("no section " + name);
}

}  // namespace pe_test
