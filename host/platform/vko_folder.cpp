#include "vko_folder.h"

#include <QStandardPaths>

#include "vko_trusted_file.h"

namespace {

QString ApplicationFolder(QStandardPaths::StandardLocation ALocation) {
    // The generic locations do not depend on the application object's name, so every
    // process (window, scheduled run, test) finds the same folder.
    return QStandardPaths::writableLocation(ALocation) + QStringLiteral("/quandrix");
}

}  // namespace

QString VKO_FolderPath(TVKOFolder AFolder, bool AAnlegen) {
    const QString path = AFolder == TVKOFolder::Einstellungen
                             ? ApplicationFolder(QStandardPaths::GenericConfigLocation)
                             : ApplicationFolder(QStandardPaths::GenericDataLocation);
    if (AAnlegen) {
        VKO_MakePrivateFolder(path);
    }
    return path;
}

QString VKO_FilePath(TVKOFolder AFolder, const QString& AFileName, bool AAnlegen) {
    return VKO_FolderPath(AFolder, AAnlegen) + QLatin1Char('/') + AFileName;
}
