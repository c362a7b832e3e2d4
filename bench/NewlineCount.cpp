#include "bench/NewlineCount.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace velkin::bench {
namespace {

std::size_t CountNewlinesPlain(const char* p, const char* end) noexcept
{
    std::size_t count = 0;
    for (; p != end; ++p) count += *p == '\n';
    return count;
}

}  // namespace

// The 32-bit build's default target has no SSE2; this function alone uses it.
__attribute__((target("sse2"))) std::size_t CountNewlinesSse2(const char* begin, const char* end) noexcept
{
    constexpr std::size_t kStep = 64;
    // A byte lane gains at most 1 a step, so it is emptied after 255 steps.
    constexpr std::size_t kStepsBeforeFlush = 255;

    // Up to a 16-byte boundary one byte at a time, so that the loads are aligned.
    const char* p = begin;
    while (p != end && reinterpret_cast<std::uintptr_t>(p) % 16 != 0) ++p;
    std::size_t count = CountNewlinesPlain(begin, p);

    const __m128i newline = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (static_cast<std::size_t>(end - p) >= kStep) {
        const std::size_t steps = std::min<std::size_t>((end - p) / kStep, kStepsBeforeFlush);
        __m128i lanes0 = zero, lanes1 = zero, lanes2 = zero, lanes3 = zero;
        for (std::size_t i = 0; i < steps; ++i, p += kStep) {
            const auto* block = reinterpret_cast<const __m128i*>(p);
            // A match is 0xFF, that is -1: subtracting it adds 1.
            lanes0 = _mm_sub_epi8(lanes0, _mm_cmpeq_epi8(_mm_load_si128(block), newline));
            lanes1 = _mm_sub_epi8(lanes1, _mm_cmpeq_epi8(_mm_load_si128(block + 1), newline));
            lanes2 = _mm_sub_epi8(lanes2, _mm_cmpeq_epi8(_mm_load_si128(block + 2), newline));
            lanes3 = _mm_sub_epi8(lanes3, _mm_cmpeq_epi8(_mm_load_si128(block + 3), newline));
        }
        // psadbw sums each group of eight byte lanes into a 64-bit lane (at most 4 * 8 * 255).
        const __m128i sums = _mm_add_epi64(_mm_add_epi64(_mm_sad_epu8(lanes0, zero), _mm_sad_epu8(lanes1, zero)),
                                           _mm_add_epi64(_mm_sad_epu8(lanes2, zero), _mm_sad_epu8(lanes3, zero)));
        count += static_cast<std::uint32_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    return count + CountNewlinesPlain(p, end);
}

std::size_t CountNewlinesMemchr(const char* begin, const char* end) noexcept
{
    std::size_t count = 0;
    for (const char* p = begin; p != end; ++p, ++count) {
        p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (p == nullptr) break;
    }
    return count;
}

}  // namespace velkin::bench
