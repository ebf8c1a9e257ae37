#include "md_qt_deutsch.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "vko_info.h"

bool MD_QtTexteDeutsch(QTranslator& ATranslator) try {
    const QString ordner = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!ATranslator.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                          QStringLiteral("_"), ordner)) {
        VKOInfo().WriteTextWithStamp(
            QStringLiteral("Die deutschen Texte der Bedienoberfläche (qtbase_de in %1) fehlen; "
                           "ihre Schaltflächen bleiben englisch.")
                .arg(ordner));
        return false;
    }
    return QCoreApplication::installTranslator(&ATranslator);
} catch (...) {
    RethrowRegistered("MD_QtTexteDeutsch");
}
