#include "vko_byteslab.h"

#include <algorithm>

TVKO_SharedBytes::TVKO_SharedBytes(const QByteArray& ABytes) {
    if (ABytes.isEmpty()) {
        return;
    }
    auto kept = std::make_shared<const QByteArray>(ABytes);
    FData = std::shared_ptr<const char>(kept, kept->constData());
    FSize = ABytes.size();
}

TVKO_SharedBytes TVKO_ByteSlab::Copy(QByteArrayView ABytes) {
    if (ABytes.isEmpty()) {
        return {};
    }
    if (ABytes.size() > FBlockSize / 4) {
        auto own = std::make_shared_for_overwrite<char[]>(static_cast<std::size_t>(ABytes.size()));
        std::copy(ABytes.begin(), ABytes.end(), own.get());
        return {std::shared_ptr<const char>(own, own.get()), ABytes.size()};
    }
    if (FBlocks.empty() || FUsed + ABytes.size() > FBlockSize) {
        NextBlock();
    }
    const std::shared_ptr<char[]>& block = FBlocks.back();
    char* start = block.get() + FUsed;
    std::copy(ABytes.begin(), ABytes.end(), start);
    FUsed += ABytes.size();
    return {std::shared_ptr<const char>(block, start), ABytes.size()};
}

void TVKO_ByteSlab::NextBlock() {
    if (FFree.empty()) {
        FBlocks.push_back(
            std::make_shared_for_overwrite<char[]>(static_cast<std::size_t>(FBlockSize)));
    } else {
        FBlocks.push_back(std::move(FFree.back()));
        FFree.pop_back();
    }
    FUsed = 0;
}

void TVKO_ByteSlab::Recycle() {
    // Only the slab holds a block no record shares. A partly filled block is not filled
    // further: the next copy starts a block.
    std::vector<std::shared_ptr<char[]>> shared;
    for (std::shared_ptr<char[]>& block : FBlocks) {
        (block.use_count() > 1 ? shared : FFree).push_back(std::move(block));
    }
    FBlocks = std::move(shared);
    FUsed = FBlockSize;
}
