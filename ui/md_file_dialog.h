#pragma once

#include "md_file_dialog_intf.h"

// The toolkit's dialogs, over the application's active window.
class TZEP_MD_QFileDialog : public IZEP_MD_FileDialog {
public:
    QString SaveFileName(const QString& ATitle, const QString& AFilter,
                         const QString& ADefaultSuffix) override;
    QString OpenFileName(const QString& ATitle, const QString& AFilter,
                         const QString& ADefaultSuffix) override;
    QString FolderName(const QString& ATitle, const QString& AStart) override;
    QString TargetFileName(const QString& ATitle, const QString& AStart) override;
    std::optional<QStringList> EditLines(const QString& ATitle, const QStringList& ALines) override;
};
