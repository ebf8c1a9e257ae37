#include "md_file_dialog.h"

#include <QApplication>
#include <QFileDialog>

#include "vko_info.h"

namespace {

QString Choose(QFileDialog::AcceptMode AMode, const QString& ATitle, const QString& AFilter,
               const QString& ADefaultSuffix) {
    QFileDialog dialog(QApplication::activeWindow(), ATitle, QString(), AFilter);
    dialog.setObjectName(QStringLiteral("dlgDatei"));
    dialog.setAcceptMode(AMode);
    dialog.setFileMode(AMode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(ADefaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString TZEP_MD_QFileDialog::SaveFileName(const QString& ATitle, const QString& AFilter,
                                          const QString& ADefaultSuffix) try {
    return Choose(QFileDialog::AcceptSave, ATitle, AFilter, ADefaultSuffix);
} catch (...) {
    RethrowRegistered("TZEP_MD_QFileDialog.SaveFileName");
}

QString TZEP_MD_QFileDialog::OpenFileName(const QString& ATitle, const QString& AFilter,
                                          const QString& ADefaultSuffix) try {
    return Choose(QFileDialog::AcceptOpen, ATitle, AFilter, ADefaultSuffix);
} catch (...) {
    RethrowRegistered("TZEP_MD_QFileDialog.OpenFileName");
}
