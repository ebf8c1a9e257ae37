#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <memory>

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
// records then allocates once per block instead of once per record. A block is freed with the
// last record that still shares it.
class TVKO_ByteSlab {
public:
    static constexpr qsizetype CBlockSize = 64 * 1024;

    // Records larger than a quarter of ABlockSize get a block of their own; with 0 every
    // record does (for a single record, which a whole block would only waste memory on).
    explicit TVKO_ByteSlab(qsizetype ABlockSize = CBlockSize) : FBlockSize(ABlockSize) {}

    TVKO_SharedBytes Copy(QByteArrayView ABytes);

private:
    qsizetype FBlockSize;
    std::shared_ptr<char[]> FBlock;
    qsizetype FUsed = 0;
};
