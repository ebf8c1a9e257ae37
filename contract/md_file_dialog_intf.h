#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The dialogs the window and its editors open, so that tests give the answers.
class IZEP_MD_FileDialog {
public:
    virtual ~IZEP_MD_FileDialog() = default;
    // The chosen file, or empty text when the user cancels.
    virtual QString SaveFileName(const QString& ATitle, const QString& AFilter,
                                 const QString& ADefaultSuffix) = 0;
    virtual QString OpenFileName(const QString& ATitle, const QString& AFilter,
                                 const QString& ADefaultSuffix) = 0;
    // An existing folder, starting at AStart; empty text when the user cancels.
    virtual QString FolderName(const QString& ATitle, const QString& AStart) = 0;
    // A file that need not exist yet, such as one a report writes, starting at AStart; an
    // existing one is taken without asking, since choosing it overwrites nothing. Empty text
    // when the user cancels.
    virtual QString TargetFileName(const QString& ATitle, const QString& AStart) = 0;
    // The lines as the user edited them, or nothing when the user cancels.
    virtual std::optional<QStringList> EditLines(const QString& ATitle,
                                                 const QStringList& ALines) = 0;
};
