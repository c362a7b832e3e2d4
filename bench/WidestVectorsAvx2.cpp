// The vectors of the benchmark's copy of the plug-in (VelkinAvx2.dll): AVX2
// at most, linked in place of tags/WidestVectors.cpp, so that the command is
// timed on the path of a processor without AVX-512.
#include "tags/CandidateSearch.h"

namespace velkin {

CandidateSearch::Width WidestVectors() noexcept
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return CandidateSearch::Width::avx2;
    if (__builtin_cpu_supports("ssse3")) return CandidateSearch::Width::ssse3;
    return CandidateSearch::Width::sse2;
}

}  // namespace velkin
