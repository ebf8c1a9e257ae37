#include "md_gui_controller.h"
#include "md_processor.h"
#include "vko_info.h"
#include "vko_planmani.h"
#include "vko_programm.h"
#include "vko_systemd_timer.h"

namespace {

QString JobText(const TZEP_MD_Mandorel& AMandorel) {
    return QStringLiteral("Mandorel;") + AMandorel.Programm() + QLatin1Char(';') +
           AMandorel.Name_Key();
}

}  // namespace

void TZEP_MD_GUI_Controller_Impl::Load_Plan(const TIntTrio& APlanId,
                                            const TZEP_LoadPlan_Callback& ACallback) try {
    TPlanSatz plansatz;
    TZEP_PfadKommandoArgumenteList kommandos;
    // A record of another Mandorel (an id brought by an import) is not this one's schedule.
    if (FPlanMani->PlanLaden(APlanId, plansatz, kommandos) &&
        (FSelected_Mandorel == nullptr ||
         plansatz.JobText.compare(JobText(*FSelected_Mandorel), Qt::CaseInsensitive) == 0)) {
        ACallback(plansatz);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Load_Plan");
}

TIntTrio TZEP_MD_GUI_Controller_Impl::Save_Plan(TPlanSatz& APlansatz) try {
    TIntTrio ergebnis;
    ergebnis.Clear();
    if (FSelected_Mandorel == nullptr) {
        return ergebnis;
    }
    const TZEP_MD_Mandorel& mandorel = *FSelected_Mandorel;
    // The commit that follows refuses a new Mandorel whose keys are stored already; its plan
    // record would run the stored one on the new timetable.
    if (SelectedReport_IsNew() &&
        FProcessor->Mandorel_ByName(mandorel.Name_Key(), mandorel.Programm()) != nullptr) {
        VKOInfo().FehlerRaise("TZEP_MD_GUI_Controller_Impl.Save_Plan", MD_Koord(1001),
                              {mandorel.Name_Anzeige(), mandorel.Programm()});
    }
    // Nor may a plan start what the commit will refuse.
    Check_Buchbar("TZEP_MD_GUI_Controller_Impl.Save_Plan");
    const TZEP_PfadKommandoArgumenteList kommandos{TZEP_PfadKommandoArgumenteRec{
        1, QString(), QString(), QStringLiteral("quandrix.exe"),
        QStringLiteral("-RUN -PROG:") + mandorel.Programm() + QStringLiteral(" -") +
            QStringLiteral("REPORT") + QLatin1Char(':') + mandorel.Name_Key()}};
    APlansatz.RId = VKOProgramm().GetRId();
    APlansatz.PlanerId = VKOInfo().VKOInfoPlanerID();
    APlansatz.JobText = JobText(mandorel);
    APlansatz.Flag1 = QLatin1Char('N');
    APlansatz.Flag2 = QLatin1Char('J');
    APlansatz.Paar.Clear();
    APlansatz.Flag3 = QLatin1Char('N');
    APlansatz.Flag4 = QLatin1Char('N');
    APlansatz.Flag5 = QLatin1Char('N');
    // An id brought by an import may name another Mandorel's record here: that one stays,
    // and this Mandorel gets a record of its own.
    TPlanSatz vorhanden;
    TZEP_PfadKommandoArgumenteList vorhandeneKommandos;
    if (APlansatz.PlanId.Defined() &&
        FPlanMani->PlanLaden(APlansatz.PlanId, vorhanden, vorhandeneKommandos) &&
        vorhanden.JobText.compare(APlansatz.JobText, Qt::CaseInsensitive) != 0) {
        APlansatz.PlanId.Clear();
    }
    FPlanMani->PlanSpeichern(APlansatz, kommandos, false, false);
    if (PostMessage_ReloadJobs(*FPlanMani, APlansatz.PlanId) ==
            TVKO_SyncErgebnis::NichtErreichbar &&
        Plansatz_Geplant(APlansatz) && !FPlanungHinweisGezeigt) {
        FPlanungHinweisGezeigt = true;
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1016));
    }
    return APlansatz.PlanId;
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Save_Plan");
}

void TZEP_MD_GUI_Controller_Impl::RemovePlans(const QString& AProgramm,
                                              const QString& ANameKey) try {
    const QList<TIntTrio> ids = FPlanMani->PlanIds_ByJobText(
        QStringLiteral("Mandorel;") + AProgramm + QLatin1Char(';') + ANameKey);
    for (const TIntTrio& id : ids) {
        FPlanMani->PlanLoeschen(id);
    }
    if (!ids.isEmpty()) {
        PostMessage_ReloadJobs(*FPlanMani, ids.first());
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.RemovePlans");
}

void TZEP_MD_GUI_Controller_Impl::RenewPlans() noexcept {
    try {
        if (FSelected_Mandorel != nullptr &&
            TVKO_SystemdTimer().Erneuern(*FPlanMani, JobText(*FSelected_Mandorel)) ==
                TVKO_SyncErgebnis::NichtErreichbar) {
            VKOInfo().WriteTextWithStamp(VKOInfo().MeldungText(
                MD_Koord(1019),
                {FSelected_Mandorel->Name_Anzeige(), FSelected_Mandorel->Programm()}));
        }
    } catch (...) {
        try {
            VKOInfo().WriteTextWithStamp(VKOInfo().FehlerInfo(std::current_exception()).Text);
        } catch (...) {
            // Not even the log can be written; the run ends as it was.
        }
    }
}

void TZEP_MD_GUI_Controller_Impl::SyncPlans() try {
    PostMessage_ReloadJobs(*FPlanMani, TIntTrio{});
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.SyncPlans");
}
