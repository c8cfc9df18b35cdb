// The PE core against real libraries made by both MinGW compilers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "flashrt/pe_exports.h"
#include "flashrt/pe_image.h"
#include "flashrt/pe_imports.h"
#include "flashrt/pe_inspect.h"
#include "flashrt/pe_mapping.h"
#include "flashrt/pe_resources.h"
#include "flashrt/pe_stream.h"
#include "flashrt/pe_tls.h"
#include "flashrt/pe_version.h"
#include "pe_fixture.h"
#include "tools/runtime_module.h"

using namespace flashrt::pe;
using namespace pe_test;

namespace {

class FixtureTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        file = LoadFixture(GetParam());
        headers = ParseHeaders(file, flashrt::pe::Layout::File);
        image = MapToBuffer(headers, file);
    }
    std::vector<uint8_t> file;
    PeHeaders headers;
    std::vector<uint8_t> image;
};

// Gives at most a few bytes per read, as a pipe or an inflater may.
struct TricklingSource : ByteSource {
    explicit TricklingSource(std::span<const uint8_t> bytes) : bytes(bytes) {}
    size_t Read(std::span<uint8_t> into) override
    {
        const size_t n = std::min({into.size(), bytes.size() - at, size_t(7)});
        std::copy_n(bytes.begin() + at, n, into.begin());
        at += n;
        return n;
    }
    std::span<const uint8_t> bytes;
    size_t at = 0;
};

std::vector<uint8_t> Stream(std::span<const uint8_t> file)
{
    TricklingSource source(file);
    std::vector<uint8_t> region;
    StreamImage(source, [&](const PeHeaders& h) {
        region.assign(h.sizeOfImage, 0);
        return std::span<uint8_t>(region);
    });
    return region;
}

TEST_P(FixtureTest, SectionsAreCopiedUpToTheSmallerSizeAndZeroFilledBeyondAlsoWhenStreamed)
{
    // Mark the file's padding past each section's virtual size, and start from
    // a dirty region: only the section bytes may come through.
    std::vector<uint8_t> marked = file;
    bool rawLarger = false, rawSmaller = false;
    for (const Section& s : headers.sections) {
        if (s.sizeOfRawData > s.virtualSize) {
            rawLarger = true;
            std::fill(marked.begin() + s.pointerToRawData + s.virtualSize,
                      marked.begin() + s.pointerToRawData + s.sizeOfRawData, 0xAA);
        }
        if (s.sizeOfRawData < s.virtualSize) rawSmaller = true;
    }
    ASSERT_TRUE(rawLarger && rawSmaller) << "the fixture should have both kinds of section";

    std::vector<uint8_t> region(headers.sizeOfImage, 0xCC);
    CopyHeadersAndSections(headers, marked, region);
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + headers.sizeOfHeaders, region.begin()));
    for (const Section& s : headers.sections) {
        const uint32_t copied = std::min(s.virtualSize, s.sizeOfRawData);
        EXPECT_TRUE(std::equal(file.begin() + s.pointerToRawData, file.begin() + s.pointerToRawData + copied,
                               region.begin() + s.virtualAddress))
            << s.name;
        EXPECT_TRUE(std::all_of(region.begin() + s.virtualAddress + copied,
                                region.begin() + s.virtualAddress + s.virtualSize, [](uint8_t b) { return b == 0; }))
            << s.name << " is not zero-filled up to its virtual size";
    }
    EXPECT_EQ(std::count(region.begin(), region.end(), 0xAA), std::count(image.begin(), image.end(), 0xAA))
        << "file padding leaked into the image";
    EXPECT_EQ(Stream(file), image) << "streaming maps the same image as the whole-file copy";
}

