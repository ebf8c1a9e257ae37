#include "vko_stringpool.h"

namespace {

thread_local TVKO_StringPool* ActivePool = nullptr;

}  // namespace

QString TVKO_StringPool::Intern(QStringView AText) {
    if (AText.size() > CMaxLength) {
        return AText.toString();
    }
    if (const auto found = FTexts.find(AText); found != FTexts.end()) {
        return *found;
    }
    return *FTexts.insert(AText.toString()).first;
}

TVKO_StringPoolScope::TVKO_StringPoolScope(TVKO_StringPool& APool)
    : FPrevious(std::exchange(ActivePool, &APool)) {}

TVKO_StringPoolScope::~TVKO_StringPoolScope() {
    ActivePool = FPrevious;
}

QString VKO_Intern(QStringView AText) {
    return ActivePool != nullptr ? ActivePool->Intern(AText) : AText.toString();
}
