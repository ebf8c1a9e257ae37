#include "zep_ga_x11_run.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

#include "vko_info.h"
#include "zep_ga_arguments.h"
#include "zep_ga_player.h"
#include "zep_ga_x11_keys.h"
#include "zep_menu_file.h"

namespace {

// Per typed character or key combination; the pause spares a slow target program a burst of
// input. libxdo waits half of it after the presses and half after the releases: 1 ms after each
// key event, the pace of the plain tool with its delay of 4 ms.
constexpr int CKeyDelayMs = 2;
constexpr int CPollMs = 50;
constexpr int CFocusPollMs = 10;
constexpr int CFocusTimeoutMs = 3000;
constexpr int CEndGraceMs = 3000;
// Checks in a row while the focus keeps moving; then the next key checks again.
constexpr int CWatchChecks = 3;

bool NeedsWindow(TZEP_GA_ActionKind AKind) {
    return AKind == TZEP_GA_ActionKind::TypeText || AKind == TZEP_GA_ActionKind::PressKeys ||
           AKind == TZEP_GA_ActionKind::Click;
}

// A TYPE step's text may be a password: it is never shown.
QString StepName(const TZEP_GA_SingleAction& AAction) {
    return AAction.Kind == TZEP_GA_ActionKind::TypeText ? QStringLiteral("Text eingeben")
                                                        : AAction.ToString();
}

// A stopped run ends within this much of a wait.
constexpr qint64 CStopCheckMs = 50;

}  // namespace

TZEP_GA_X11Run::TZEP_GA_X11Run(const TZEP_GA_Sequence& ASequence) : FSequence(ASequence) {}

TZEP_GA_X11Run::~TZEP_GA_X11Run() {
    if (FCompleted) {
        return;
    }
    for (const auto& process : FStarted) {
        process->End(CEndGraceMs);
    }
}

void TZEP_GA_X11Run::SetZiel(QByteArray ADisplay, QByteArrayList AUmgebung,
                             const TZEP_GA_Begleitung* ABegleitung) {
    FDisplay = std::move(ADisplay);
    FUmgebung = std::move(AUmgebung);
    FBegleitung = ABegleitung;
}

void TZEP_GA_X11Run::CheckAngehalten() const {
    if (FBegleitung != nullptr && FBegleitung->Angehalten()) {
        throw EZEP_GA_Angehalten();
    }
}

void TZEP_GA_X11Run::Sleep(qint64 AMs) const {
    QElapsedTimer timer;
    timer.start();
    for (qint64 left = AMs; left > 0; left = AMs - timer.elapsed()) {
        CheckAngehalten();
        QThread::msleep(static_cast<unsigned long>(std::min(left, CStopCheckMs)));
    }
    CheckAngehalten();
}

void TZEP_GA_X11Run::Play() {
    CheckSteps();
    ResolveCommand();
    for (qsizetype i = 0; i < FSequence.Count(); ++i) {
        const TZEP_GA_SingleAction action = FSequence.Action(i);
        try {
            CheckAngehalten();
            if (FSession == nullptr && action.Kind != TZEP_GA_ActionKind::Pause) {
                FSession = std::make_unique<TZEP_GA_X11Session>(FDisplay);
            }
            PlayStep(action);
        } catch (const EZEP_GA_Angehalten&) {
            KeepScreen();
            throw;
        } catch (const EVKO_Error& error) {
            KeepScreen();
            FailStep(i, error.Text());
        }
    }
    FCompleted = true;
}

TZEP_GA_X11Run::TProcesses TZEP_GA_X11Run::TakeStillRunning() {
    TProcesses running;
    for (auto& process : FStarted) {
        if (process->IsRunning()) {
            running.push_back(std::move(process));
        }
    }
    FStarted.clear();
    return running;
}

// What the screen shows tells why a wait timed out; without a picture the error still stands.
void TZEP_GA_X11Run::KeepScreen() noexcept {
    try {
        if (FSession != nullptr) {
            FBild = FSession->Bildschirm();
        }
    } catch (...) {
        FBild = {};
    }
}

void TZEP_GA_X11Run::FailStep(qsizetype AIndex, const QString& AText) const {
    throw EZEP_GA_SchrittFehler(QStringLiteral("Schritt %1 von %2 (%3): %4")
                                    .arg(AIndex + 1)
                                    .arg(FSequence.Count())
                                    .arg(StepName(FSequence.Action(AIndex)), AText),
                                static_cast<int>(AIndex + 1));
}

