// Damaged images: each validation rule gives a clear error, never a crash (the
// native build runs these under AddressSanitizer and UBSan).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "flashrt/pe_image.h"
#include "flashrt/pe_inspect.h"
#include "flashrt/pe_mapping.h"
#include "flashrt/pe_resources.h"
#include "pe_fixture.h"
#include "tools/runtime_module.h"

using namespace flashrt::pe;
using namespace pe_test;

namespace {

using Bytes = std::vector<uint8_t>;

struct Damage {
    const char* what;
    std::function<void(Bytes&, const pe_test::Layout&)> apply;
    const char* expected;  // part of the error text
};

uint32_t SizeOfImage(const Bytes& f, const pe_test::Layout& l) { return Get32(f, l.optional + 56); }
// Where a data directory starts in the file (0 exports, 1 imports, 2 resources,
// 5 the first relocation block).
size_t Dir(const Bytes& f, const pe_test::Layout& l, size_t i) { return FileOffsetOf(f, Get32(f, l.Directory(i))); }

const std::vector<Damage> kDamages = {
    {"truncated DOS header", [](Bytes& f, auto&) { f.resize(0x20); }, "truncated DOS header"},
    {"no MZ", [](Bytes& f, auto&) { f[0] = 'X'; }, "missing MZ"},
    {"e_lfanew past the end", [](Bytes& f, auto&) { Put32(f, 0x3C, uint32_t(f.size() - 4)); }, "NT headers"},
    {"e_lfanew huge", [](Bytes& f, auto&) { Put32(f, 0x3C, 0xFFFFFFF0); }, "NT headers"},
    {"no PE signature", [](Bytes& f, auto& l) { f[l.nt + 1] = 'X'; }, "missing PE signature"},
    {"truncated optional header", [](Bytes& f, auto& l) { f.resize(l.optional + 40); }, "optional header"},
    {"unknown magic", [](Bytes& f, auto& l) { Put16(f, l.optional, 0x999); }, "unknown optional header magic"},
    {"optional header too small", [](Bytes& f, auto& l) { Put16(f, l.nt + 20, 64); }, "optional header too small"},
    {"too many directories", [](Bytes& f, auto& l) { Put32(f, l.Directory(0) - 4, 17); }, "data directories"},
    {"section table past the end", [](Bytes& f, auto& l) { Put16(f, l.nt + 6, 0xFFFF); }, "section table"},
    {"SizeOfImage zero", [](Bytes& f, auto& l) { Put32(f, l.optional + 56, 0); }, "SizeOfImage is 0"},
    {"SizeOfImage huge", [](Bytes& f, auto& l) { Put32(f, l.optional + 56, 0xFFFFF000); }, "too large"},
    {"SizeOfHeaders past the file",
     [](Bytes& f, auto& l) { Put32(f, l.optional + 60, uint32_t(f.size() + 0x1000)); }, "SizeOfHeaders"},
    {"entry point outside", [](Bytes& f, auto& l) { Put32(f, l.optional + 16, SizeOfImage(f, l)); }, "entry point"},
    {"section raw data past the file",
     [](Bytes& f, auto& l) { Put32(f, l.Section(0) + 20, uint32_t(f.size() - 4)); }, "raw data of section"},
    {"section outside the image",
     [](Bytes& f, auto& l) { Put32(f, l.Section(0) + 12, SizeOfImage(f, l) - 8); }, "lies outside the image"},
    {"section size wraps",
     [](Bytes& f, auto& l) { Put32(f, l.Section(0) + 8, 0xFFFFF000); }, "lies outside the image"},
    {"import directory outside",
     [](Bytes& f, auto& l) { Put32(f, l.Directory(1), SizeOfImage(f, l) - 4); }, "import directory lies outside"},
    {"relocation directory outside",
     [](Bytes& f, auto& l) { Put32(f, l.Directory(5) + 4, 0xFFFFFF00); }, "relocation directory lies outside"},
    {"relocation block of size 0", [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 5) + 4, 0); }, "has size 0"},
    {"relocation block of size 4", [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 5) + 4, 4); }, "has size 4"},
    {"relocation block past its directory",
     [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 5) + 4, Get32(f, l.Directory(5) + 4) + 8); },
     "runs past its directory"},
    {"relocation header cut by the directory size",
     [](Bytes& f, auto& l) { Put32(f, l.Directory(5) + 4, Get32(f, l.Directory(5) + 4) + 4); },
     "runs past its directory"},
    {"unknown relocation type",
     [](Bytes& f, auto& l) { Put16(f, Dir(f, l, 5) + 8, uint16_t(0x5000 | (Get16(f, Dir(f, l, 5) + 8) & 0xFFF))); },
     "unsupported relocation type 5"},
    {"relocation target outside",
     [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 5), SizeOfImage(f, l)); }, "relocation target"},
    {"import library name outside",
     [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 1) + 12, SizeOfImage(f, l) + 16); }, "import library name"},
    {"import address table outside",
     [](Bytes& f, auto& l) {
         Put32(f, Dir(f, l, 1) + 16, SizeOfImage(f, l) - 2);
         Put32(f, Dir(f, l, 1) + 4, 0);
     },
     "import lookup table"},
    {"import without address table", [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 1) + 16, 0); },
     "has no address table"},
    {"import name outside",
     [](Bytes& f, auto& l) {
         const size_t d = Dir(f, l, 1);
         Put32(f, FileOffsetOf(f, Get32(f, d + 16)), SizeOfImage(f, l) - 1);
         if (l.is64) Put32(f, FileOffsetOf(f, Get32(f, d + 16)) + 4, 0);
     },
     "import name"},
    {"export name table outside",
     [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 0) + 32, SizeOfImage(f, l) - 8); }, "export name table"},
    {"export name count huge",
     [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 0) + 24, 0x40000000); }, "export name table"},
    {"export ordinal beyond the address table",
     [](Bytes& f, auto& l) { Put32(f, Dir(f, l, 0) + 20, 0); }, "beyond the address table"},
    {"resource entries past the directory",
     [](Bytes& f, auto& l) { Put16(f, Dir(f, l, 2) + 14, 0xFFFF); }, "resource directory entries"},
    {"resource subdirectory outside",
     [](Bytes& f, auto& l) {
         // The version resource (type 16) is the last type entry of the root.
         const size_t root = Dir(f, l, 2);
         const size_t last = root + 16 + 8 * (Get16(f, root + 12) + Get16(f, root + 14) - 1);
         Put32(f, last + 4, 0xFFFFFF00);
     },
     "resource directory"},
    {"resource data outside",
     [](Bytes& f, auto& l) {
         // Every data entry is damaged: whichever the version lookup reaches.
         // Following the first entry of each level leads to the first data entry.
         const size_t root = Dir(f, l, 2);
         size_t first = root;
         for (int level = 0; level < 3; ++level) first = root + (Get32(f, first + 16 + 4) & 0x7FFFFFFF);
         for (size_t at = first; at + 16 <= root + Get32(f, l.Directory(2) + 4); at += 16)
             if (Get32(f, at + 12) == 0 && Get32(f, at + 4) != 0) Put32(f, at, SizeOfImage(f, l) - 2);
     },
     "resource data"},
    {"not a library", [](Bytes& f, auto& l) { Put16(f, l.nt + 22, Get16(f, l.nt + 22) & ~0x2000); }, "not a DLL"},
    {"machine of the other format",
     [](Bytes& f, auto& l) { Put16(f, l.nt + 4, l.is64 ? 0x014C : 0x8664); }, "unsupported machine"},
};