TEST_P(FixtureTest, RelocationsMoveTheAbsoluteAddressesByDelta)
{
    const bool is64 = headers.is64;
    const auto rva = [&](const char* name) { return FindExport(headers, image, name).value().rva; };
    const uint32_t table = rva("fixture_pointer_table");
    const uint32_t targets[3] = {rva("export_10"), rva("export_42"), rva("export_87")};
    // At the preferred base the table holds the linker's addresses.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(GetPointer(image, table + i * headers.PointerSize(), is64), headers.imageBase + targets[i]);

    std::vector<uint64_t> deltas = {0x10000, uint64_t(-0x10000), 0x7FFF0000, 0x1000};
    if (is64) deltas.push_back(0x100000000ull), deltas.push_back(uint64_t(-0x200000000ll));
    for (uint64_t delta : deltas) {
        std::vector<uint8_t> moved = image;
        EXPECT_GE(ApplyRelocations(headers, moved, delta), 3u);
        const uint64_t newBase = is64 ? headers.imageBase + delta : uint32_t(headers.imageBase + delta);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(GetPointer(moved, table + i * headers.PointerSize(), is64),
                      is64 ? newBase + targets[i] : uint32_t(newBase + targets[i]))
                << "delta " << delta;
    }
}

TEST_P(FixtureTest, StreamingRefusesCutFilesAndRawDataThatWouldBeReadTwice)
{
    const auto layout = pe_test::Layout(file);
    const std::vector<std::pair<const char*, std::function<void(std::vector<uint8_t>&)>>> damages = {
        {"ends at byte", [&](auto& f) { f.resize(f.size() / 2); }},
        {"ends at byte", [&](auto& f) { f.resize(0x30); }},
        {"overlaps", [&](auto& f) { Put32(f, layout.Section(1) + 20, Get32(f, layout.Section(0) + 20)); }},
        {"overlaps", [&](auto& f) { Put32(f, layout.Section(0) + 20, 0x10); }},
        {"outside SizeOfHeaders", [&](auto& f) { Put32(f, layout.optional + 60, uint32_t(layout.sectionTable)); }},
    };
    for (const auto& [expected, damage] : damages) {
        std::vector<uint8_t> damaged = file;
        damage(damaged);
        EXPECT_TRUE(FailsWith([&] { Stream(damaged); }, expected));
    }
}

// Records each import offered as "library!name" or "library#ordinal". The hook
// takes dep_named; the resolver answers an import by ordinal with 0x5000 plus
// its ordinal, one by name with 0x6000.
struct RecordingBinder : ImportBinder {
    void BeginLibrary(const char* library) override { libraries.emplace_back(library); }
    uint64_t Hook(const char* library, const ImportedName& import) override
    {
        hooked.push_back(Key(library, import));
        return hooked.back() == "fixture_dep.dll!dep_named" ? 0xAB00 : 0;
    }
    uint64_t Resolve(const char* library, const ImportedName& import) override
    {
        resolved.push_back(Key(library, import));
        return import.ByOrdinal() ? 0x5000 + import.ordinal : 0x6000;
    }
    static std::string Key(const char* library, const ImportedName& i)
    {
        return library + (i.ByOrdinal() ? "#" + std::to_string(i.ordinal) : std::string("!") + i.name);
    }
    std::vector<std::string> libraries, hooked, resolved;
};

