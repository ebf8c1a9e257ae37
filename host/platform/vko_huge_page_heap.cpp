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
// The allocator's own step by which the heap grows.
constexpr int CDefaultTopPad = 128 << 10;
// Below the size from which the allocator maps a block of its own instead of using the heap.
constexpr std::size_t CBlock = 64 << 10;
constexpr std::size_t CMaxBlocks = 64;

std::uintptr_t HeapEnd() {
    return reinterpret_cast<std::uintptr_t>(sbrk(0));
}

}  // namespace

bool VKO_HugePageHeap() {
    // What is free at the heap's end goes back first: else the blocks below could come from it
    // without the heap growing. The heap then grows by the reserve at once and gives nothing
    // back meanwhile, so the range marked below is heap.
    malloc_trim(0);
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
    // From here the heap grows in the allocator's usual steps, and gives memory back once as
    // much as the reserve is free: the marked range stays heap while the program works in it,
    // but a large amount freed goes back to the system.
    mallopt(M_TOP_PAD, CDefaultTopPad);
    mallopt(M_TRIM_THRESHOLD, CReserve);
    return marked;
}
