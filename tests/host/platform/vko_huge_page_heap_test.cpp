#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vko_huge_page_heap.h"

// The mark lands on the heap itself; that the heap stays usable every run of the program shows.
TEST(HugePageHeapTest, MarksTheHeapItself) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps no heap of its own";
#endif
    if (!QFile::exists(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"))) {
        GTEST_SKIP() << "the system offers no huge pages";
    }
    ASSERT_TRUE(VKO_HugePageHeap());
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    ASSERT_TRUE(smaps.open(QIODevice::ReadOnly));
    bool inHeap = false;
    bool marked = false;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        // A range's line begins with its addresses, a field's line with the field's name.
        if (line.left(line.indexOf(' ')).contains('-')) {
            inHeap = line.endsWith("[heap]");
        }
        marked = marked || (inHeap && line.startsWith("VmFlags:") && line.contains(" hg"));
    }
    EXPECT_TRUE(marked);
}

// The marked range must not cost memory for good: what the program frees in bulk goes back.
TEST(HugePageHeapTest, GivesMuchFreedMemoryBack) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps no heap of its own";
#endif
    const auto heapEnd = [] { return reinterpret_cast<std::uintptr_t>(sbrk(0)); };
    const std::uintptr_t start = heapEnd();
    VKO_HugePageHeap();
    const std::uintptr_t before = heapEnd();
    // 100 MiB in blocks small enough to come from the heap, not from mappings of their own.
    std::vector<void*> blocks(100 * 1024);
    for (void*& block : blocks) {
        block = std::malloc(1024);
        std::memset(block, 1, 1024);
    }
    ASSERT_GT(heapEnd(), before) << "the blocks did not come from the heap";
    for (void* block : blocks) {
        std::free(block);
    }
    // Everything free at the heap's end goes back, the untouched rest of the reserve as well.
    EXPECT_LT(heapEnd(), start + (std::uintptr_t{4} << 20));
}
