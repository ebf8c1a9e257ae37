#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "md_gui_listener.h"
#include "md_mandorel.h"
#include "md_templates.h"
#include "md_tokenlist.h"
#include "vko_inttrio.h"
#include "zep_run_history.h"

struct TPlanSatz;
class TZEP_GA_Begleitung;
class IZEP_MD_FileDialog;
class TZEP_RessGlyphImageList;
class TZEP_MenuFile;

// Called by the plan store with the plan record it loaded.
using TZEP_LoadPlan_Callback = std::function<void(const TPlanSatz& APlansatz)>;

// The one interface through which views and start-up act on Mandorele. Operations are listed
// in the order of their slots.
class TZEP_MD_GUI_Controller {
public:
    virtual ~TZEP_MD_GUI_Controller();

    TZEP_MD_Mandorel* Selected_Mandorel() const { return FSelected_Mandorel; }
    TZEP_MD_GUI_Listener& Listeners() const { return *FListener; }
    TZEP_RessGlyphImageList& Images() const { return *FImages; }
    TZEP_MenuFile& MenuFile() const { return *FMenuFile; }

    virtual void Enum_Mandorele(const TZEP_MD_Enum_Callback& AEnumMD_Callback) = 0;
    virtual void Select_Mandorel(const QString& AMD_Name, const QString& AMD_Programm) = 0;
    virtual void ExecuteSelectedReport() = 0;
    // The test run of the window: plays beside the user, off this thread, with ABegleitung for
    // its picture and its stop; this thread's events are handled meanwhile.
    virtual void ExecuteSelectedReport_Beside(TZEP_GA_Begleitung& ABegleitung) {
        static_cast<void>(ABegleitung);
        ExecuteSelectedReport();
    }
    virtual void DeleteSelectedReport() = 0;
    virtual void EditSelectedReport_Start() = 0;
    virtual void CreateNewReport_Start() = 0;
    virtual void ExportSelectedReport() = 0;
    virtual void ImportSelectedReport() = 0;
    [[nodiscard]] virtual bool SelectedReport_IsNew() = 0;
    virtual void SelectedReport_SetName(const QString& AName_Anzeige) = 0;
    virtual void SelectedReport_SetProgramm(const QString& AProgramm) = 0;
    virtual void ReportChanges_Commit() = 0;
    virtual void ReportChanges_Abort() = 0;
    virtual void Load_Plan(const TIntTrio& APlanId, const TZEP_LoadPlan_Callback& ACallback) = 0;
    [[nodiscard]] virtual TIntTrio Save_Plan(TPlanSatz& APlansatz) = 0;
    [[nodiscard]] virtual bool Template_ByKennung(const QString& ATemplate_Name,
                                                  const TZEP_MD_Template*& ATemplate) = 0;
    [[nodiscard]] virtual bool Tokens4Template(const QString& ATemplate_Name,
                                               QList<TZEP_MD_TokenInfo>& AStaticTokens) = 0;
    virtual void Enum_DynTokens(const TZEP_MD_DynToken_EnumCallback& AEnum_Callback) = 0;
    virtual void Enum_Templates(const TZEP_MD_Template_EnumCallback& AEnum_CB, bool InitialOnly,
                                const QString& AProgramm) = 0;
    virtual void Enum_FolgeTemplates(const TZEP_MD_Template_EnumCallback& AEnum_CB,
                                     const QString& ATemplateKennung) = 0;
    // The recorded runs of the selected Mandorel, newest first; none without a stored one.
    [[nodiscard]] virtual QList<TZEP_RunEntry> Ausfuehrungen_SelectedReport() { return {}; }
    // Whether runs may have been recorded elsewhere (a planned run, another window) since the
    // runs were last read; cheap enough to ask every few seconds.
    [[nodiscard]] virtual bool Ausfuehrungen_Geaendert() { return false; }
    // Whether another program committed or deleted a Mandorel since the list was read; never
    // during an edit, which the lost-update rule guards instead.
    [[nodiscard]] virtual bool Mandorele_Geaendert() { return false; }
    // Fills AVorschau with what a run of the selected Mandorel in its current state would play
    // on ADatum, masked values as "***"; plays nothing. False when none is selected.
    [[nodiscard]] virtual bool Vorschau_SelectedReport(const QDate& ADatum,
                                                       TZEP_GA_Sequence& AVorschau) {
        static_cast<void>(ADatum);
        static_cast<void>(AVorschau);
        return false;
    }
    // This workstation's name on a database that other workstations share; empty on a database
    // of its own, where every plan and every run is this workstation's.
    [[nodiscard]] virtual QString Gemeinsamer_Arbeitsplatz() { return {}; }
    // The dialogs that views and editors open; none where nobody is asked.
    [[nodiscard]] virtual IZEP_MD_FileDialog* FileDialog() const { return nullptr; }

protected:
    TZEP_MD_GUI_Controller();

    TZEP_MD_Mandorel* FSelected_Mandorel = nullptr;
    std::unique_ptr<TZEP_MD_GUI_Listener> FListener;
    std::shared_ptr<TZEP_RessGlyphImageList> FImages;
    std::unique_ptr<TZEP_MenuFile> FMenuFile;
};
