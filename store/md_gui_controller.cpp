#include "md_gui_controller.h"

#include "md_glyph_imagelist.h"
#include "md_helper.h"
#include "md_mandorel_checks.h"
#include "md_processor.h"
#include "md_run_recorder.h"
#include "vko_clock.h"
#include "vko_info.h"
#include "vko_planmani.h"
#include "vko_systemd_timer.h"
#include "zep_ga_player.h"
#include "zep_menu_file.h"
#include "zep_run_history.h"

TZEP_MD_GUI_Controller_Impl::TZEP_MD_GUI_Controller_Impl(
    std::unique_ptr<TZEP_GA_Player> APlayer, QStringList AArguments,
    std::unique_ptr<IZEP_MD_ProgressWindow> AProgress) try
    : FProcessor(std::make_unique<TZEP_MD_Processor>(std::move(APlayer))),
      FTemplates(std::make_unique<TZEP_MD_TemplateList>()),
      FRecorder(std::make_unique<TZEP_MD_RunRecorder>()),
      FArguments(std::move(AArguments)),
      FProgress(std::move(AProgress)) {
    FTemplates->LoadTemplates();
    FTokenList = std::make_unique<TZEP_MD_Tokenlist>();
    FListener = std::make_unique<TZEP_MD_GUI_Listener>();
    FImages = GlobResGlyphImageList_GetInstance(0);
    FMenuFile = std::make_unique<TZEP_MenuFile>();
    try {
        FMenuFile->Load();
    } catch (...) {
        // The views only take display names from it; a run names the damage when it starts
        // a program, so a damaged directory must not keep the module from starting.
        VKOInfo().RegisterException("TZEP_MD_GUI_Controller.Create", std::current_exception(),
                                    false);
    }
    // The plan store writes on the record file's connection, in the commit's transaction.
    FPlanMani = std::make_unique<TPlanManiDM>(FProcessor->Database());
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller.Create");
}

