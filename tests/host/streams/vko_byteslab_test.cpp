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
    std::vector<QByteArray> records;
    std::vector<TVKO_SharedBytes> copies;
    {
        TVKO_ByteSlab slab(4096);
        // Small ones share blocks, one fills a block exactly, a large one gets its own.
        for (const qsizetype size : {1, 700, 1023, 1024, 5000, 3, 1000, 1000, 1000, 1000}) {
            QByteArray source = Record(static_cast<int>(records.size()), size);
            records.push_back(source);
            copies.push_back(slab.Copy(source));
            source.fill('#');
        }
        EXPECT_TRUE(slab.Copy(QByteArrayView()).IsEmpty());
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(copies[i].View(), records[i]) << i;
    }
}

TEST(ByteSlab, AReloadFillsOnlyTheBlocksNoRecordSharesAnymore) {
    TVKO_ByteSlab slab(4096);
    std::vector<TVKO_SharedBytes> first;
    {
        const TVKO_ByteSlabLoad load(slab);
        for (int i = 0; i < 8; ++i) {
            first.push_back(slab.Copy(Record(i, 1000)));
        }
    }
    ASSERT_EQ(slab.BlockCount(), 2u);
    // One record of the first block survives the reload; the second block is free again.
    const TVKO_SharedBytes kept = first[1];
    first.clear();
    std::vector<TVKO_SharedBytes> second;
    {
        const TVKO_ByteSlabLoad load(slab);
        for (int i = 0; i < 4; ++i) {
            second.push_back(slab.Copy(Record(100 + i, 1000)));
        }
        EXPECT_EQ(slab.BlockCount(), 2u);
        second.push_back(slab.Copy(Record(200, 1000)));
        EXPECT_EQ(slab.BlockCount(), 3u);
    }
    EXPECT_EQ(kept.View(), Record(1, 1000));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(second[static_cast<std::size_t>(i)].View(), Record(100 + i, 1000));
    }
    EXPECT_EQ(second[4].View(), Record(200, 1000));

    // A load that needs fewer blocks frees the rest at its end.
    second.clear();
    {
        const TVKO_ByteSlabLoad load(slab);
        second.push_back(slab.Copy(Record(300, 10)));
    }
    EXPECT_EQ(slab.BlockCount(), 2u);
    EXPECT_EQ(second[0].View(), Record(300, 10));
    EXPECT_EQ(kept.View(), Record(1, 1000));
}

TEST(ByteSlab, WithoutBlocksEveryRecordIsItsOwn) {
    TVKO_ByteSlab slab(0);
    const TVKO_SharedBytes eins = slab.Copy("eins");
    const TVKO_SharedBytes zwei = slab.Copy("zwei");
    EXPECT_EQ(slab.BlockCount(), 0u);
    EXPECT_EQ(eins.View(), QByteArrayView("eins"));
    EXPECT_EQ(zwei.View(), QByteArrayView("zwei"));
    EXPECT_EQ(TVKO_SharedBytes(QByteArray("drei")).View(), QByteArrayView("drei"));
}
