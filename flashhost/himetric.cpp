#include "flashhost/himetric.h"

#include <cmath>
#include <limits>

int32_t MulDivRound(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    const int64_t product = int64_t{a} * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t num = product < 0 ? -product : product;
    const int64_t den = c < 0 ? -int64_t{c} : c;
    int64_t q = (num + den / 2) / den;
    if (negative) q = -q;
    if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min()) return -1;
    return static_cast<int32_t>(q);
}

int32_t ContainerToHimetric(double container, int32_t pixelsPerInch)
{
    if (pixelsPerInch == 0) return 0;
    return static_cast<int32_t>(std::lround(container * 2540.0 / pixelsPerInch));
}
