#include "document/OpaqueAlpha.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace OpaqueAlpha {

void set(uchar *bits, size_t pixels)
{
    // From the end backwards: right after the pixels were written (a grab), their last part is
    // the one most likely still in the cache.
    size_t i = pixels;
#ifdef __SSE2__
    const __m128i opaque = _mm_set1_epi32(int(0xff000000u));
    for (; i % 16; --i)
        bits[(i - 1) * 4 + 3] = 0xff;
    for (; i >= 16; i -= 16) {
        auto *p = reinterpret_cast<__m128i *>(bits + (i - 16) * 4);
        _mm_storeu_si128(p + 3, _mm_or_si128(_mm_loadu_si128(p + 3), opaque));
        _mm_storeu_si128(p + 2, _mm_or_si128(_mm_loadu_si128(p + 2), opaque));
        _mm_storeu_si128(p + 1, _mm_or_si128(_mm_loadu_si128(p + 1), opaque));
        _mm_storeu_si128(p, _mm_or_si128(_mm_loadu_si128(p), opaque));
    }
#else
    for (; i > 0; --i)
        bits[(i - 1) * 4 + 3] = 0xff;
#endif
}

void set(uchar *bits, int width, int height, qsizetype bytesPerRow)
{
    if (width < 1 || height < 1)
        return;
    if (bytesPerRow == qsizetype(width) * 4) {
        set(bits, size_t(width) * size_t(height));
        return;
    }
    for (int y = 0; y < height; ++y)
        set(bits + y * bytesPerRow, size_t(width));
}

} // namespace OpaqueAlpha
