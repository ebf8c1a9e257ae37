#include <gtest/gtest.h>

#include <vector>

#include "vko_byteslab.h"

namespace {

QByteArray Record(int ANumber, qsizetype ASize) {
    QByteArray bytes(ASize, Qt::Uninitialized);
    for (qsizetype i = 0; i < ASize; ++i) {
        bytes[i] = static_cast<char>('a' + (ANumber + i) % 26);
    }
    return bytes;
}

}  // namespace

TEST(ByteSlab, CopiesStayByteForByteAfterTheSlabAndTheSourcesAreGone) {
    std::vector<TVKO_SharedBytes> copies;
    {
        TVKO_ByteSlab slab(4096);
        TVKO_ByteSlab single(0);
        // Small ones share blocks, one fills a block exactly, a large one gets its own.
        for (const qsizetype size : {1, 700, 1023, 1024, 5000, 3, 1000, 1000, 1000}) {
            QByteArray source = Record(static_cast<int>(copies.size()), size);
            copies.push_back((size == 3 ? single : slab).Copy(source));
            source.fill('#');
        }
        EXPECT_EQ(single.BlockCount(), 0u);
        EXPECT_TRUE(slab.Copy(QByteArrayView()).IsEmpty());
    }
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].View(), Record(int(i), copies[i].View().size())) << i;
    }
}

TEST(ByteSlab, AReloadFillsOnlyTheBlocksNoRecordSharesAnymore) {
    TVKO_ByteSlab slab(4096);
    std::vector<TVKO_SharedBytes> records;
    const auto load = [&](int AFirst, int ACount) {
        records.clear();
        const TVKO_ByteSlabLoad round(slab);
        for (int i = AFirst; i < AFirst + ACount; ++i) {
            records.push_back(slab.Copy(Record(i, 1000)));
        }
    };
    load(0, 8);
    ASSERT_EQ(slab.BlockCount(), 2u);
    // One record of the first block survives the reload; the second block is free again.
    const TVKO_SharedBytes kept = records[1];
    load(100, 5);
    EXPECT_EQ(slab.BlockCount(), 3u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(records[std::size_t(i)].View(), Record(100 + i, 1000));
    }
    // A load that needs fewer blocks frees the rest at its end.
    load(300, 1);
    EXPECT_EQ(slab.BlockCount(), 2u);
    EXPECT_EQ(records[0].View(), Record(300, 1000));
    EXPECT_EQ(kept.View(), Record(1, 1000));
}
