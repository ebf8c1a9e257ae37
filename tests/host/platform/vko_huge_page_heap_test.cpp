#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <memory>
#include <vector>

#include "vko_huge_page_heap.h"

namespace {

bool HeapMarkedForHugePages() {
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly)) {
        return false;
    }
    bool inHeap = false;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        if (!line.isEmpty() && std::strchr("0123456789abcdef", line.at(0)) != nullptr &&
            line.contains('-')) {
            inHeap = line.endsWith("[heap]");
        } else if (inHeap && line.startsWith("VmFlags:") && line.contains(" hg")) {
            return true;
        }
    }
    return false;
}

}  // namespace

// The heap is marked where it really is, and what is allocated there afterwards holds its bytes.
TEST(HugePageHeapTest, MarksTheHeapAndKeepsItUsable) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps no heap of its own";
#endif
    if (!QFile::exists(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"))) {
        GTEST_SKIP() << "the system offers no huge pages";
    }
    ASSERT_TRUE(VKO_HugePageHeap());
    EXPECT_TRUE(HeapMarkedForHugePages());

    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 2000; ++i) {
        blocks.push_back(std::make_unique<char[]>(4000));
        std::memset(blocks.back().get(), i % 251, 4000);
    }
    for (std::size_t i = 0; i < blocks.size(); i += 97) {
        EXPECT_EQ(blocks[i][3999], char(i % 251));
    }
}
