#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <functional>
#include <utility>

#include "md_commandline.h"
#include "md_gui_controller.h"
#include "md_processor.h"
#include "vko_clock.h"
#include "vko_folder.h"
#include "vko_info.h"
#include "vko_keyfeld.h"
#include "vko_programm.h"

namespace {

// Hides the progress window and ends the application however the run ends.
class TRunEnd {
public:
    explicit TRunEnd(std::function<void()> AEnd) : FEnd(std::move(AEnd)) {}
    ~TRunEnd() { FEnd(); }
    TRunEnd(const TRunEnd&) = delete;
    TRunEnd& operator=(const TRunEnd&) = delete;

private:
    std::function<void()> FEnd;
};

}  // namespace

bool TZEP_MD_GUI_Controller_Impl::Mandorel_AutoExecute_Neccessary() try {
    return TZEP_MD_CommandLine(FArguments).RunSwitch();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Mandorel_AutoExecute_Neccessary");
}

void TZEP_MD_GUI_Controller_Impl::RequestTermination() {
    FTerminationRequested = true;
    // Queued, because the message loop may not run yet; it then ends as soon as it starts.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

void TZEP_MD_GUI_Controller_Impl::Mandorel_AutoExecute() try {
    FAutoExecuteErgebnis = TZEP_MD_AutoExecuteErgebnis::Fehlgeschlagen;
    const TZEP_MD_CommandLine commandLine(FArguments);
    const QString programm = commandLine.Programm();
    const QString name = commandLine.Report();
    TZEP_RunEntry entry;
    entry.Programm = programm.toUpper();
    entry.NameKey = Wert_2_Wert4KeyFeld(name);
    entry.Start = vko_Now();
    // The run needs no other Mandorel, so it reads only this one, however many are stored. When
    // that fails, the history, which lives in the same database, is not written either: a
    // database that could not be read is left as it is.
    FProcessor->Load_Report(name, programm);
    Select_Mandorel(name, programm);
    if (FSelected_Mandorel == nullptr) {
        VKOInfo().WriteTextWithStamp(QStringLiteral("Could not find Mandorel ") + name +
                                     QStringLiteral(" for Program ") + programm);
        FAutoExecuteErgebnis = TZEP_MD_AutoExecuteErgebnis::NichtGefunden;
        entry.Ergebnis = TZEP_RunErgebnis::NichtGefunden;
        RecordRun(entry, nullptr);
        RequestTermination();
        return;
    }
    VKOProgramm().SetUnattended(true);
    RunAutoExecute(programm, name);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Mandorel_AutoExecute");
}

void TZEP_MD_GUI_Controller_Impl::RunAutoExecute(const QString& AProgramm, const QString& AName) {
    if (FProgress) {
        FProgress->Show(AProgramm, AName);
    }
    const TRunEnd end([this] {
        RenewPlans();
        if (FProgress) {
            FProgress->Hide();
        }
        RequestTermination();
    });
    try {
        ExecuteSelectedReport();
    } catch (...) {
        VKOInfo().WriteTextWithStamp(
            QStringLiteral("Der Mandorel %1 für das Programm %2 ist fehlgeschlagen: %3")
                .arg(AName, AProgramm, VKOInfo().FehlerInfo(std::current_exception()).Text));
        throw;
    }
    FAutoExecuteErgebnis = TZEP_MD_AutoExecuteErgebnis::Gespielt;
}

void TZEP_MD_GUI_Controller_Impl::RaiseNichtGespielt() const {
    const QString name = FSelected_Mandorel->Name_Key();
    const QString programm = FSelected_Mandorel->Programm();
    const QString vorlage = FProcessor->Fehlende_Vorlage();
    if (vorlage.isEmpty()) {
        throw EVKO_Error(
            QStringLiteral("Der Mandorel %1 für das Programm %2 wurde nicht ausgeführt: ein "
                           "Platzhalter seiner Schritte konnte nicht ersetzt werden.")
                .arg(name, programm));
    }
    const QString katalog =
        VKO_FilePath(TVKOFolder::Einstellungen, QStringLiteral("MD_Templates.ini"), false);
    // A catalogue that is missing altogether is a set-up fault, not a fault of the step.
    const QString grund =
        QFileInfo::exists(katalog)
            ? QStringLiteral(
                  "ein Schritt nennt die Vorlage „%1“, die der Katalog „%2“ nicht "
                  "enthält.")
            : QStringLiteral("ein Schritt nennt die Vorlage „%1“, aber der Katalog „%2“ fehlt.");
    throw EVKO_Error(QStringLiteral("Der Mandorel %1 für das Programm %2 wurde nicht ausgeführt: ")
                         .arg(name, programm) +
                     grund.arg(vorlage, QDir::toNativeSeparators(katalog)));
}