TEST_P(FixtureTest, ImportsGoToTheHookFirstAndTheStampChoosesWhichTableHoldsTheNames)
{
    // Libraries are visited in directory order (the linker's choice, read here
    // independently of the core), each import in its table order.
    const std::map<std::string, std::vector<std::string>> offered = {
        {"KERNEL32.dll", {"KERNEL32.dll!GetTickCount"}},
        {"fixture_dep.dll", {"fixture_dep.dll!dep_named", "fixture_dep.dll#4103"}}};
    std::vector<std::string> libraries, hooked;
    size_t dep = 0;
    for (size_t at = headers.Directory(kImportDirectory).rva; Get32(image, at + 12) != 0; at += 20) {
        libraries.emplace_back(reinterpret_cast<const char*>(&image.at(Get32(image, at + 12))));
        hooked.insert(hooked.end(), offered.at(libraries.back()).begin(), offered.at(libraries.back()).end());
        if (libraries.back() == "fixture_dep.dll") dep = at;
    }
    RecordingBinder binder;
    std::vector<uint8_t> bound = image;
    BindImports(headers, bound, binder);
    EXPECT_EQ(binder.libraries, libraries);
    EXPECT_EQ(binder.hooked, hooked);
    // Only the imports the hook declines reach the resolver.
    std::erase(hooked, "fixture_dep.dll!dep_named");
    EXPECT_EQ(binder.resolved, hooked);

    const uint32_t lookup = Get32(image, dep), iat = Get32(image, dep + 16);
    const size_t w = headers.PointerSize();
    const struct {
        const char* what;
        uint32_t stamp;
        uint32_t ruined;  // table filled with garbage, never to be read
        bool withoutLookup;
    } cases[] = {
        {"stamp 0: names come from the address table", 0, lookup, false},
        {"a stamp: the address table holds bound addresses, names come from the lookup table", 1, iat, false},
        {"a stamp without lookup table: names are still in the address table", 0xFFFFFFFF, 0, true},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> copy = image;
        Put32(copy, dep + 4, c.stamp);
        if (c.ruined) std::fill(copy.begin() + c.ruined, copy.begin() + c.ruined + 2 * w, 0xEE);
        if (c.withoutLookup) Put32(copy, dep, 0);
        BindImports(headers, copy, binder);
        // The address table receives the hook's and the resolver's answers (the
        // ordinal needs all its 16 bits), and keeps its terminator.
        EXPECT_EQ(GetPointer(copy, iat, headers.is64), 0xAB00u) << c.what;
        EXPECT_EQ(GetPointer(copy, iat + w, headers.is64), 0x5000u + 4103) << c.what;
        EXPECT_EQ(GetPointer(copy, iat + 2 * w, headers.is64), 0u) << c.what << ": terminator overwritten";
    }
}

TEST_P(FixtureTest, ExportsAreFoundByExactNameAndForwardersAreRecognised)
{
    std::map<uint32_t, std::string> seen;
    for (int group = 1; group <= 8; ++group)
        for (int i = 0; i < 8; ++i) {
            const std::string name = "export_" + std::to_string(group * 10 + i);
            const auto e = FindExport(headers, image, name);
            ASSERT_TRUE(e) << name;
            EXPECT_FALSE(e->forwarder);
            EXPECT_TRUE(seen.emplace(e->rva, name).second) << name << " shares an address";
            EXPECT_LT(e->rva, headers.sizeOfImage);
        }
    EXPECT_TRUE(FindExport(headers, image, "Fixture_MixedCase"));
    EXPECT_FALSE(FindExport(headers, image, "fixture_mixedcase"));
    EXPECT_FALSE(FindExport(headers, image, "export_1"));
    EXPECT_FALSE(FindExport(headers, image, "export_100"));

    const auto named = FindExport(headers, image, "fixture_forward_named");
    ASSERT_TRUE(named && named->forwarder);
    EXPECT_EQ(named->forwarder->library, "KERNEL32");
    EXPECT_EQ(named->forwarder->name, "GetTickCount");
    const auto byOrdinal = FindExport(headers, image, "fixture_forward_ordinal");
    ASSERT_TRUE(byOrdinal && byOrdinal->forwarder);
    EXPECT_EQ(byOrdinal->forwarder->library, "fixture_dep");
    EXPECT_TRUE(byOrdinal->forwarder->ByOrdinal());
    EXPECT_EQ(byOrdinal->forwarder->ordinal, 4103);
}

TEST_P(FixtureTest, ResourcesAreTakenInUsEnglishOrNeutralOnly)
{
    const auto text = [](const std::optional<std::span<const uint8_t>>& r) {
        return r ? std::string(reinterpret_cast<const char*>(r->data())) : "(none)";
    };
    const auto rcdata = [&](uint16_t id) { return text(FindModuleResource(image, 10, id)); };
    EXPECT_EQ(rcdata(100), "english-us");
    EXPECT_EQ(rcdata(101), "neutral");
    EXPECT_EQ(rcdata(102), "(none)") << "a resource only in German must not be found";
    EXPECT_EQ(rcdata(103), "english-us-103") << "the German entry comes first and must be passed over";
    EXPECT_EQ(rcdata(104), "(none)");
    EXPECT_FALSE(FindModuleResource(image, 9, 100)) << "no such type";
    EXPECT_EQ(text(FindResource(headers, image, 10, 102, LanguageChoice::First)), "german-only");
    EXPECT_TRUE(FindModuleResource(image, kResourceMenu, 300));
    const auto group = FindModuleResource(image, kResourceGroupCursor, 200);
    ASSERT_TRUE(group);
    ASSERT_EQ(group->size(), 6u + 14u);  // one directory entry
    const uint16_t cursorId = Get16(std::vector<uint8_t>(group->begin(), group->end()), 6 + 12);
    const auto cursor = FindModuleResource(image, kResourceCursor, cursorId);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(Get32(std::vector<uint8_t>(cursor->begin(), cursor->end()), 4), 40u) << "hotspot then a DIB header";
}

