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
    if (!FBlock || FUsed + ABytes.size() > FBlockSize) {
        FBlock = std::make_shared_for_overwrite<char[]>(static_cast<std::size_t>(FBlockSize));
        FUsed = 0;
    }
    char* start = FBlock.get() + FUsed;
    std::copy(ABytes.begin(), ABytes.end(), start);
    FUsed += ABytes.size();
    return {std::shared_ptr<const char>(FBlock, start), ABytes.size()};
}
