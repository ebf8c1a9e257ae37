#include <gtest/gtest.h>

#include <QFile>

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
