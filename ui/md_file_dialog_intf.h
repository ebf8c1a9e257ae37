#pragma once

#include <QString>

// The open and save dialogs of export and import, so that tests choose the file.
class IZEP_MD_FileDialog {
public:
    virtual ~IZEP_MD_FileDialog() = default;
    // The chosen file, or empty text when the user cancels.
    virtual QString SaveFileName(const QString& ATitle, const QString& AFilter,
                                 const QString& ADefaultSuffix) = 0;
    virtual QString OpenFileName(const QString& ATitle, const QString& AFilter,
                                 const QString& ADefaultSuffix) = 0;
};