TEST_P(FixtureTest, HeadersAndInspectionDescribeTheLibrary)
{
    const RuntimeModuleInfo info = InspectRuntimeModule(file);
    EXPECT_EQ(info.bits, std::string(GetParam()).starts_with("pe64") ? 64u : 32u);
    EXPECT_EQ(info.fileSize, file.size());
    EXPECT_EQ(info.sizeOfImage, headers.sizeOfImage);
    ASSERT_TRUE(info.productVersion);
    EXPECT_EQ(info.productVersion->ToString(), "10.0.45.2");
    EXPECT_EQ(PackFlashVersion(*info.productVersion), 0x0A002D02u);
    // Each part of a packed version takes eight bits, and carries.
    EXPECT_EQ(PackFlashVersion({9u << 16, 280u << 16}), 0x09011800u);
    EXPECT_EQ(PackFlashVersion({(11u << 16) | 2, (202u << 16) | 235}), 0x0B02CAEBu);
    // What swfpack info shows of it.
    const RuntimeModuleSummary summary = DescribeRuntimeModule(file);
    EXPECT_EQ(summary.bits, info.bits);
    EXPECT_EQ(summary.productVersion, "10.0.45.2");
    EXPECT_EQ(summary.problem, "");
}

INSTANTIATE_TEST_SUITE_P(AllLibraries, FixtureTest,
                         ::testing::Values("pe32_default", "pe32_page_aligned", "pe32_small_aligned", "pe64_default",
                                           "pe64_wide_aligned"),
                         [](const auto& info) { return std::string(info.param); });

TEST(SectionProtection, FollowsExecuteReadWriteAndNoCache)
{
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0, 0x01}, {kSectionWrite, 0x08}, {kSectionRead, 0x02}, {kSectionRead | kSectionWrite, 0x04},
        {kSectionExecute, 0x10}, {kSectionExecute | kSectionWrite, 0x80}, {kSectionExecute | kSectionRead, 0x20},
        {kSectionExecute | kSectionRead | kSectionWrite, 0x40}, {kSectionRead | kSectionNotCached, 0x202},
        {kSectionExecute | kSectionRead | 0x60 /* code, initialised data */, 0x20}};
    for (const auto& [characteristics, protection] : cases)
        EXPECT_EQ(SectionProtection(characteristics), protection) << std::hex << characteristics;
}

TEST(ParseForwarder, AcceptsNameAndOrdinalFormsOnly)
{
    const Forwarder dotted = ParseForwarder("api-ms-win.core.Sleep");
    EXPECT_EQ(dotted.library, "api-ms-win.core");
    EXPECT_EQ(dotted.name, "Sleep");
    EXPECT_EQ(ParseForwarder("LIB.#65535").ordinal, 65535);
    for (const char* bad : {"NoDot", ".Name", "LIB.", "LIB.#", "LIB.#65536", "LIB.#12x"})
        EXPECT_THROW(ParseForwarder(bad), PeError) << bad;
}

// One relocation block at 0x100 fixing the words at 0x10 of a small image.
struct RelocationCase {
    const char* what;
    uint16_t type;
    std::vector<uint8_t> before;  // bytes at 0x10
    uint64_t delta;
    std::vector<uint8_t> after;
    uint16_t secondEntry = 0;  // HIGHADJ's low half
};

