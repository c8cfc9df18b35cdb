// Portable pieces of start-up: the instance name, the runtime module
// inflation, icon directories and JPEG decoding.
#include "app/icon_file.h"
#include "app/instance_name.h"
#include "app/jpeg_image.h"
#include "app/module_inflate.h"
#include "app/runtime_notice.h"

#include <gtest/gtest.h>

#include "tests/support/deflate.h"
#include "tests/support/file_bytes.h"
#include <jpeglib.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>

namespace {

TEST(InstanceMappingName, TakesTheFileNameAfterTheLastSeparatorOrDriveColon)
{
    EXPECT_EQ(InstanceMappingName(L"C:\\Games\\Movies\\Intro.EXE"), L"Intro.EXE");
    EXPECT_EQ(InstanceMappingName(L"C:player.exe"), L"player.exe");
    EXPECT_EQ(InstanceMappingName(L"\\\\server\\share\\a b.exe"), L"a b.exe");
    EXPECT_EQ(InstanceMappingName(L"dir/mixed\\x.exe"), L"x.exe");
    EXPECT_EQ(InstanceMappingName(L"plain.exe"), L"plain.exe");
    // case is kept: kernel object names compare case-sensitively
    EXPECT_NE(InstanceMappingName(L"c:\\A.exe"), InstanceMappingName(L"c:\\a.exe"));
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& data) { return swfp::test::Deflate(data, 9); }

std::vector<uint8_t> SampleModule(size_t size)
{
    std::mt19937 random(7);
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = i % 3 ? uint8_t(random()) : uint8_t(i); // partly compressible
    return data;
}

TEST(InflateRuntimeModule, RestoresAModuleSpanningManySteps)
{
    const auto module = SampleModule(300000);
    EXPECT_EQ(InflateRuntimeModule(Compress(module)), module);
    const std::vector<uint8_t> empty;
    EXPECT_EQ(InflateRuntimeModule(Compress(empty)), empty);
}

TEST(InflateRuntimeModule, RejectsDamagedTruncatedAndOversizedStreams)
{
    auto packed = Compress(SampleModule(100000));
    auto corrupt = packed;
    corrupt[0] ^= 0xFF; // zlib header check fails
    EXPECT_THROW(InflateRuntimeModule(corrupt), EModuleInflate);

    auto truncated = packed;
    truncated.resize(packed.size() / 2);
    EXPECT_THROW(InflateRuntimeModule(truncated), EModuleInflate);
    EXPECT_THROW(InflateRuntimeModule({}), EModuleInflate);

    const auto bomb = Compress(std::vector<uint8_t>(5u << 20, 0)); // 5 MiB of zeros, a few KiB packed
    EXPECT_THROW(InflateRuntimeModule(bomb, 1u << 20), EModuleInflate);
    EXPECT_EQ(InflateRuntimeModule(bomb).size(), 5u << 20);
}

// An .ico file with the given square sizes and bit depths; image bytes are filler.
std::vector<uint8_t> IconFile(std::vector<std::pair<int, int>> sizes, uint16_t type = 1)
{
    std::vector<uint8_t> file = {0, 0, uint8_t(type), 0, uint8_t(sizes.size()), 0};
    uint32_t offset = uint32_t(6 + 16 * sizes.size());
    for (auto [side, bits] : sizes) {
        const uint32_t length = 40;
        const uint8_t stored = side == 256 ? 0 : uint8_t(side);
        const uint8_t entry[16] = {stored, stored, 0, 0, 1, 0, uint8_t(bits), 0,
                                   uint8_t(length), 0, 0, 0,
                                   uint8_t(offset), uint8_t(offset >> 8), 0, 0};
        file.insert(file.end(), entry, entry + 16);
        offset += length;
    }
    file.resize(offset, 0xAB);
    return file;
}

TEST(IconDirectory, ReadsEntriesAndPicksTheBestSize)
{
    const auto file = IconFile({{16, 8}, {32, 8}, {32, 32}, {256, 32}});
    const auto directory = ReadIconDirectory(file);
    ASSERT_TRUE(directory);
    ASSERT_EQ(directory->entries.size(), 4u);
    EXPECT_EQ(directory->entries[3].width, 256); // stored as 0

    EXPECT_EQ(PickIconEntry(*directory, 32)->bitCount, 32); // exact size, deepest colours
    EXPECT_EQ(PickIconEntry(*directory, 16)->width, 16);
    EXPECT_EQ(PickIconEntry(*directory, 48)->width, 256); // nothing exact: the next larger
    const auto onlySmall = ReadIconDirectory(IconFile({{16, 32}, {24, 32}}));
    EXPECT_EQ(PickIconEntry(*onlySmall, 48)->width, 24); // nothing larger: the largest
}

TEST(IconDirectory, RefusesWhatIsNotAnIconAndDropsEntriesOutsideTheFile)
{
    EXPECT_FALSE(ReadIconDirectory(std::vector<uint8_t>{}));
    EXPECT_FALSE(ReadIconDirectory(std::vector<uint8_t>{'M', 'Z', 0x90, 0, 3, 0, 0, 0}));
    auto file = IconFile({{16, 32}, {32, 32}});
    file[6 + 16 + 12] = 0xF0; // second entry's image offset now far past the end
    file[6 + 16 + 13] = 0xFF;
    const auto directory = ReadIconDirectory(file);
    ASSERT_TRUE(directory);
    ASSERT_EQ(directory->entries.size(), 1u);
    EXPECT_EQ(directory->entries[0].width, 16);

    auto headerOnly = IconFile({{16, 32}});
    headerOnly.resize(10); // directory claims one entry that is not there
    EXPECT_FALSE(ReadIconDirectory(headerOnly));

    const auto cursor = ReadIconDirectory(IconFile({{32, 0}}, 2));
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->type, IconFileType::Cursor);
}

