#pragma once

#include <QVariant>
#include <array>
#include <memory>

class QIcon;

// The shared images the views put into their lists, in one size per instance.
class TZEP_RessGlyphImageList {
public:
    enum class TGlyph {
        Programm,
        Mandorel,
        Vorlage,
        Hinzufuegen,
        Loeschen,
        Platzhalter,
        Planung,
        Bearbeiten,
        Sperren,
        Entsperren,
        Warnung,
        Anzahl,
    };

    explicit TZEP_RessGlyphImageList(int ASizeType) : FSizeType(ASizeType) {}
    int SizeType() const { return FSizeType; }
    // Taken from the application's style when first asked, so the list can exist before any
    // window. Defined with the widgets: only a view asks for an image.
    QIcon Icon(TGlyph AGlyph) const;

private:
    int FSizeType;
    // The style reads an image's files anew on every request: a list of many rows would read
    // them once a row. Held as variants, so that this header needs no QtGui.
    mutable std::array<QVariant, static_cast<std::size_t>(TGlyph::Anzahl)> FIcons;
};

// The one instance of a size; it is given back by releasing the pointer.
std::shared_ptr<TZEP_RessGlyphImageList> GlobResGlyphImageList_GetInstance(int ASizeType);