class Malformed : public ::testing::TestWithParam<const char*> {};

// Each damage is refused by the PE core with a PeError naming it, which is what
// swfpack info shows as the module's problem.
TEST_P(Malformed, EveryDamageIsNamedByTheCheck)
{
    const Bytes original = LoadFixture(GetParam());
    ASSERT_EQ(DescribeRuntimeModule(original).problem, "");
    for (const Damage& d : kDamages) {
        Bytes damaged = original;
        d.apply(damaged, pe_test::Layout(original));
        const RuntimeModuleSummary summary = DescribeRuntimeModule(damaged);
        EXPECT_EQ(summary.bits, 0u) << d.what << ": accepted";
        EXPECT_NE(summary.problem.find(d.expected), std::string::npos) << d.what << ": got \"" << summary.problem << "\"";
    }
}

TEST_P(Malformed, EveryTruncationIsRejectedCleanly)
{
    const Bytes original = LoadFixture(GetParam());
    const auto layout = pe_test::Layout(original);
    const size_t headersEnd = layout.sectionTable + 40 * layout.sectionCount;
    // Past the last byte any section takes from the file, only padding is lost.
    size_t needed = 0;
    for (const Section& s : ParseHeaders(original, flashrt::pe::Layout::File).sections)
        if (s.CopiedSize()) needed = std::max<size_t>(needed, s.pointerToRawData + s.CopiedSize());
    ASSERT_GT(needed, headersEnd);
    size_t rejected = 0;
    for (size_t size = 0; size < needed; size += (size < headersEnd + 64 ? 1 : 13)) {
        const Bytes cut(original.begin(), original.begin() + size);
        try {
            InspectRuntimeModule(cut);
        } catch (const PeError&) {
            ++rejected;
            continue;
        }
        ADD_FAILURE() << "a file cut to " << size << " bytes was accepted";
    }
    EXPECT_GT(rejected, headersEnd);
}

TEST_P(Malformed, ResourceLookupOnADamagedMappedImageThrowsInsteadOfReading)
{
    const Bytes file = LoadFixture(GetParam());
    const PeHeaders h = ParseHeaders(file, flashrt::pe::Layout::File);
    Bytes image = MapToBuffer(h, file);
    ASSERT_TRUE(FindModuleResource(image, 10, 100)) << "found before the damage";
    // The root's entry for type 10 (RCDATA) leads back to the root itself: the
    // lookup then searches the root for the id, then for the language.
    const uint32_t root = h.Directory(kResourceDirectory).rva;
    const uint32_t entries = Get16(image, root + 12) + Get16(image, root + 14);
    size_t rcdata = 0;
    for (size_t at = root + 16; at < root + 16 + 8 * entries; at += 8)
        if (Get32(image, at) == 10) rcdata = at;
    ASSERT_NE(rcdata, 0u);
    Put32(image, rcdata + 4, 0x80000000u);
    EXPECT_FALSE(FindModuleResource(image, 10, 100)) << "no type entry of the root is numbered 100";
    // Id 10 is found (the looping entry itself); its first "language" is a directory, not data.
    EXPECT_TRUE(FailsWith([&] { FindResource(h, image, 10, 10, LanguageChoice::First); }, "is a directory"));
    // A mapped image shorter than its SizeOfImage is refused.
    const Bytes shorter(image.begin(), image.begin() + image.size() / 2);
    EXPECT_THROW(FindModuleResource(shorter, 10, 100), PeError);
}

INSTANTIATE_TEST_SUITE_P(Both, Malformed, ::testing::Values("pe32_default", "pe64_default"));

}  // namespace
