#include "md_startup.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "md_commandline.h"
#include "md_file_dialog.h"
#include "md_gui_controller.h"
#include "md_gui_run_progress.h"
#include "md_kopieren_nach.h"
#include "md_main.h"
#include "md_messagebox_presenter.h"
#include "md_png_writer.h"
#include "md_qt_deutsch.h"
#include "md_testlauf_hook.h"
#include "vko_folder.h"
#include "vko_huge_page_heap.h"
#include "vko_info.h"
#include "vko_programm.h"
#include "zep_ga_player.h"

namespace {

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

// What the toolkit gets of the command line: never a switch of this program, whose values come
// from a plan or a file, and for an unattended run nothing at all, so that no argument can
// choose a platform plugin, a style or a display for it.
std::vector<char*> ToolkitArguments(int argc, char** argv, bool AUnattended) {
    std::vector<char*> arguments{argv[0]};
    for (int i = 1; i < argc && !AUnattended; ++i) {
        if (!TZEP_MD_CommandLine::IsOwnSwitch(QString::fromLocal8Bit(argv[i]))) {
            arguments.push_back(argv[i]);
        }
    }
    arguments.push_back(nullptr);
    return arguments;
}

void StartFailed(const QString& AWhy) {
    VKOInfo().ShowFehler(TVKO_FehlerInfo{
        QStringLiteral("Mandorel kann nicht starten: es ist kein Bildschirm verfügbar (%1).")
            .arg(AWhy),
        {QStringLiteral("MD_Programmstart")}});
}

bool DisplayNamed() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The toolkit ends the process when it cannot reach the display; a scheduled run must rather
// end with a clear message and an exit code.
void EndWithoutDisplay(QtMsgType AType, const QMessageLogContext&, const QString& AMessage) {
    if (AType != QtFatalMsg) {
        return;
    }
    VKOInfo().WriteTextWithStamp(QStringLiteral("Meldung der Bedienoberfläche: ") + AMessage);
    StartFailed(QStringLiteral("der Bildschirm „%1“ ist nicht erreichbar")
                    .arg(qEnvironmentVariable("DISPLAY")));
    std::_Exit(CMD_Exit_Fehler);
}

// -KOPIEREN-NACH:<service>: prints what it copied, or the reason it copied nothing.
int KopierenNach(const QString& ADienst) {
    try {
        const QStringList bericht = MD_KopierenNach(
            VKO_FilePath(TVKOFolder::Daten, QStringLiteral("quandrix.db")), ADienst);
        std::printf("Kopiert in die gemeinsame Datenbank „%s“:\n", ADienst.toUtf8().constData());
        for (const QString& zeile : bericht) {
            std::printf("  %s\n", zeile.toUtf8().constData());
        }
        return CMD_Exit_OK;
    } catch (const EVKO_Error& AError) {
        VKOInfo().WriteTextWithStamp(AError.Text());
        std::fprintf(stderr, "%s\n", AError.Text().toUtf8().constData());
    } catch (const std::exception& AError) {
        std::fprintf(stderr, "%s\n", AError.what());
    }
    return CMD_Exit_Fehler;
}

int ExitCodeOf(const TZEP_MD_GUI_Controller_Impl* AController, bool AUnattended,
               bool AStartFailed) {
    if (!AUnattended) {
        return AStartFailed ? CMD_Exit_Fehler : CMD_Exit_OK;
    }
    if (AController == nullptr) {
        return CMD_Exit_Fehler;
    }
    switch (AController->AutoExecuteErgebnis()) {
        case TZEP_MD_AutoExecuteErgebnis::Gespielt:
            return CMD_Exit_OK;
        case TZEP_MD_AutoExecuteErgebnis::NichtGefunden:
            return CMD_Exit_NichtGefunden;
        default:
            return CMD_Exit_Fehler;
    }
}

}  // namespace

int MD_Programmstart(int argc, char** argv, const TZEP_MD_PlayerFactory& APlayerFactory) {
    VKO_HugePageHeap();
    const QStringList arguments = ArgumentsOf(argc, argv);
    const bool unattended = TZEP_MD_CommandLine(arguments).RunSwitch();
    for (const QString& argument : arguments) {
        if (argument.mid(1).startsWith(QLatin1String("KOPIEREN-NACH"), Qt::CaseInsensitive)) {
            return KopierenNach(
                TZEP_MD_CommandLine({argument}).SwitchValue(QStringLiteral("KOPIEREN-NACH")));
        }
    }
    if (!DisplayNamed()) {
        StartFailed(QStringLiteral("die Umgebungsvariable DISPLAY ist leer"));
        return CMD_Exit_Fehler;
    }
    std::vector<char*> toolkitArgv = ToolkitArguments(argc, argv, unattended);
    int toolkitArgc = static_cast<int>(toolkitArgv.size()) - 1;
    const QtMessageHandler toolkitHandler = qInstallMessageHandler(EndWithoutDisplay);
    QApplication application(toolkitArgc, toolkitArgv.data());
    qInstallMessageHandler(toolkitHandler);
    QTranslator qtTexte;
    const QString hook = MD_TestlaufHook();
    // Under the test hook nobody answers a message box: messages go to the log.
    if (!unattended && hook.isEmpty()) {
        VKOInfo().SetPresenter(std::make_unique<TZEP_MD_MessageBoxPresenter>());
    }

    std::unique_ptr<TZEP_MD_GUI_Controller_Impl> controller;
    std::unique_ptr<TZEP_MD_Main> window;
    bool startFailed = false;
    try {
        VKOProgramm().Init(QStringLiteral("MANDOREL"), 3, 0, 0, true);
        MD_QtTexteDeutsch(qtTexte);
        QApplication::setApplicationDisplayName(QStringLiteral("Mandorel"));
        controller = std::make_unique<TZEP_MD_GUI_Controller_Impl>(
            APlayerFactory(), arguments, std::make_unique<TZEP_MD_Progress>());
        controller->SetBildWriter(std::make_unique<TZEP_MD_PngWriter>());
        if (controller->Mandorel_AutoExecute_Neccessary()) {
            controller->Mandorel_AutoExecute();
        } else {
            controller->SetFileDialog(std::make_unique<TZEP_MD_QFileDialog>());
            window = std::make_unique<TZEP_MD_Main>();
            window->SetController(*controller);
            window->Initialize();
            window->show();
            if (!hook.isEmpty()) {
                QTimer::singleShot(0, window.get(), [&window, &controller, hook] {
                    try {
                        MD_RunTestlaufHook(hook, *window, *controller);
                    } catch (...) {
                        VKOProgramm().ShowException(std::current_exception(), false);
                    }
                });
            }
            // Repairs any drift between the timers and the plan store once the window is up:
            // the service manager may take a while to answer, and the window stays regardless.
            QTimer::singleShot(0, window.get(), [&controller] {
                try {
                    controller->SyncPlans();
                } catch (...) {
                    VKOProgramm().ShowException(std::current_exception(), false);
                }
            });
        }
    } catch (...) {
        startFailed = true;
        VKOProgramm().ShowException(std::current_exception(), false);
    }

    // Only a window keeps the message loop running; an unattended run has asked to end.
    if (window) {
        QApplication::exec();
    }
    const int exitCode = ExitCodeOf(controller.get(), unattended, startFailed);
    window.reset();
    ReleaseGuarded("MD_Programmstart", [&controller] { controller.reset(); });
    return exitCode;
}
