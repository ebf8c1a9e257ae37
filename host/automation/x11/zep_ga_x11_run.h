#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "zep_ga_begleitung.h"
#include "zep_ga_sequence.h"
#include "zep_ga_target_process.h"
#include "zep_ga_x11_session.h"

// One play of a sequence on X11. Every step is checked before the first one is played; a
// failure names the step. Programs the run started are ended when it fails.
class TZEP_GA_X11Run {
public:
    using TProcesses = std::vector<std::unique_ptr<TZEP_GA_TargetProcess>>;

    explicit TZEP_GA_X11Run(const TZEP_GA_Sequence& ASequence);
    ~TZEP_GA_X11Run();
    TZEP_GA_X11Run(const TZEP_GA_X11Run&) = delete;
    TZEP_GA_X11Run& operator=(const TZEP_GA_X11Run&) = delete;

    // Where the run plays: on ADisplay (empty: the one DISPLAY names), its program started in
    // AUmgebung (empty: the process's own). With ABegleitung it stops between actions and
    // within a wait when asked to.
    void SetZiel(QByteArray ADisplay, QByteArrayList AUmgebung,
                 const TZEP_GA_Begleitung* ABegleitung);
    void Play();
    // The programs a completed run started that still run; they are left running.
    TProcesses TakeStillRunning();
    // Keeps the screen as it shows now, if the run has reached its display.
    void KeepScreen() noexcept;
    // The screen as it showed when a step failed, while the programs of the run still ran, or
    // when it was last kept.
    TZEP_GA_X11Session::TBild TakeBildschirm() { return std::move(FBild); }

private:
    void CheckSteps() const;
    void ResolveCommand();
    void PlayStep(const TZEP_GA_SingleAction& AAction);
    [[noreturn]] void FailStep(qsizetype AIndex, const QString& AText) const;
    void Sleep(qint64 AMs) const;
    void CheckAngehalten() const;

    void StartProgram(const TZEP_GA_SingleAction& AAction);
    void WaitWindow(const TZEP_GA_SingleAction& AAction);
    void TypeText(const TZEP_GA_SingleAction& AAction);
    void PressKeys(const TZEP_GA_SingleAction& AAction);
    void Click(const TZEP_GA_SingleAction& AAction);

    bool IsCandidate(TZEP_X11_Window AWindow);
    bool OwnsPid(qint64 APid) const;
    // AWalked gets the windows whose place decided the answer.
    bool OwnsWindow(TZEP_X11_Window AWindow, QList<TZEP_X11_Window>* AWalked = nullptr);
    void EnsureWindow();
    // Returns the windows that put the focus into the target program.
    QList<TZEP_X11_Window> EnsureFocus();
    // Both checks, made anew only when something they depend on may have changed.
    void EnsureTarget();
    QString Describe(TZEP_X11_Window AWindow);

    const TZEP_GA_Sequence& FSequence;
    QStringList FCommand;
    QString FExecutable;  // the program of FCommand, with its folder
    std::unique_ptr<TZEP_GA_X11Session> FSession;
    TProcesses FStarted;
    TZEP_GA_TargetProcess* FProgram = nullptr;
    TZEP_X11_Window FWindow = 0;
    QString FWindowTitle;
    qint64 FWindowPid = 0;
    // The window and the focus passed their checks, and the server reports any change of what
    // the checks looked at.
    bool FTargetWatched = false;
    bool FCompleted = false;
    TZEP_GA_X11Session::TBild FBild;
    QByteArray FDisplay;
    QByteArrayList FUmgebung;
    const TZEP_GA_Begleitung* FBegleitung = nullptr;
};
