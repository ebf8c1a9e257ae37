#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <memory>
#include <vector>

// Bytes that keep the block they lie in alive; a copy shares them.
class TVKO_SharedBytes {
public:
    TVKO_SharedBytes() = default;
    // Shares the bytes of ABytes.
    explicit TVKO_SharedBytes(const QByteArray& ABytes);
    TVKO_SharedBytes(std::shared_ptr<const char> AData, qsizetype ASize)
        : FData(std::move(AData)), FSize(ASize) {}

    QByteArrayView View() const { return {FData.get(), FSize}; }
    bool IsEmpty() const { return FSize == 0; }

private:
    std::shared_ptr<const char> FData;
    qsizetype FSize = 0;
};

// Copies the bytes of many records one after another into large blocks: a load of many
// records then allocates once per block instead of once per record. A block lives as long as
// a record shares it, or the slab keeps it for the next load: a reload then writes into memory
// the system has mapped already instead of into fresh memory it must map page by page.
class TVKO_ByteSlab {
public:
    static constexpr qsizetype CBlockSize = 64 * 1024;

    // Records larger than a quarter of ABlockSize get a block of their own; with 0 every
    // record does (for a single record, which a whole block would only waste memory on).
    explicit TVKO_ByteSlab(qsizetype ABlockSize = CBlockSize) : FBlockSize(ABlockSize) {}

    TVKO_SharedBytes Copy(QByteArrayView ABytes);

    // Takes back the blocks no record shares anymore; the next copies fill them first.
    void Recycle();
    // Frees the blocks taken back that no copy filled again.
    void Trim() noexcept { FFree.clear(); }
    // How many blocks the slab holds, shared or not; for tests.
    std::size_t BlockCount() const { return FBlocks.size() + FFree.size(); }

private:
    void NextBlock();

    qsizetype FBlockSize;
    // The last one is being filled.
    std::vector<std::shared_ptr<char[]>> FBlocks;
    std::vector<std::shared_ptr<char[]>> FFree;
    qsizetype FUsed = 0;
};

// One load into a slab: takes its unshared blocks back first and frees at the end those that
// were not filled again, also after an error.
class TVKO_ByteSlabLoad {
public:
    explicit TVKO_ByteSlabLoad(TVKO_ByteSlab& ASlab) : FSlab(ASlab) { FSlab.Recycle(); }
    ~TVKO_ByteSlabLoad() { FSlab.Trim(); }
    TVKO_ByteSlabLoad(const TVKO_ByteSlabLoad&) = delete;
    TVKO_ByteSlabLoad& operator=(const TVKO_ByteSlabLoad&) = delete;

private:
    TVKO_ByteSlab& FSlab;
};