void TZEP_GA_X11Run::CheckSteps() const {
    bool windowKnown = false;
    for (qsizetype i = 0; i < FSequence.Count(); ++i) {
        const TZEP_GA_SingleAction action = FSequence.Action(i);
        if (NeedsWindow(action.Kind) && !windowKnown) {
            FailStep(i, QStringLiteral("Vorher wartet kein Schritt (WAIT) auf ein Fenster des "
                                       "Zielprogramms, das die Eingabe bekommen könnte."));
        }
        if (action.Millisekunden < 0) {
            FailStep(i,
                     QStringLiteral("Die Zeitangabe %1 ms ist negativ.").arg(action.Millisekunden));
        }
        switch (action.Kind) {
            case TZEP_GA_ActionKind::Template:
                FailStep(i, QStringLiteral("Ein Vorlagenschritt lässt sich nicht abspielen; er "
                                           "wird vorher in seine Aktionen aufgelöst."));
            case TZEP_GA_ActionKind::StartProgram:
                if (FSequence.TargetProgramFile().trimmed().isEmpty()) {
                    FailStep(i, QStringLiteral("Die Aktionsfolge nennt kein Zielprogramm."));
                }
                windowKnown = false;
                break;
            case TZEP_GA_ActionKind::WaitWindow:
                if (action.Text.isEmpty()) {
                    FailStep(i, QStringLiteral("Es ist kein Fenstertitel angegeben."));
                }
                windowKnown = true;
                break;
            case TZEP_GA_ActionKind::TypeText: {
                const QList<uint> characters = action.Text.toUcs4();
                for (qsizetype c = 0; c < characters.size(); ++c) {
                    if (ZEP_GA_CharacterKeysym(characters.at(c)) == 0) {
                        FailStep(i, QStringLiteral("Das %1. Zeichen des Textes lässt sich nicht "
                                                   "über die Tastatur eingeben.")
                                        .arg(c + 1));
                    }
                }
                break;
            }
            case TZEP_GA_ActionKind::PressKeys:
                try {
                    ZEP_GA_KeyCombinations(action.Text);
                } catch (const EVKO_Error& error) {
                    FailStep(i, error.Text());
                }
                break;
            case TZEP_GA_ActionKind::Click:
            case TZEP_GA_ActionKind::Pause:
                break;
            default:
                FailStep(i, QStringLiteral("Die Aktionsart %1 ist unbekannt.")
                                .arg(static_cast<int>(action.Kind)));
        }
    }
}

void TZEP_GA_X11Run::ResolveCommand() {
    const QList<TZEP_GA_SingleAction> actions = FSequence.Actions();
    const auto start = std::find_if(actions.begin(), actions.end(), [](const auto& AAction) {
        return AAction.Kind == TZEP_GA_ActionKind::StartProgram;
    });
    const auto wait = std::find_if(actions.begin(), actions.end(), [](const auto& AAction) {
        return AAction.Kind == TZEP_GA_ActionKind::WaitWindow;
    });
    const auto step = start != actions.end() ? start : wait;
    if (step == actions.end()) {
        return;
    }
    const qsizetype index = step - actions.begin();
    const QString program = FSequence.TargetProgramFile().trimmed();
    try {
        TZEP_MenuFile directory;
        directory.Load();
        if (!directory.Contains(program)) {
            throw EVKO_Error(
                QStringLiteral("Das Programm „%1“ steht nicht im Programmverzeichnis „%2“.%3")
                    .arg(program, directory.FileName(),
                         start == actions.end()
                             ? QStringLiteral(" Ohne Programmstart (START) nimmt der Lauf nur "
                                              "ein Fenster des Programms, das das "
                                              "Programmverzeichnis dafür nennt.")
                             : QString()));
        }
        const QString command = directory.StartCommand_ByExeName(program);
        FCommand = ZEP_GA_SplitArguments(command);
        if (FCommand.isEmpty() || FCommand.first().isEmpty()) {
            throw EVKO_Error(QStringLiteral("Für das Programm „%1“ steht im Programmverzeichnis "
                                            "„%2“ kein Befehl (COMMAND).")
                                 .arg(program, directory.FileName()));
        }
        const QString executable = FCommand.first();
        const QFileInfo file(executable);
        FExecutable =
            executable.contains(QLatin1Char('/'))
                ? (file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString())
                : QStandardPaths::findExecutable(executable);
        if (FExecutable.isEmpty()) {
            throw EVKO_Error(QStringLiteral("Der Befehl „%1“ für das Programm „%2“ (im "
                                            "Programmverzeichnis „%3“) ist nicht vorhanden oder "
                                            "nicht ausführbar.")
                                 .arg(executable, program, directory.FileName()));
        }
    } catch (const EVKO_Error& error) {
        FailStep(index, error.Text());
    }
}