TZEP_MD_GUI_Controller_Impl::~TZEP_MD_GUI_Controller_Impl() {
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { ReportChanges_Abort(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FPlanMani.reset(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FProgress.reset(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FMenuFile.reset(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FImages.reset(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FListener.reset(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FTokenList.reset(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FTemplates.reset(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FRecorder.reset(); });
    ReleaseGuarded("TZEP_MD_GUI_Controller_Impl.Destroy", [this] { FProcessor.reset(); });
    VKOInfo().FehlerTerminate();
}

void TZEP_MD_GUI_Controller_Impl::Enum_Mandorele(
    const TZEP_MD_Enum_Callback& AEnumMD_Callback) try {
    // The reload replaces every stored object; a selected stored Mandorel is found again by
    // its keys, so that no view reads a released one.
    const bool storedSelected =
        FSelected_Mandorel != nullptr && !SelectedReport_IsNew() &&
        FProcessor->Mandorel_ByName(FSelected_Mandorel->Name_Key(),
                                    FSelected_Mandorel->Programm()) == FSelected_Mandorel;
    QString nameKey;
    QString programm;
    if (storedSelected) {
        nameKey = FSelected_Mandorel->Name_Key();
        programm = FSelected_Mandorel->Programm();
        FSelected_Mandorel = nullptr;
    }
    FProcessor->Load_Reports();
    if (storedSelected) {
        FSelected_Mandorel = FProcessor->Mandorel_ByName(nameKey, programm);
        if (FSelected_Mandorel == nullptr) {
            FListener->SendNotification_ReportChanged();
        }
    }
    FProcessor->Enum_Mandorele(AEnumMD_Callback);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller.Enum_Mandorele");
}

void TZEP_MD_GUI_Controller_Impl::Select_Mandorel(const QString& AMD_Name,
                                                  const QString& AMD_Programm) try {
    FSelected_Mandorel = FProcessor->Mandorel_ByName(AMD_Name, AMD_Programm);
    FListener->SendNotification_ReportChanged();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller.Select_Mandorel");
}

void TZEP_MD_GUI_Controller_Impl::ExecuteSelectedReport() try {
    if (FSelected_Mandorel == nullptr) {
        return;
    }
    TZEP_RunEntry entry;
    entry.Programm = FSelected_Mandorel->Programm();
    entry.NameKey = FSelected_Mandorel->Name_Key();
    entry.Start = vko_Now();
    std::exception_ptr fehler;
    try {
        PlaySelectedReport();
    } catch (...) {
        fehler = std::current_exception();
    }
    // A failed run's screen, or the last one of a run on a private display.
    TZEP_GA_Bildschirm bild;
    try {
        bild = FProcessor->TakeFehlerBildschirm();
    } catch (...) {
        bild = {};
    }
    // Recorded outside the handler, and raises nothing: the run ends as it would without.
    RecordRun(std::move(entry), fehler, bild);
    if (fehler) {
        std::rethrow_exception(fehler);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.ExecuteSelectedReport");
}

void TZEP_MD_GUI_Controller_Impl::ExecuteSelectedReport_Beside(
    TZEP_GA_Begleitung& ABegleitung) try {
    // Only this run plays beside the user; an unattended one after it plays as ever.
    class TBeside {
    public:
        TBeside(TZEP_MD_Processor& AProcessor, TZEP_GA_Begleitung& ABegleitung)
            : FProcessor(AProcessor) {
            FProcessor.SetBegleitung(&ABegleitung);
        }
        ~TBeside() { FProcessor.SetBegleitung(nullptr); }
        TBeside(const TBeside&) = delete;
        TBeside& operator=(const TBeside&) = delete;

    private:
        TZEP_MD_Processor& FProcessor;
    };
    const TBeside beside(*FProcessor, ABegleitung);
    ExecuteSelectedReport();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.ExecuteSelectedReport_Beside");
}

void TZEP_MD_GUI_Controller_Impl::PlaySelectedReport() {
    // Nothing to play is no success: the history and the user learn why nothing ran.
    if (FSelected_Mandorel->Sequence().Count() == 0) {
        throw EVKO_Error(QStringLiteral("Der Mandorel %1 für das Programm %2 wurde nicht "
                                        "ausgeführt: Er enthält keinen Schritt.")
                             .arg(FSelected_Mandorel->Name_Key(), FSelected_Mandorel->Programm()));
    }
    if (!FProcessor->Execute_Mandorel(*FSelected_Mandorel)) {
        RaiseNichtGespielt();
    }
}

void TZEP_MD_GUI_Controller_Impl::SetBildWriter(std::unique_ptr<IZEP_BildWriter> AWriter) {
    FRecorder->SetBildWriter(std::move(AWriter));
}

void TZEP_MD_GUI_Controller_Impl::RecordRun(TZEP_RunEntry AEntry, const std::exception_ptr& AFehler,
                                            const TZEP_GA_Bildschirm& ABild) noexcept {
    try {
        if (FSelected_Mandorel != nullptr) {
            AEntry.TokenWerte = FProcessor->Token_Werte_Lauf(*FSelected_Mandorel);
        }
    } catch (...) {
        // Without its values the entry still tells how the run went.
        AEntry.TokenWerte.clear();
    }
    FRecorder->Record(std::move(AEntry), AFehler, ABild);
}

QList<TZEP_RunEntry> TZEP_MD_GUI_Controller_Impl::Ausfuehrungen_SelectedReport() try {
    if (FSelected_Mandorel == nullptr || SelectedReport_IsNew()) {
        return {};
    }
    return FRecorder->History().Entries(FSelected_Mandorel->Programm(),
                                        FSelected_Mandorel->Name_Key());
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Ausfuehrungen_SelectedReport");
}

bool TZEP_MD_GUI_Controller_Impl::Mandorele_Geaendert() try {
    if (FNewMandorel || FProcessor->Modify_Mandorel_Copy() != nullptr) {
        return false;
    }
    return FProcessor->Reports_Geaendert();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Mandorele_Geaendert");
}

bool TZEP_MD_GUI_Controller_Impl::Ausfuehrungen_Geaendert() try {
    if (FSelected_Mandorel == nullptr || SelectedReport_IsNew()) {
        return false;
    }
    return FRecorder->History().Geaendert();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Ausfuehrungen_Geaendert");
}

bool TZEP_MD_GUI_Controller_Impl::Vorschau_SelectedReport(const QDate& ADatum,
                                                          TZEP_GA_Sequence& AVorschau) try {
    if (FSelected_Mandorel == nullptr) {
        return false;
    }
    if (!FProcessor->Preview_Mandorel(*FSelected_Mandorel, QDateTime(ADatum, vko_Now().time()),
                                      AVorschau)) {
        RaiseNichtGespielt();
    }
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Vorschau_SelectedReport");
}

void TZEP_MD_GUI_Controller_Impl::DeleteSelectedReport() try {
    if (FSelected_Mandorel == nullptr) {
        return;
    }
    const QString nameKey = FSelected_Mandorel->Name_Key();
    const QString programm = FSelected_Mandorel->Programm();
    FProcessor->Delete_Mandorel(nameKey, programm);
    // A deleted Mandorel must not be started any more, nor leave its timetable to a later one
    // of the same name: its plan records go in the same transaction.
    bool plaene = false;
    try {
        FProcessor->Save_Reports([&] { plaene = RemovePlans(programm, nameKey); });
    } catch (...) {
        // The Mandorel is still stored, so it stays listed and selected as the views show it,
        // and no later save deletes it behind the user's back.
        FProcessor->Delete_Mandorel_Undo(nameKey, programm);
        throw;
    }
    // The save released the deleted Mandorel.
    FSelected_Mandorel = nullptr;
    FListener->SendNotification_ReportListeChanged();
    FListener->SendNotification_ReportChanged();
    if (plaene) {
        PostMessage_ReloadJobs(*FPlanMani, TIntTrio{});
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.DeleteSelectedReport");
}

void TZEP_MD_GUI_Controller_Impl::EditSelectedReport_Start() try {
    FPlan.reset();
    if (FSelected_Mandorel != nullptr) {
        FSelected_Mandorel = FProcessor->Modify_Mandorel_Start(FSelected_Mandorel->Name_Key(),
                                                               FSelected_Mandorel->Programm());
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.EditSelectedReport_Start");
}

void TZEP_MD_GUI_Controller_Impl::CreateNewReport_Start() try {
    FPlan.reset();
    FSelected_Mandorel = nullptr;
    FNewMandorel = std::make_unique<TZEP_MD_Mandorel>();
    FSelected_Mandorel = FNewMandorel.get();
    FListener->SendNotification_ReportChanged();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.CreateNewReport_Start");
}

bool TZEP_MD_GUI_Controller_Impl::SelectedReport_IsNew() try {
    return FSelected_Mandorel == FNewMandorel.get();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.SelectedReport_IsNew");
}

void TZEP_MD_GUI_Controller_Impl::SelectedReport_SetName(const QString& AName_Anzeige) try {
    if (FNewMandorel && SelectedReport_IsNew()) {
        TZEP_MD_Helper::ReportName_Set(*FNewMandorel, AName_Anzeige);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.SelectedReport_SetName");
}

void TZEP_MD_GUI_Controller_Impl::SelectedReport_SetProgramm(const QString& AProgramm) try {
    if (FNewMandorel && SelectedReport_IsNew()) {
        TZEP_MD_Helper::ReportProgramm_Set(*FNewMandorel, AProgramm);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.SelectedReport_SetProgramm");
}

void TZEP_MD_GUI_Controller_Impl::ReportChanges_Commit() try {
    // The plan the view handed over counts for this commit only, whatever its outcome.
    std::optional<TVorgemerkterPlan> plan = std::exchange(FPlan, std::nullopt);
    const bool isNew = FSelected_Mandorel != nullptr && SelectedReport_IsNew();
    // Only an open create or edit has something to commit.
    if (!isNew && (FSelected_Mandorel == nullptr ||
                   FSelected_Mandorel != FProcessor->Modify_Mandorel_Copy())) {
        return;
    }
    FTemplates->Check_Programmstarts(FSelected_Mandorel->Sequence(), *FTokenList);
    Check_Buchbar("TZEP_MD_GUI_Controller_Impl.EditSelectedReport_Commit");
    const QString nameKey = FSelected_Mandorel->Name_Key();
    const QString programm = FSelected_Mandorel->Programm();
    if (!isNew) {
        if (!FProcessor->Modify_Mandorel_Commit()) {
            // The stored Mandorel left the list (deleted elsewhere, then reloaded): nothing
            // would be stored, so the edit stays open.
            VKOInfo().FehlerRaise("TZEP_MD_GUI_Controller_Impl.EditSelectedReport_Commit",
                                  MD_Koord(1015), {FSelected_Mandorel->Name_Anzeige(), programm});
        }
    } else if (!FProcessor->Add_Mandorel(FNewMandorel, nullptr)) {
        // Keep the create open with the new Mandorel selected, so the user can pick another
        // name instead of losing the input.
        VKOInfo().FehlerRaise("TZEP_MD_GUI_Controller_Impl.EditSelectedReport_Commit",
                              MD_Koord(1001), {FNewMandorel->Name_Anzeige(), programm});
    }
    TZEP_MD_Mandorel& mandorel = *FSelected_Mandorel;
    const QList<TIntTrio> planIds = mandorel.PlanIds();
    try {
        // The record and its plan are stored together or not at all.
        FProcessor->Save_Reports([&] {
            if (plan) {
                WritePlan(*plan, mandorel);
            }
        });
    } catch (...) {
        // Nothing of the failed commit may stay pending: the list holds what is stored again,
        // and the create or edit stays open with the same object selected, for another try
        // with "Buchen" or a real drop with "Abbrechen".
        mandorel.PlanIds() = planIds;
        if (isNew) {
            FNewMandorel = FProcessor->Add_Mandorel_Undo(FSelected_Mandorel);
        } else {
            FProcessor->Modify_Mandorel_Reopen();
        }
        throw;
    }
    FSelected_Mandorel = nullptr;
    FNewMandorel.reset();
    // What others committed during the edit comes into the list with this load.
    const bool fremdeAenderungen = FProcessor->Reports_Geaendert();
    FProcessor->Load_Reports();
    if (isNew || fremdeAenderungen) {
        FListener->SendNotification_ReportListeChanged();
    }
    Select_Mandorel(nameKey, programm);
    // The units follow only what the transaction stored.
    if (plan) {
        PlansWritten(plan->Satz);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.EditSelectedReport_Commit");
}

void TZEP_MD_GUI_Controller_Impl::Check_Buchbar(const char* AGuard) const {
    // The program code becomes a word of the scheduler's command line.
    if (!FMenuFile->IsProgrammCode(FSelected_Mandorel->Programm())) {
        VKOInfo().FehlerRaise(
            AGuard, MD_Koord(1041),
            {FSelected_Mandorel->Name_Anzeige(), MD_Anzeigbar(FSelected_Mandorel->Programm())});
    }
    MD_CheckGrenzen(*FSelected_Mandorel, QString(), AGuard);
}

void TZEP_MD_GUI_Controller_Impl::ReportChanges_Abort() try {
    FPlan.reset();
    const QString nameKey = FSelected_Mandorel ? FSelected_Mandorel->Name_Key() : QString();
    const QString programm = FSelected_Mandorel ? FSelected_Mandorel->Programm() : QString();
    FSelected_Mandorel = nullptr;
    FProcessor->Modify_Mandorel_Abort();
    FNewMandorel.reset();
    Select_Mandorel(nameKey, programm);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.EditSelectedReport_Abort");
}

bool TZEP_MD_GUI_Controller_Impl::Template_ByKennung(const QString& ATemplate_Name,
                                                     const TZEP_MD_Template*& ATemplate) try {
    return FTemplates->Template_ByKennung(ATemplate_Name, ATemplate);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Template_ByName");
}

bool TZEP_MD_GUI_Controller_Impl::Tokens4Template(const QString& ATemplate_Name,
                                                  QList<TZEP_MD_TokenInfo>& AStaticTokens) try {
    const TZEP_MD_Template* vorlage = nullptr;
    if (FSelected_Mandorel == nullptr || !Template_ByKennung(ATemplate_Name, vorlage)) {
        return false;
    }
    for (const TZEP_GA_SingleAction& action : vorlage->Actions()) {
        if (!TZEP_MD_Tokenlist::IsToken(action.Text)) {
            continue;
        }
        const TZEP_MD_Tokenlist::TToken_AnzeigeData anzeige =
            FTokenList->AnzeigeData_4_Kennung(action.Text);
        AStaticTokens.append(TZEP_MD_TokenInfo{action.Text, anzeige.AnzeigeName,
                                               FSelected_Mandorel->TokenValues().value(action.Text),
                                               anzeige.AnzeigeMaskiert});
    }
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Tokens4Template");
}

void TZEP_MD_GUI_Controller_Impl::Enum_DynTokens(
    const TZEP_MD_DynToken_EnumCallback& AEnum_Callback) try {
    FTokenList->Enum_DynToken(AEnum_Callback);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Enum_DynTokens");
}

void TZEP_MD_GUI_Controller_Impl::Enum_Templates(const TZEP_MD_Template_EnumCallback& AEnum_CB,
                                                 bool InitialOnly, const QString& AProgramm) try {
    FTemplates->Enum_Templates(AEnum_CB, InitialOnly, AProgramm);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Enum_Templates");
}

void TZEP_MD_GUI_Controller_Impl::Enum_FolgeTemplates(const TZEP_MD_Template_EnumCallback& AEnum_CB,
                                                      const QString& ATemplateKennung) try {
    FTemplates->Enum_FolgeTemplates(AEnum_CB, ATemplateKennung);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Enum_FolgeTemplates");
}