// Encodes a one-colour picture in process; `components` 4 writes CMYK (as
// YCCK when ycck), with or without the Adobe marker that says the inks are
// stored inverted.
struct EncodeOptions {
    int components = 3;
    bool ycck = false;
    bool adobeMarker = true;
};
std::vector<uint8_t> EncodeJpeg(int width, int height, std::vector<uint8_t> pixel, EncodeOptions options = {})
{
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = options.components;
    info.in_color_space = options.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (options.ycck)
        jpeg_set_colorspace(&info, JCS_YCCK);
    info.write_Adobe_marker = options.adobeMarker;
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), pixel.begin(), pixel.end());
    while (info.next_scanline < info.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

std::vector<uint8_t> Fixture(const std::string& name)
{
    return swfp::test::ReadWholeFile(std::filesystem::path(SWFP_IMAGE_FIXTURE_DIR) / name);
}

struct JpegCase {
    const char* name;
    std::function<std::vector<uint8_t>()> make;
    int width, height;
    uint8_t r, g, b;
};

// Every kind of JPEG a user may have decodes to its colour, as B, G, R, 255.
TEST(DecodeJpeg, DecodesEveryKindToTopDownBgraPixels)
{
    const JpegCase cases[] = {
        {"baseline", [] { return Fixture("baseline.jpg"); }, 64, 48, 255, 128, 0},
        {"progressive", [] { return Fixture("progressive.jpg"); }, 64, 48, 255, 128, 0},
        {"arithmetic", [] { return Fixture("arithmetic.jpg"); }, 64, 48, 255, 128, 0},
        {"grey", [] { return Fixture("grey.jpg"); }, 64, 48, 151, 151, 151},
        {"CMYK with Adobe marker", [] { return Fixture("cmyk.jpg"); }, 64, 48, 255, 128, 0},
        {"odd size, restart markers", [] { return Fixture("odd_size.jpg"); }, 37, 23, 255, 128, 0},
        // inverted inks (Adobe): C 255 = no cyan, M 128, Y 0 = full yellow, K 255 = no black
        {"YCCK", [] { return EncodeJpeg(40, 30, {255, 128, 0, 255}, {4, true, true}); }, 40, 30, 255, 128, 0},
        // plain inks: no cyan, half magenta, full yellow, no black
        {"CMYK without marker", [] { return EncodeJpeg(40, 30, {0, 127, 255, 0}, {4, false, false}); }, 40, 30, 255, 128, 0},
        {"RGB in process", [] { return EncodeJpeg(100, 50, {200, 40, 10}); }, 100, 50, 200, 40, 10},
    };
    for (const JpegCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> file = c.make();
        ASSERT_FALSE(file.empty());
        const BgraImage image = DecodeJpeg(file);
        ASSERT_EQ(image.width, c.width);
        ASSERT_EQ(image.height, c.height);
        ASSERT_EQ(image.pixels.size(), size_t(c.width) * c.height * 4);
        for (const size_t at : {size_t(0), size_t(c.width) * c.height / 2 + c.width / 2, size_t(c.width) * c.height - 1}) {
            const uint8_t* p = &image.pixels[at * 4];
            EXPECT_NEAR(p[0], c.b, 6) << "pixel " << at;
            EXPECT_NEAR(p[1], c.g, 6) << "pixel " << at;
            EXPECT_NEAR(p[2], c.r, 6) << "pixel " << at;
            EXPECT_EQ(p[3], 255);
        }
    }
}

TEST(DecodeJpeg, RaisesForDataItCannotDecode)
{
    EXPECT_THROW(DecodeJpeg(std::vector<uint8_t>{1, 2, 3}), EJpegDecode);
    EXPECT_THROW(DecodeJpeg(std::vector<uint8_t>(1000, 0x42)), EJpegDecode);
    auto cut = Fixture("baseline.jpg");
    cut.resize(20); // header cut short
    EXPECT_THROW(DecodeJpeg(cut), EJpegDecode);
    EXPECT_THROW(DecodeJpeg(Fixture("twelve_bit.jpg")), EJpegDecode);
}

} // namespace

TEST(RuntimeNotice, OnlyAMissingObjectIsReportedAndAMissingRuntimeIsNamedAsSuch)
{
    EXPECT_FALSE(RuntimeNoticeFor(true, true));
    EXPECT_FALSE(RuntimeNoticeFor(true, false));
    const auto missing = RuntimeNoticeFor(false, false);
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->text.find("needs the Flash Player runtime"), std::string::npos);
    EXPECT_EQ(missing->exitCode, 0) << "nothing installed is an expected condition";
    const auto failed = RuntimeNoticeFor(false, true);
    ASSERT_TRUE(failed);
    EXPECT_NE(failed->text.find("could not be started"), std::string::npos);
    EXPECT_EQ(failed->exitCode, 1);
}
