#pragma once

#include <QString>

// The suite's folders. Settings hold MD_Templates.ini and the program directory,
// data hold the database and the log.
enum class TVKOFolder {
    Einstellungen = 28,
    Daten = 29,
};

// Full path of the folder; it is created when AAnlegen is set and it does not exist yet.
QString VKO_FolderPath(TVKOFolder AFolder, bool AAnlegen = true);

// Full path of a file in a folder (the folder is created when missing).
QString VKO_FilePath(TVKOFolder AFolder, const QString& AFileName, bool AAnlegen = true);
