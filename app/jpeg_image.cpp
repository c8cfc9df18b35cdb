#include "app/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <string>
#include <jpeglib.h>

namespace {

constexpr unsigned kMaxSide = 16384;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info)
{
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void SilenceJpegWarnings(j_common_ptr, int) {}

// Four-colour pictures come out of the decoder as C, M, Y, K. Image editors
// that mark the file with an Adobe APP14 segment store the inks inverted
// (255 means no ink); others store them plainly. Either way the light left is
// (1 - ink) * (1 - black) per channel, written in place as B, G, R, A.
void CmykRowToBgra(uint8_t* row, size_t width, bool inverted)
{
    for (size_t x = 0; x < width; ++x, row += 4) {
        unsigned c = row[0], m = row[1], y = row[2], k = row[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        row[0] = uint8_t((y * k + 127) / 255);
        row[1] = uint8_t((m * k + 127) / 255);
        row[2] = uint8_t((c * k + 127) / 255);
        row[3] = 255;
    }
}

// libjpeg reports errors through longjmp, so this function keeps no object with
// a destructor alive across the setjmp; the caller turns failure into an exception.
bool DecodeInto(std::span<const uint8_t> data, BgraImage& out, char (&message)[JMSG_LENGTH_MAX])
{
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnJpegError;
    err.base.emit_message = SilenceJpegWarnings;
    err.message[0] = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, sizeof message, "%s", err.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxSide || info.image_height > kMaxSide) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, sizeof message, "picture size %ux%u is not supported", info.image_width, info.image_height);
        return false;
    }
    // Grey, YCbCr and RGB pictures convert straight to B, G, R, A; YCCK is
    // turned into CMYK by the decoder and converted here.
    const bool fourColour = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = fourColour ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    const size_t stride = size_t(out.width) * 4;
    // resize happens before any further libjpeg call could jump out
    out.pixels.resize(stride * size_t(out.height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
        if (fourColour)
            CmykRowToBgra(row, size_t(out.width), info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

BgraImage DecodeJpeg(std::span<const uint8_t> data)
{
    if (data.size() < 4)
        throw EJpegDecode("The splash image is not a JPEG picture");
    BgraImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (!DecodeInto(data, image, message))
        throw EJpegDecode(std::string("The splash image could not be decoded: ") + message);
    return image;
}
