#include "md_glyph_imagelist.h"

#include <QApplication>
#include <QStyle>
#include <map>

QIcon TZEP_RessGlyphImageList::Icon(TGlyph AGlyph) const {
    QStyle* style = QApplication::style();
    switch (AGlyph) {
        case TGlyph::Programm:
            return style->standardIcon(QStyle::SP_ComputerIcon);
        case TGlyph::Mandorel:
            return style->standardIcon(QStyle::SP_FileIcon);
        case TGlyph::Vorlage:
            return style->standardIcon(QStyle::SP_FileDialogDetailedView);
        case TGlyph::Hinzufuegen:
            return style->standardIcon(QStyle::SP_FileDialogNewFolder);
        case TGlyph::Loeschen:
            return style->standardIcon(QStyle::SP_TrashIcon);
        case TGlyph::Platzhalter:
            return style->standardIcon(QStyle::SP_FileDialogInfoView);
        case TGlyph::Planung:
            return style->standardIcon(QStyle::SP_BrowserReload);
        case TGlyph::Bearbeiten:
            return style->standardIcon(QStyle::SP_FileDialogContentsView);
        case TGlyph::Sperren:
            return style->standardIcon(QStyle::SP_DialogNoButton);
        case TGlyph::Entsperren:
            return style->standardIcon(QStyle::SP_DialogYesButton);
    }
    return {};
}

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
