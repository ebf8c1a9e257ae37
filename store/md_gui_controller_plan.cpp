#include "md_gui_controller.h"
#include "md_processor.h"
#include "vko_database.h"
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
    TVorgemerkterPlan plan{APlansatz, APlansatz.PlanId};
    // An id brought by an import may name another Mandorel's record here: that one stays,
    // and this Mandorel gets a record of its own.
    TPlanSatz vorhanden;
    TZEP_PfadKommandoArgumenteList vorhandeneKommandos;
    if (plan.Satz.PlanId.Defined() &&
        (!FPlanMani->PlanLaden(plan.Satz.PlanId, vorhanden, vorhandeneKommandos) ||
         vorhanden.JobText.compare(JobText(*FSelected_Mandorel), Qt::CaseInsensitive) != 0)) {
        plan.Satz.PlanId.Clear();
    }
    ergebnis = plan.Satz.PlanId;
    FPlan = std::move(plan);
    return ergebnis;
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Save_Plan");
}

void TZEP_MD_GUI_Controller_Impl::WritePlan(TVorgemerkterPlan& APlan,
                                            TZEP_MD_Mandorel& AMandorel) try {
    TPlanSatz& satz = APlan.Satz;
    const TZEP_PfadKommandoArgumenteList kommandos{TZEP_PfadKommandoArgumenteRec{
        1, QString(), QString(), QStringLiteral("quandrix.exe"),
        QStringLiteral("-RUN -PROG:") + AMandorel.Programm() + QStringLiteral(" -") +
            QStringLiteral("REPORT") + QLatin1Char(':') + AMandorel.Name_Key()}};
    satz.RId = VKOProgramm().GetRId();
    satz.PlanerId = VKOInfo().VKOInfoPlanerID();
    satz.JobText = JobText(AMandorel);
    satz.Flag1 = QLatin1Char('N');
    satz.Flag2 = QLatin1Char('J');
    satz.Paar.Clear();
    satz.Flag3 = QLatin1Char('N');
    satz.Flag4 = QLatin1Char('N');
    satz.Flag5 = QLatin1Char('N');
    // Asked again inside the transaction: another window may have removed the record since.
    TPlanSatz vorhanden;
    TZEP_PfadKommandoArgumenteList vorhandeneKommandos;
    if (satz.PlanId.Defined() &&
        (!FPlanMani->PlanLaden(satz.PlanId, vorhanden, vorhandeneKommandos) ||
         vorhanden.JobText.compare(satz.JobText, Qt::CaseInsensitive) != 0)) {
        satz.PlanId.Clear();
    }
    // Another workstation's plan is that workstation's to change; it stays as it is.
    if (satz.PlanId.Defined() && !FPlanMani->Eigener(vorhanden)) {
        satz = vorhanden;
    } else {
        FPlanMani->PlanSpeichern(satz, kommandos, false, false);
    }
    const TIntTrio id = satz.PlanId;
    const TIntTrio gezeigt = APlan.Gezeigt;
    QList<TIntTrio>& ids = AMandorel.PlanIds();
    // The store gave a new id for the one shown (unknown here, or another Mandorel's): the new
    // one takes its place, so that the next selection shows what was saved.
    const qsizetype alt = gezeigt.Defined() && id != gezeigt ? ids.indexOf(gezeigt) : -1;
    if (ids.contains(id)) {
        if (alt >= 0) {
            ids.removeAt(alt);
        }
    } else if (alt >= 0) {
        ids[alt] = id;
    } else {
        ids.append(id);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.WritePlan");
}

void TZEP_MD_GUI_Controller_Impl::PlansWritten(const TPlanSatz& APlansatz) try {
    if (PostMessage_ReloadJobs(*FPlanMani, APlansatz.PlanId) ==
            TVKO_SyncErgebnis::NichtErreichbar &&
        Plansatz_Geplant(APlansatz) && !FPlanungHinweisGezeigt) {
        FPlanungHinweisGezeigt = true;
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1016));
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.PlansWritten");
}

bool TZEP_MD_GUI_Controller_Impl::RemovePlans(const QString& AProgramm,
                                              const QString& ANameKey) try {
    const QList<TIntTrio> ids = FPlanMani->PlanIds_ByJobText(
        QStringLiteral("Mandorel;") + AProgramm + QLatin1Char(';') + ANameKey);
    for (const TIntTrio& id : ids) {
        FPlanMani->PlanLoeschen(id);
    }
    return !ids.isEmpty();
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

QString TZEP_MD_GUI_Controller_Impl::Gemeinsamer_Arbeitsplatz() try {
    return TVKO_Database::IstServer(FPlanMani->Path()) ? VKOInfo().VKOInfoTerminalID() : QString();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Gemeinsamer_Arbeitsplatz");
}

void TZEP_MD_GUI_Controller_Impl::SyncPlans() try {
    PostMessage_ReloadJobs(*FPlanMani, TIntTrio{});
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.SyncPlans");
}
