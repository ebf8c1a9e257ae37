#pragma once

#include <QStringList>
#include <memory>
#include <optional>

#include "md_file_dialog_intf.h"
#include "md_gui_controller_intf.h"
#include "md_progress_window.h"
#include "vko_plansatz.h"
#include "zep_ga_player.h"

class TPlanManiDM;
class TZEP_GA_Player;
class TZEP_MD_Processor;
class TZEP_MD_RunRecorder;

// How an unattended run ended; start-up turns it into the exit code.
enum class TZEP_MD_AutoExecuteErgebnis {
    NichtGelaufen,
    Gespielt,
    NichtGefunden,
    Fehlgeschlagen,
};

// The controller: owns the report store, keeps the selection, runs the create and edit
// transactions and tells the views about changes.
class TZEP_MD_GUI_Controller_Impl : public TZEP_MD_GUI_Controller {
public:
    // AArguments: the command line without the program's own name. Without a progress window
    // a run shows nothing while it plays.
    TZEP_MD_GUI_Controller_Impl(std::unique_ptr<TZEP_GA_Player> APlayer, QStringList AArguments,
                                std::unique_ptr<IZEP_MD_ProgressWindow> AProgress = nullptr);
    ~TZEP_MD_GUI_Controller_Impl() override;

    void Enum_Mandorele(const TZEP_MD_Enum_Callback& AEnumMD_Callback) override;
    void Select_Mandorel(const QString& AMD_Name, const QString& AMD_Programm) override;
    void ExecuteSelectedReport() override;
    void ExecuteSelectedReport_Beside(TZEP_GA_Begleitung& ABegleitung) override;
    void DeleteSelectedReport() override;
    void EditSelectedReport_Start() override;
    void CreateNewReport_Start() override;
    void ExportSelectedReport() override;
    void ImportSelectedReport() override;
    bool SelectedReport_IsNew() override;
    void SelectedReport_SetName(const QString& AName_Anzeige) override;
    void SelectedReport_SetProgramm(const QString& AProgramm) override;
    void ReportChanges_Commit() override;
    void ReportChanges_Abort() override;
    void Load_Plan(const TIntTrio& APlanId, const TZEP_LoadPlan_Callback& ACallback) override;
    // Keeps the selected Mandorel's plan record for the next commit, which writes it in the
    // transaction of the Mandorel's record; answers the id it will update, or none for a new
    // record. Nothing is written or planned before that commit.
    TIntTrio Save_Plan(TPlanSatz& APlansatz) override;
    bool Template_ByKennung(const QString& ATemplate_Name,
                            const TZEP_MD_Template*& ATemplate) override;
    bool Tokens4Template(const QString& ATemplate_Name,
                         QList<TZEP_MD_TokenInfo>& AStaticTokens) override;
    void Enum_DynTokens(const TZEP_MD_DynToken_EnumCallback& AEnum_Callback) override;
    void Enum_Templates(const TZEP_MD_Template_EnumCallback& AEnum_CB, bool InitialOnly,
                        const QString& AProgramm) override;
    void Enum_FolgeTemplates(const TZEP_MD_Template_EnumCallback& AEnum_CB,
                             const QString& ATemplateKennung) override;
    QList<TZEP_RunEntry> Ausfuehrungen_SelectedReport() override;
    bool Ausfuehrungen_Geaendert() override;
    bool Mandorele_Geaendert() override;
    bool Vorschau_SelectedReport(const QDate& ADatum, TZEP_GA_Sequence& AVorschau) override;
    QString Gemeinsamer_Arbeitsplatz() override;
    IZEP_MD_FileDialog* FileDialog() const override { return FFileDialog.get(); }

    // Writes the screen picture of a failed run; without it the history keeps none.
    void SetBildWriter(std::unique_ptr<IZEP_BildWriter> AWriter);
    // The dialogs of export, import and the editors; without them every one ends as if the
    // user cancelled.
    void SetFileDialog(std::unique_ptr<IZEP_MD_FileDialog> AFileDialog) {
        FFileDialog = std::move(AFileDialog);
    }

    // Makes the system scheduler's timers follow the plan store; the window does it at start.
    void SyncPlans();

    bool Mandorel_AutoExecute_Neccessary();
    void Mandorel_AutoExecute();
    TZEP_MD_AutoExecuteErgebnis AutoExecuteErgebnis() const { return FAutoExecuteErgebnis; }
    // Set when the application was asked to end; its message loop then returns at once.
    bool TerminationRequested() const { return FTerminationRequested; }

private:
    void RequestTermination();
    void RunAutoExecute(const QString& AProgramm, const QString& AName);
    // Raises why the selected Mandorel was not played.
    [[noreturn]] void RaiseNichtGespielt() const;
    // The plan record the schedule view handed over for the next commit, and the id it showed.
    struct TVorgemerkterPlan {
        TPlanSatz Satz;
        TIntTrio Gezeigt;
    };
    // Inside the commit's transaction: writes APlan's record for AMandorel and lists its id in
    // AMandorel's plan ids in place of the one the view showed.
    void WritePlan(TVorgemerkterPlan& APlan, TZEP_MD_Mandorel& AMandorel);
    // After a commit wrote a plan: the units follow the plan store.
    void PlansWritten(const TPlanSatz& APlansatz);
    // Inside the delete's transaction: removes the plan records of the Mandorel; true when
    // there were any.
    bool RemovePlans(const QString& AProgramm, const QString& ANameKey);
    // After an unattended run: renews the listed dates of the selected Mandorel's timers. A
    // failure costs a log line, never the run's result.
    void RenewPlans() noexcept;
    void PlaySelectedReport();
    // Raises, under AGuard, why the selected Mandorel may not be booked: a program that is
    // not in the directory, values beyond their bounds. Asked before its plan is saved too.
    void Check_Buchbar(const char* AGuard) const;
    void RecordRun(TZEP_RunEntry AEntry, const std::exception_ptr& AFehler,
                   const TZEP_GA_Bildschirm& ABild = {}) noexcept;

    std::unique_ptr<TZEP_MD_Processor> FProcessor;
    std::unique_ptr<TZEP_MD_TemplateList> FTemplates;
    std::unique_ptr<TZEP_MD_Tokenlist> FTokenList;
    std::unique_ptr<TPlanManiDM> FPlanMani;
    std::unique_ptr<TZEP_MD_Mandorel> FNewMandorel;
    std::unique_ptr<TZEP_MD_RunRecorder> FRecorder;
    std::optional<TVorgemerkterPlan> FPlan;

    QStringList FArguments;
    std::unique_ptr<IZEP_MD_ProgressWindow> FProgress;
    std::unique_ptr<IZEP_MD_FileDialog> FFileDialog;
    TZEP_MD_AutoExecuteErgebnis FAutoExecuteErgebnis = TZEP_MD_AutoExecuteErgebnis::NichtGelaufen;
    bool FTerminationRequested = false;
    // The notice that plans wait for the system scheduler is shown once per window.
    bool FPlanungHinweisGezeigt = false;
};
