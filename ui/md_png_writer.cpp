#include "md_png_writer.h"

#include <QBuffer>
#include <QImage>

#include "vko_info.h"

QByteArray TZEP_MD_PngWriter::Png(const TZEP_GA_Bildschirm& ABild) try {
    if (ABild.Breite <= 0 || ABild.Hoehe <= 0 ||
        ABild.Pixel.size() != static_cast<qsizetype>(ABild.Breite) * ABild.Hoehe * 4) {
        throw EVKO_Error(QStringLiteral("Das Bild des Bildschirms ist unvollständig."));
    }
    const QImage bild(reinterpret_cast<const uchar*>(ABild.Pixel.constData()), ABild.Breite,
                      ABild.Hoehe, QImage::Format_RGB32);
    QByteArray png;
    QBuffer puffer(&png);
    if (!puffer.open(QIODevice::WriteOnly) || !bild.save(&puffer, "PNG")) {
        throw EVKO_Error(
            QStringLiteral("Das Bild des Bildschirms lässt sich nicht als PNG "
                           "speichern."));
    }
    return png;
} catch (...) {
    RethrowRegistered("TZEP_MD_PngWriter.Png");
}