std::vector<uint8_t> ImageWithRelocation(const RelocationCase& c, PeHeaders& h, bool is64)
{
    std::vector<uint8_t> image(0x200, 0);
    std::copy(c.before.begin(), c.before.end(), image.begin() + 0x10);
    const uint16_t entries[2] = {uint16_t(c.type << 12 | 0x10), c.secondEntry};
    const uint32_t blockSize = 8 + 4;
    std::memcpy(&image[0x104], &blockSize, 4);
    std::memcpy(&image[0x108], entries, 4);
    h.is64 = is64;
    h.sizeOfImage = uint32_t(image.size());
    h.directories[kRelocationDirectory] = {0x100, blockSize};
    return image;
}

TEST(ApplyRelocations, EachTypeIsAppliedAsTheSystemLoaderDoesInBothFormats)
{
    const std::vector<RelocationCase> cases = {
        {"ABSOLUTE is padding", 0, {0x11, 0x22, 0x33, 0x44}, 0x12345678, {0x11, 0x22, 0x33, 0x44}},
        {"HIGHLOW adds to 32 bits", 3, {0x00, 0x10, 0x00, 0x10, 0x77}, 0x12345678, {0x78, 0x66, 0x34, 0x22, 0x77}},
        {"HIGHLOW wraps in 32 bits", 3, {0x00, 0x00, 0x00, 0x80, 0x01}, 0xFFFFFFFF90000000, {0, 0, 0, 0x10, 0x01}},
        {"DIR64 adds to 64 bits", 10, {0x00, 0x10, 0x00, 0x80, 0x01, 0, 0, 0}, 0x100012345678,
         {0x78, 0x66, 0x34, 0x92, 0x01, 0x10, 0, 0}},
        {"HIGH adds the delta's high half", 1, {0x00, 0x10, 0x77}, 0x12345678, {0x34, 0x22, 0x77}},
        {"LOW adds the delta's low half", 2, {0x00, 0x10, 0x77}, 0x12345678, {0x78, 0x66, 0x77}},
        // 0x10000000 + 0x18000 rounds to 0x1002, where HIGH alone would give 0x1001.
        {"HIGHADJ rounds by its low half", 4, {0x00, 0x10, 0x77}, 0x18000, {0x02, 0x10, 0x77}, 0x0000},
        // 0x10000000 - 0x8000 (low half 0x8000 is negative) + 0x8000 gives 0x1000 again.
        {"HIGHADJ takes its low half as signed", 4, {0x00, 0x10}, 0x8000, {0x00, 0x10}, 0x8000},
    };
    for (bool is64 : {false, true}) {
        for (const RelocationCase& c : cases) {
            PeHeaders h;
            std::vector<uint8_t> image = ImageWithRelocation(c, h, is64);
            const size_t fixups = ApplyRelocations(h, image, c.delta);
            EXPECT_EQ(fixups, c.type == 0 ? 0u : 1u) << c.what;
            EXPECT_TRUE(std::equal(c.after.begin(), c.after.end(), image.begin() + 0x10))
                << c.what << (is64 ? " in PE32+" : " in PE32");
        }
    }
}

TEST(ApplyRelocations, RefusesOtherTypesAndAHighAdjWithoutItsSecondEntry)
{
    for (uint16_t type : {5, 7, 9, 11, 15}) {
        PeHeaders h;
        std::vector<uint8_t> image = ImageWithRelocation({"other", type, {}, 0, {}}, h, true);
        EXPECT_THROW(ApplyRelocations(h, image, 0x1000), PeError) << "type " << type;
    }
    PeHeaders h;
    std::vector<uint8_t> image = ImageWithRelocation({"HIGHADJ", 4, {}, 0, {}}, h, false);
    h.directories[kRelocationDirectory].size = 10;  // the second entry is cut off
    std::memcpy(&image[0x104], &h.directories[kRelocationDirectory].size, 4);
    EXPECT_TRUE(FailsWith([&] { ApplyRelocations(h, image, 0x1000); }, "lacks its second entry"));
}

