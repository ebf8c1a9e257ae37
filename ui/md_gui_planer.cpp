#include "md_gui_planer.h"

#include <QVBoxLayout>

#include "md_fra_planen.h"
#include "md_gui_controller_intf.h"
#include "vko_info.h"

namespace {

const QString CHinweisDesktop = QStringLiteral(
    "Dieser Mandorel wartet auf ein Programm, das bereits läuft. Er braucht deshalb Ihren "
    "Bildschirm: Zur geplanten Zeit müssen Sie angemeldet sein.");

}  // namespace

TZEP_MD_Planer_Frm::TZEP_MD_Planer_Frm(TZEP_MD_GUI_Controller& AController, QWidget* AOwner) try
    : TZEP_MD_FrameOf
    <TZEP_MD_Planer_Frm>(AController, AOwner) {
        setObjectName(QStringLiteral("TZEP_MD_Planer_Frm"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        fraPlaner = new TfraPlanen(this);
        layout->addWidget(fraPlaner);
    }
catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Planer_Frm.Create");
}

QString TZEP_MD_Planer_Frm::View_Caption() {
    return QStringLiteral("Geplante Ausführungen");
}

QUuid TZEP_MD_Planer_Frm::Docking_Key() {
    return QUuid(QStringLiteral("{C5EFE987-2BD9-4A71-A42A-0CDA75135AC6}"));
}

void TZEP_MD_Planer_Frm::Initialize() try {
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Planer_Frm.Initialize");
}

void TZEP_MD_Planer_Frm::Toggle_RO_RW(bool ARO) try {
    TZEP_MD_Frame::Toggle_RO_RW(ARO);
    FRO = ARO;
    // Every control of the form, spin boxes and date fields as well.
    for (QWidget* control : fraPlaner->findChildren<QWidget*>()) {
        control->setEnabled(!ARO && !FFremd);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Planer_Frm.Toggle_RO_RW");
}

void TZEP_MD_Planer_Frm::ClearForm() {
    ZeigeArbeitsplatz(QString());
    fraPlaner->Init();
    TPlanSatz leer;
    Clear_Plansatz(leer);
    leer.EigenerBildschirm = StartetProgramm();
    fraPlaner->PlanSatz2Maske(leer);
}

void TZEP_MD_Planer_Frm::Notification_ReportChanged() try {
    const TZEP_MD_Mandorel* mandorel = Controller().Selected_Mandorel();
    if (mandorel != nullptr && !mandorel->PlanIds().isEmpty()) {
        const TIntTrio erste = mandorel->PlanIds().first();
        // A record the store does not know must not leave the previous Mandorel's timetable
        // in the form, where the next Buchen would copy it.
        ClearForm();
        Controller().Load_Plan(erste, [this](const TPlanSatz& APlansatz) {
            fraPlaner->PlanSatz2Maske(APlansatz);
            ZeigeArbeitsplatz(Plansatz_Arbeitsplatz(APlansatz));
        });
        FPlanId = erste;
    } else {
        ClearForm();
        FPlanId.Clear();
    }
    fraPlaner->SetHinweis(mandorel != nullptr && !mandorel->Sequence().Actions().isEmpty() &&
                                  !StartetProgramm()
                              ? CHinweisDesktop
                              : QString());
    Toggle_RO_RW(true);
} catch (...) {
    RethrowRegistered("TZEP_MD_Planer_Frm.Notification_ReportChanged");
}

void TZEP_MD_Planer_Frm::Notification_TemplateChanged(const QString&) try {
    if (!FRO && !FPlanId.Defined()) {
        fraPlaner->EigenerBildschirm_Vorschlagen(StartetProgramm());
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Planer_Frm.Notification_TemplateChanged");
}

bool TZEP_MD_Planer_Frm::Notification_BeforeBuchen() try {
    // Another workstation's plan is not this commit's to write.
    if (FFremd) {
        return true;
    }
    if (fraPlaner->NieAusgefuehrt() &&
        VKOInfo().ShowMeldung(CVKO_Buttons_JaNein, MD_Koord(1029)) != CVKO_Antwort_Ja) {
        return false;
    }
    TPlanSatz plansatz;
    Clear_Plansatz(plansatz);
    plansatz.PlanId = FPlanId;
    fraPlaner->Maske2PlanSatz(plansatz);
    // A new schedule follows the steps as they are now: the first step may have been chosen
    // since the form was filled.
    if (!FPlanId.Defined() && !fraPlaner->EigenerBildschirmGewaehlt()) {
        plansatz.EigenerBildschirm = StartetProgramm();
    }
    // Handed to the commit that follows, which stores it with the Mandorel or not at all; the
    // commit's reselection then shows the id it was saved under.
    static_cast<void>(Controller().Save_Plan(plansatz));
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Planer_Frm.Notification_BeforeBuchen");
}

// AArbeitsplatz empty: a plan not yet booked, which this workstation would run.
void TZEP_MD_Planer_Frm::ZeigeArbeitsplatz(const QString& AArbeitsplatz) {
    const QString hier = Controller().Gemeinsamer_Arbeitsplatz();
    FFremd = !hier.isEmpty() && !AArbeitsplatz.isEmpty() &&
             AArbeitsplatz.compare(hier, Qt::CaseInsensitive) != 0;
    if (hier.isEmpty()) {
        fraPlaner->SetArbeitsplatz(QString());
    } else if (FFremd) {
        fraPlaner->SetArbeitsplatz(
            QStringLiteral("Ausgeführt auf dem Arbeitsplatz „%1“; dort wird dieser Plan geändert.")
                .arg(AArbeitsplatz));
    } else {
        fraPlaner->SetArbeitsplatz(
            QStringLiteral("Ausgeführt auf diesem Arbeitsplatz „%1“.").arg(hier));
    }
}

bool TZEP_MD_Planer_Frm::StartetProgramm() const {
    const TZEP_MD_Mandorel* mandorel = Controller().Selected_Mandorel();
    if (mandorel == nullptr || mandorel->Sequence().Count() == 0) {
        return false;
    }
    const TZEP_GA_SingleAction erster = mandorel->Sequence().Action(0);
    if (erster.Kind == TZEP_GA_ActionKind::StartProgram) {
        return true;
    }
    const TZEP_MD_Template* vorlage = nullptr;
    if (erster.Kind != TZEP_GA_ActionKind::Template ||
        !Controller().Template_ByKennung(erster.Text, vorlage)) {
        return false;
    }
    if (!vorlage->TargetProgramFile().isEmpty()) {
        return true;
    }
    const QList<TZEP_GA_SingleAction> aktionen = vorlage->Actions();
    return !aktionen.isEmpty() && aktionen.first().Kind == TZEP_GA_ActionKind::StartProgram;
}
