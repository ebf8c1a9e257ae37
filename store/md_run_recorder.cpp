#include "md_run_recorder.h"

#include "md_commandline.h"
#include "vko_clock.h"
#include "vko_info.h"
#include "zep_ga_begleitung.h"
#include "zep_ga_player.h"

namespace {

int SchrittOf(const std::exception_ptr& AFehler) {
    try {
        std::rethrow_exception(AFehler);
    } catch (const EZEP_GA_SchrittFehler& fehler) {
        return fehler.Schritt();
    } catch (...) {
        return 0;
    }
}

bool Angehalten(const std::exception_ptr& AFehler) {
    try {
        std::rethrow_exception(AFehler);
    } catch (const EZEP_GA_Angehalten&) {
        return true;
    } catch (...) {
        return false;
    }
}

int ExitCodeOf(TZEP_RunErgebnis AErgebnis) {
    switch (AErgebnis) {
        case TZEP_RunErgebnis::Gespielt:
            return CMD_Exit_OK;
        case TZEP_RunErgebnis::NichtGefunden:
            return CMD_Exit_NichtGefunden;
        default:
            return CMD_Exit_Fehler;
    }
}

}  // namespace

TZEP_MD_RunRecorder::TZEP_MD_RunRecorder(QString ADatabasePath)
    : FDatabasePath(std::move(ADatabasePath)) {}

TZEP_MD_RunRecorder::~TZEP_MD_RunRecorder() = default;

TZEP_RunHistory& TZEP_MD_RunRecorder::History() try {
    if (!FHistory) {
        FHistory = FDatabasePath.isEmpty() ? std::make_unique<TZEP_RunHistory>()
                                           : std::make_unique<TZEP_RunHistory>(FDatabasePath);
    }
    return *FHistory;
} catch (...) {
    RethrowRegistered("TZEP_MD_RunRecorder.History");
}

void TZEP_MD_RunRecorder::Record(TZEP_RunEntry AEntry, const std::exception_ptr& AFehler,
                                 const TZEP_GA_Bildschirm& ABild) noexcept {
    try {
        AEntry.Ende = vko_Now();
        if (AFehler) {
            AEntry.Ergebnis = TZEP_RunErgebnis::Fehlgeschlagen;
            AEntry.Meldung = VKOInfo().FehlerInfo(AFehler).Text;
            AEntry.Schritt = SchrittOf(AFehler);
            if (Angehalten(AFehler)) {
                AEntry.Ergebnis = TZEP_RunErgebnis::Angehalten;
            }
        }
        AEntry.ExitCode = ExitCodeOf(AEntry.Ergebnis);
        AEntry.Meldung = VKOInfo().Redact(AEntry.Meldung);
        const qint64 id = History().Add(AEntry);
        if (!ABild.IsEmpty() && FWriter) {
            History().SetBild(id, FWriter->Png(ABild));
        }
    } catch (...) {
        try {
            VKOInfo().WriteTextWithStamp(
                QStringLiteral("Die Ausführung des Mandorels %1 für das Programm %2 steht nicht "
                               "im Protokoll der Ausführungen: %3")
                    .arg(AEntry.NameKey, AEntry.Programm,
                         VKOInfo().FehlerInfo(std::current_exception()).Text));
        } catch (...) {
            // Not even the log can be written; the run goes on as it was.
        }
    }
}
