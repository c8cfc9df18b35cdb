#pragma once
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

class EJpegDecode : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A decoded picture: rows top to bottom, 4 bytes a pixel in B, G, R, A order
// (alpha 255), which is what a 32-bit top-down DIB section takes as it is.
struct BgraImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Decodes a JPEG (JFIF) file held in memory. Raises EJpegDecode for data that
// is not a JPEG, is damaged, or declares a picture too large to be a splash.
BgraImage DecodeJpeg(std::span<const uint8_t> data);