void TZEP_GA_X11Run::PlayStep(const TZEP_GA_SingleAction& AAction) {
    switch (AAction.Kind) {
        case TZEP_GA_ActionKind::StartProgram:
            StartProgram(AAction);
            break;
        case TZEP_GA_ActionKind::WaitWindow:
            WaitWindow(AAction);
            break;
        case TZEP_GA_ActionKind::TypeText:
            TypeText(AAction);
            break;
        case TZEP_GA_ActionKind::PressKeys:
            PressKeys(AAction);
            break;
        case TZEP_GA_ActionKind::Click:
            Click(AAction);
            break;
        case TZEP_GA_ActionKind::Pause:
            Sleep(AAction.Millisekunden);
            break;
        case TZEP_GA_ActionKind::Template:
            break;
    }
}

void TZEP_GA_X11Run::StartProgram(const TZEP_GA_SingleAction& AAction) {
    const QString program = FSequence.TargetProgramFile().trimmed();
    try {
        FStarted.push_back(TZEP_GA_TargetProcess::Start(
            FCommand + ZEP_GA_SplitArguments(AAction.Text), FUmgebung));
    } catch (const EVKO_Error& error) {
        throw EVKO_Error(QStringLiteral("Das Programm „%1“ wurde nicht gestartet: %2")
                             .arg(program, error.Text()));
    }
    FProgram = FStarted.back().get();
    FWindow = 0;
    FWindowPid = 0;
    FTargetWatched = false;
}

void TZEP_GA_X11Run::WaitWindow(const TZEP_GA_SingleAction& AAction) {
    const int timeout = AAction.Millisekunden > 0 ? AAction.Millisekunden : CZEP_GA_DefaultWaitMs;
    QElapsedTimer timer;
    timer.start();
    TZEP_X11_Window window = 0;
    bool foreignSeen = false;
    while (true) {
        const QList<TZEP_X11_Window> windows = FSession->FindWindows(AAction.Text);
        for (const TZEP_X11_Window candidate : windows) {
            if (!IsCandidate(candidate)) {
                foreignSeen = true;
            } else if (window == 0) {
                window = candidate;
            }
        }
        if (window != 0) {
            break;
        }
        if (FProgram != nullptr && !FProgram->IsRunning()) {
            throw EVKO_Error(
                QStringLiteral("Das Programm „%1“ hat sich beendet (%2), bevor sein "
                               "Fenster „%3“ erschien.")
                    .arg(FSequence.TargetProgramFile(), FProgram->EndDescription(), AAction.Text));
        }
        const qint64 remaining = timeout - timer.elapsed();
        if (remaining <= 0) {
            throw EVKO_Error(
                QStringLiteral("Das Fenster „%1“ ist nach %2 ms nicht erschienen.%3")
                    .arg(AAction.Text, QString::number(timeout),
                         foreignSeen ? QStringLiteral(" Ein Fenster mit diesem Titel gehört zu "
                                                      "einem anderen Programm.")
                                     : QString()));
        }
        Sleep(std::min<qint64>(remaining, CPollMs));
    }
    FWindow = window;
    FTargetWatched = false;
    FWindowTitle = FSession->Title(window);
    if (FProgram == nullptr && FWindowPid == 0) {
        FWindowPid = FSession->Pid(window);
    }
    FSession->Activate(window);
    QElapsedTimer focusTimer;
    focusTimer.start();
    while (!OwnsWindow(FSession->Focus())) {
        if (focusTimer.elapsed() >= CFocusTimeoutMs) {
            throw EVKO_Error(QStringLiteral("Das Fenster „%1“ bekam den Tastaturfokus nicht "
                                            "(innerhalb von %2 ms).")
                                 .arg(FWindowTitle, QString::number(CFocusTimeoutMs)));
        }
        Sleep(CFocusPollMs);
    }
}

void TZEP_GA_X11Run::TypeText(const TZEP_GA_SingleAction& AAction) {
    const QList<uint> characters = AAction.Text.toUcs4();
    const TZEP_GA_X11Session::TBoundKeys keys(*FSession, AAction.Text);
    for (const uint character : characters) {
        EnsureTarget();
        FSession->TypeCharacter(character, CKeyDelayMs);
    }
}

void TZEP_GA_X11Run::PressKeys(const TZEP_GA_SingleAction& AAction) {
    for (const QByteArray& combination : ZEP_GA_KeyCombinations(AAction.Text)) {
        EnsureTarget();
        FSession->SendKeys(combination, CKeyDelayMs);
    }
}

