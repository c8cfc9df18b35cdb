#pragma once
// Conversions between screen pixels and HIMETRIC (1/100 mm, 2540 to the inch), the
// unit OLE objects use for their extents.

#include <cstdint>

// a * b / c rounded to nearest, halves away from zero; -1 when c is 0 or the result
// does not fit 32 bits (the platform's MulDiv).
int32_t MulDivRound(int32_t a, int32_t b, int32_t c);

inline int32_t PixelsToHimetric(int32_t pixels, int32_t pixelsPerInch) { return MulDivRound(pixels, 2540, pixelsPerInch); }
inline int32_t HimetricToPixels(int32_t himetric, int32_t pixelsPerInch) { return MulDivRound(himetric, pixelsPerInch, 2540); }
// Container units (floating point) back to HIMETRIC, rounded to nearest.
int32_t ContainerToHimetric(double container, int32_t pixelsPerInch);
