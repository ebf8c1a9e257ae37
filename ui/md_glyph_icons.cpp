#include "md_glyph_imagelist.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

namespace {

QIcon StyleIcon(TZEP_RessGlyphImageList::TGlyph AGlyph) {
    using TGlyph = TZEP_RessGlyphImageList::TGlyph;
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
        case TGlyph::Warnung:
            return style->standardIcon(QStyle::SP_MessageBoxWarning);
        case TGlyph::Anzahl:
            break;
    }
    return {};
}

}  // namespace

QIcon TZEP_RessGlyphImageList::Icon(TGlyph AGlyph) const {
    if (AGlyph >= TGlyph::Anzahl) {
        return {};
    }
    QVariant& cached = FIcons[static_cast<std::size_t>(AGlyph)];
    if (!cached.isValid()) {
        cached = QVariant::fromValue(StyleIcon(AGlyph));
    }
    return cached.value<QIcon>();
}