void TZEP_GA_X11Run::Click(const TZEP_GA_SingleAction& AAction) {
    EnsureWindow();
    const QRect area = FSession->Geometry(FWindow);
    if (!QRect(QPoint(0, 0), area.size()).contains(AAction.X, AAction.Y)) {
        throw EVKO_Error(QStringLiteral("Die Stelle %1, %2 liegt außerhalb des Fensters „%3“ "
                                        "(%4 × %5 Punkte).")
                             .arg(QString::number(AAction.X), QString::number(AAction.Y),
                                  FWindowTitle, QString::number(area.width()),
                                  QString::number(area.height())));
    }
    const QPoint point = area.topLeft() + QPoint(AAction.X, AAction.Y);
    const TZEP_X11_Window shown = FSession->WindowAt(point);
    if (!OwnsWindow(shown)) {
        throw EVKO_Error(
            QStringLiteral("An der Stelle %1, %2 liegt %3; der Klick wurde nicht gesendet.")
                .arg(AAction.X)
                .arg(AAction.Y)
                .arg(shown == 0 ? QStringLiteral("kein Fenster")
                                : QStringLiteral("das Fenster %1 über dem Zielprogramm")
                                      .arg(Describe(shown))));
    }
    FSession->Click(point);
}

bool TZEP_GA_X11Run::IsCandidate(TZEP_X11_Window AWindow) {
    const qint64 pid = FSession->Pid(AWindow);
    if (FProgram != nullptr) {
        return FProgram->Owns(pid);
    }
    // Without a start of its own, the title proves nothing: the window's process must run the
    // program that the directory names.
    return FWindowPid != 0 ? pid == FWindowPid : ZEP_GA_RunsExecutable(pid, FExecutable);
}

bool TZEP_GA_X11Run::OwnsPid(qint64 APid) const {
    if (FProgram != nullptr) {
        return FProgram->Owns(APid);
    }
    return FWindowPid != 0 && APid == FWindowPid;
}

bool TZEP_GA_X11Run::OwnsWindow(TZEP_X11_Window AWindow, QList<TZEP_X11_Window>* AWalked) {
    if (AWindow == 0) {
        return false;
    }
    for (const TZEP_X11_Window window : FSession->Lineage(AWindow)) {
        if (AWalked != nullptr) {
            AWalked->append(window);
        }
        if (window == FWindow) {
            return true;
        }
        const qint64 pid = FSession->Pid(window);
        if (pid != 0) {
            return OwnsPid(pid);
        }
    }
    return false;
}

void TZEP_GA_X11Run::EnsureWindow() {
    if (!FSession->IsShown(FWindow)) {
        throw EVKO_Error(
            QStringLiteral("Das Fenster „%1“ des Zielprogramms ist nicht mehr da.%2")
                .arg(FWindowTitle, FProgram != nullptr && !FProgram->IsRunning()
                                       ? QStringLiteral(" Das Programm hat sich beendet (%1).")
                                             .arg(FProgram->EndDescription())
                                       : QString()));
    }
}

QList<TZEP_X11_Window> TZEP_GA_X11Run::EnsureFocus() {
    const TZEP_X11_Window focus = FSession->Focus();
    if (focus == 0) {
        throw EVKO_Error(
            QStringLiteral("Kein Fenster hat den Tastaturfokus; die Eingabe wurde "
                           "nicht gesendet."));
    }
    QList<TZEP_X11_Window> walked;
    if (!OwnsWindow(focus, &walked)) {
        throw EVKO_Error(QStringLiteral("Der Tastaturfokus liegt nicht beim Zielprogramm, "
                                        "sondern beim Fenster %1; die Eingabe wurde nicht "
                                        "gesendet.")
                             .arg(Describe(focus)));
    }
    return walked;
}

// The checks depend on the target and its ancestors (a window manager's frame), which report
// being unmapped, reparented or destroyed, and on the focus window, which reports that the focus
// left, and its ancestors up to the one that proved it the program's. A check counts only if
// every window it looked at was watched before it ran.
void TZEP_GA_X11Run::EnsureTarget() {
    const bool changed = FSession->Changed();
    if (FTargetWatched && !changed) {
        return;
    }
    FTargetWatched = false;
    for (int check = 0; check < CWatchChecks && !FTargetWatched; ++check) {
        EnsureWindow();
        const QList<TZEP_X11_Window> focus = EnsureFocus();
        FTargetWatched = FSession->Watch(FSession->Lineage(FWindow) + focus);
    }
}

QString TZEP_GA_X11Run::Describe(TZEP_X11_Window AWindow) {
    for (const TZEP_X11_Window window : FSession->Lineage(AWindow)) {
        const QString title = FSession->Title(window);
        if (!title.isEmpty()) {
            return QStringLiteral("„%1“").arg(title);
        }
    }
    return QStringLiteral("0x%1").arg(AWindow, 0, 16);
}
