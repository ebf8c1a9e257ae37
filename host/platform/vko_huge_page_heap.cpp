#include "vko_huge_page_heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::uintptr_t CHugePage = std::uintptr_t{2} << 20;
constexpr int CReserve = 64 << 20;
// Below the size from which the allocator maps a block of its own instead of using the heap.
constexpr std::size_t CBlock = 64 << 10;
constexpr std::size_t CMaxBlocks = 64;

std::uintptr_t HeapEnd() {
    return reinterpret_cast<std::uintptr_t>(sbrk(0));
}

}  // namespace

bool VKO_HugePageHeap() {
    // The heap grows by the reserve at once and gives memory back only when twice as much is
    // free, so the range marked below stays heap.
    mallopt(M_TOP_PAD, CReserve);
    mallopt(M_TRIM_THRESHOLD, 2 * CReserve);
    const std::uintptr_t before = HeapEnd();
    std::vector<void*> blocks;
    // Another allocator (a sanitizer's) never moves the heap's end; then nothing is marked.
    while (HeapEnd() == before && blocks.size() < CMaxBlocks) {
        blocks.push_back(std::malloc(CBlock));
    }
    const std::uintptr_t from = (before + CHugePage - 1) & ~(CHugePage - 1);
    const std::uintptr_t to = HeapEnd() & ~(CHugePage - 1);
    const bool marked =
        to > from && madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE) == 0;
    for (void* block : blocks) {
        std::free(block);
    }
    return marked;
}
