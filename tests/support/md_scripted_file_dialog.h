#pragma once

#include <QStringList>
#include <memory>
#include <optional>

#include "md_file_dialog_intf.h"
#include "vko_error.h"

// Answers the dialogs from a script: the next file or folder name, empty text for Cancel; the
// next edited lines, nothing for Cancel. Records what each dialog was shown.
class TScriptedFileDialog : public IZEP_MD_FileDialog {
public:
    struct TShared {
        QStringList Dateien;
        QList<std::optional<QStringList>> Zeilen;
        QStringList Titel;
        // Where each chooser started, or the lines a dialog showed, joined by line breaks.
        QStringList Vorgabe;
        QString FailWith;  // when set, every dialog raises an error with this text
    };
    explicit TScriptedFileDialog(std::shared_ptr<TShared> AShared) : FShared(std::move(AShared)) {}
    QString SaveFileName(const QString& ATitle, const QString&, const QString&) override {
        return Next(ATitle, {});
    }
    QString OpenFileName(const QString& ATitle, const QString&, const QString&) override {
        return Next(ATitle, {});
    }
    QString FolderName(const QString& ATitle, const QString& AStart) override {
        return Next(ATitle, AStart);
    }
    QString TargetFileName(const QString& ATitle, const QString& AStart) override {
        return Next(ATitle, AStart);
    }
    std::optional<QStringList> EditLines(const QString& ATitle,
                                         const QStringList& ALines) override {
        Shown(ATitle, ALines.join(QLatin1Char('\n')));
        return FShared->Zeilen.isEmpty() ? std::nullopt : FShared->Zeilen.takeFirst();
    }

private:
    void Shown(const QString& ATitle, const QString& AVorgabe) {
        FShared->Titel.append(ATitle);
        FShared->Vorgabe.append(AVorgabe);
        if (!FShared->FailWith.isEmpty()) {
            throw EVKO_Error(FShared->FailWith);
        }
    }
    QString Next(const QString& ATitle, const QString& AVorgabe) {
        Shown(ATitle, AVorgabe);
        return FShared->Dateien.isEmpty() ? QString() : FShared->Dateien.takeFirst();
    }
    std::shared_ptr<TShared> FShared;
};