// A small mapped image at 0x10000000 with a TLS directory at 0x100: template
// 0x200..0x210, index at 0x300, one callback at 0x50 listed at 0x180.
struct TlsImage {
    explicit TlsImage(bool is64) : is64(is64)
    {
        h.is64 = is64;
        h.sizeOfImage = uint32_t(image.size());
        h.directories[kTlsDirectory] = {0x100, is64 ? 40u : 24u};
        Pointer(0, kBase + 0x200);
        Pointer(1, kBase + 0x210);
        Pointer(2, kBase + 0x300);
        Pointer(3, kBase + 0x180);
        Put(0x100 + 4 * Width(), 0x20);           // SizeOfZeroFill
        Put(0x100 + 4 * Width() + 4, 0x00500000);  // 16-byte alignment
        PutPointer(0x180, kBase + 0x50);
    }
    uint32_t Width() const { return is64 ? 8 : 4; }
    void Put(size_t at, uint32_t v) { std::memcpy(&image[at], &v, 4); }
    void PutPointer(size_t at, uint64_t v) { std::memcpy(&image[at], &v, Width()); }
    void Pointer(int field, uint64_t v) { PutPointer(0x100 + field * Width(), v); }
    static constexpr uint64_t kBase = 0x10000000;
    bool is64;
    PeHeaders h;
    std::vector<uint8_t> image = std::vector<uint8_t>(0x400, 0);
};

TEST(ReadTlsDirectory, GivesOffsetsInsideTheImageAndRefusesEveryDamage)
{
    struct Damage {
        const char* what;
        std::function<void(TlsImage&)> apply;
        const char* expected;
    };
    const std::vector<Damage> damages = {
        {"directory too short", [](TlsImage& t) { t.h.directories[kTlsDirectory].size = 20; }, "bytes long"},
        {"template before the image", [](TlsImage& t) { t.Pointer(0, 0x1000); t.Pointer(1, 0x1010); }, "lies before"},
        {"template past the image", [](TlsImage& t) { t.Pointer(1, TlsImage::kBase + 0x410); }, "TLS template"},
        {"template ends before it starts", [](TlsImage& t) { t.Pointer(1, TlsImage::kBase + 0x1F0); }, "ends before"},
        {"huge zero fill", [](TlsImage& t) { t.Put(0x100 + 4 * t.Width(), 0xFFFFFFF0); }, "too large"},
        {"index outside", [](TlsImage& t) { t.Pointer(2, TlsImage::kBase + 0x3FE); }, "TLS index"},
        {"callback list outside", [](TlsImage& t) { t.Pointer(3, TlsImage::kBase + 0x400); }, "TLS callback list"},
        {"callback outside", [](TlsImage& t) { t.PutPointer(0x180, TlsImage::kBase + 0x800); }, "TLS callback"},
        {"callback below the image", [](TlsImage& t) { t.PutPointer(0x180, 0x50); }, "lies before"},
        {"invalid alignment", [](TlsImage& t) { t.Put(0x100 + 4 * t.Width() + 4, 0x00F00000); }, "alignment"},
    };
    for (bool is64 : {false, true}) {
        TlsImage good(is64);
        const auto tls = ReadTlsDirectory(good.h, good.image, TlsImage::kBase);
        ASSERT_TRUE(tls);
        EXPECT_EQ(tls->templateRva, 0x200u);
        EXPECT_EQ(tls->templateSize, 0x10u);
        EXPECT_EQ(tls->BlockSize(), 0x30u);
        EXPECT_EQ(tls->indexRva, 0x300u);
        EXPECT_EQ(tls->alignment, 16u);
        EXPECT_EQ(tls->callbackRvas, std::vector<uint32_t>{0x50});
        good.h.directories[kTlsDirectory] = {};
        EXPECT_FALSE(ReadTlsDirectory(good.h, good.image, TlsImage::kBase));
        for (const Damage& d : damages) {
            TlsImage t(is64);
            d.apply(t);
            EXPECT_TRUE(FailsWith([&] { ReadTlsDirectory(t.h, t.image, TlsImage::kBase); }, d.expected)) << d.what;
        }
    }
}

}  // namespace
