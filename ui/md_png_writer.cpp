#include "md_png_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

#include "vko_info.h"

qint64 TZEP_MD_PngWriter::WritePng(const TZEP_GA_Bildschirm& ABild, const QString& APath) try {
    if (ABild.Breite <= 0 || ABild.Hoehe <= 0 ||
        ABild.Pixel.size() != static_cast<qsizetype>(ABild.Breite) * ABild.Hoehe * 4) {
        throw EVKO_Error(QStringLiteral("Das Bild des Bildschirms ist unvollständig."));
    }
    const QImage bild(reinterpret_cast<const uchar*>(ABild.Pixel.constData()), ABild.Breite,
                      ABild.Hoehe, QImage::Format_RGB32);
    QSaveFile datei(APath);
    if (!datei.open(QIODevice::WriteOnly) ||
        !datei.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        !bild.save(&datei, "PNG") || !datei.commit()) {
        throw EVKO_Error(QStringLiteral("Das Bild „%1“ lässt sich nicht schreiben: %2")
                             .arg(QDir::toNativeSeparators(APath), datei.errorString()));
    }
    return QFileInfo(APath).size();
} catch (...) {
    RethrowRegistered("TZEP_MD_PngWriter.WritePng");
}
