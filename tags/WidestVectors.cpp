#include "tags/CandidateSearch.h"

namespace velkin {

CandidateSearch::Width WidestVectors() noexcept
{
    // Each false also when the system does not save the registers.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw")) return CandidateSearch::Width::avx512;
    if (__builtin_cpu_supports("avx2")) return CandidateSearch::Width::avx2;
    if (__builtin_cpu_supports("ssse3")) return CandidateSearch::Width::ssse3;
    return CandidateSearch::Width::sse2;
}

}  // namespace velkin
