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
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    const size_t stride = size_t(out.width) * 4;
    // resize happens before any further libjpeg call could jump out
    out.pixels.resize(stride * size_t(out.height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
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
