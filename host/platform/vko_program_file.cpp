#include "vko_program_file.h"

#include <QCoreApplication>
#include <QFileInfo>

QString VKO_ProgramFile() {
    if (QCoreApplication::instance() == nullptr) {
        return QString();
    }
    const QString file = QCoreApplication::applicationFilePath();
    const QString resolved = QFileInfo(file).canonicalFilePath();
    return resolved.isEmpty() ? file : resolved;
}
