#pragma once

#include "md_gui_frame_base.h"
#include "md_gui_listener.h"
#include "vko_inttrio.h"

class TfraPlanen;

// "Geplante Ausführungen": the timetable of the selected Mandorel's first plan record, handed
// to the controller whenever a Buchen is prepared and stored by the commit that follows.
class TZEP_MD_Planer_Frm : public TZEP_MD_FrameOf<TZEP_MD_Planer_Frm>,
                           public IZEP_MD_SelectedTemplateChanged,
                           public IZEP_MD_Buchen,
                           public IZEP_MD_SelectedReportChanged {
public:
    explicit TZEP_MD_Planer_Frm(TZEP_MD_GUI_Controller& AController, QWidget* AOwner = nullptr);

    static QString View_Caption();
    static QUuid Docking_Key();

    void Initialize() override;
    void Toggle_RO_RW(bool ARO) override;
    // A step was chosen or selected: a new timetable shows whether it needs the user's display.
    void Notification_TemplateChanged(const QString& ANewTemplate_Name) override;
    bool Notification_BeforeBuchen() override;
    void Notification_ReportChanged() override;

    const TIntTrio& PlanId() const { return FPlanId; }

private:
    // True when the Mandorel's first step starts its program, so that it can run on a
    // display of its own.
    bool StartetProgramm() const;
    void ClearForm();
    void ZeigeArbeitsplatz(const QString& AArbeitsplatz);

    TfraPlanen* fraPlaner;
    TIntTrio FPlanId;
    bool FRO = true;
    // The plan shown is another workstation's: it stays read-only here.
    bool FFremd = false;
};
