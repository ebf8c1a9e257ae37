#include "md_file_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "vko_info.h"

namespace {

// AStart may name a folder or a file; a file is preselected in its folder.
QString Choose(QFileDialog::AcceptMode AMode, QFileDialog::FileMode AFileMode,
               QFileDialog::Options AOptions, const QString& ATitle, const QString& AStart,
               const QString& AFilter = QString(), const QString& ADefaultSuffix = QString()) {
    QFileDialog dialog(QApplication::activeWindow(), ATitle, AStart, AFilter);
    dialog.setObjectName(QStringLiteral("dlgDatei"));
    dialog.setAcceptMode(AMode);
    dialog.setFileMode(AFileMode);
    dialog.setOptions(AOptions);
    dialog.setDefaultSuffix(ADefaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString TZEP_MD_QFileDialog::SaveFileName(const QString& ATitle, const QString& AFilter,
                                          const QString& ADefaultSuffix) try {
    return Choose(QFileDialog::AcceptSave, QFileDialog::AnyFile, {}, ATitle, QString(), AFilter,
                  ADefaultSuffix);
} catch (...) {
    RethrowRegistered("TZEP_MD_QFileDialog.SaveFileName");
}

QString TZEP_MD_QFileDialog::OpenFileName(const QString& ATitle, const QString& AFilter,
                                          const QString& ADefaultSuffix) try {
    return Choose(QFileDialog::AcceptOpen, QFileDialog::ExistingFile, {}, ATitle, QString(),
                  AFilter, ADefaultSuffix);
} catch (...) {
    RethrowRegistered("TZEP_MD_QFileDialog.OpenFileName");
}

QString TZEP_MD_QFileDialog::FolderName(const QString& ATitle, const QString& AStart) try {
    return Choose(QFileDialog::AcceptOpen, QFileDialog::Directory, QFileDialog::ShowDirsOnly,
                  ATitle, AStart);
} catch (...) {
    RethrowRegistered("TZEP_MD_QFileDialog.FolderName");
}

QString TZEP_MD_QFileDialog::TargetFileName(const QString& ATitle, const QString& AStart) try {
    return Choose(QFileDialog::AcceptSave, QFileDialog::AnyFile, QFileDialog::DontConfirmOverwrite,
                  ATitle, AStart);
} catch (...) {
    RethrowRegistered("TZEP_MD_QFileDialog.TargetFileName");
}

std::optional<QStringList> TZEP_MD_QFileDialog::EditLines(const QString& ATitle,
                                                          const QStringList& ALines) try {
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("dlgZeilen"));
    dialog.setWindowTitle(ATitle);
    auto* text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("memZeilen"));
    text->setAccessibleName(ATitle);
    text->setTabChangesFocus(true);
    text->setPlainText(ALines.join(QLatin1Char('\n')));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    QStringList lines = text->toPlainText().split(QLatin1Char('\n'));
    // A closing line break starts no line of its own.
    if (lines.constLast().isEmpty()) {
        lines.removeLast();
    }
    return lines;
} catch (...) {
    RethrowRegistered("TZEP_MD_QFileDialog.EditLines");
}
