// One libFuzzer target; MD_FUZZ_TARGET names the function of md_fuzz_targets.h it feeds.
#include <cstddef>
#include <cstdint>

#include "md_fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    MD_FUZZ_TARGET(QByteArray(reinterpret_cast<const char*>(AData), static_cast<qsizetype>(ASize)));
    return 0;
}
