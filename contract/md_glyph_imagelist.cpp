#include "md_glyph_imagelist.h"

#include <map>

std::shared_ptr<TZEP_RessGlyphImageList> GlobResGlyphImageList_GetInstance(int ASizeType) {
    static std::map<int, std::weak_ptr<TZEP_RessGlyphImageList>> instances;
    std::weak_ptr<TZEP_RessGlyphImageList>& slot = instances[ASizeType];
    std::shared_ptr<TZEP_RessGlyphImageList> instance = slot.lock();
    if (!instance) {
        instance = std::make_shared<TZEP_RessGlyphImageList>(ASizeType);
        slot = instance;
    }
    return instance;
}
