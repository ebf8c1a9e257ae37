#pragma once

#include <QString>
#include <memory>

#include "md_progress_window.h"

// Records what a run showed: the window's texts, and whether it is still visible.
class TRecordingProgress : public IZEP_MD_ProgressWindow {
public:
    struct TShared {
        int Shown = 0;
        bool Visible = false;
        QString Programm;
        QString Name;
    };

    explicit TRecordingProgress(std::shared_ptr<TShared> AShared) : FShared(std::move(AShared)) {}
    void Show(const QString& AProgramm, const QString& AName) override {
        ++FShared->Shown;
        FShared->Visible = true;
        FShared->Programm = AProgramm;
        FShared->Name = AName;
    }
    void Hide() override { FShared->Visible = false; }

private:
    std::shared_ptr<TShared> FShared;
};
