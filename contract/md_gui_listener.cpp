#include "md_gui_listener.h"

#include "vko_info.h"

void TZEP_MD_GUI_Listener::Register_ReportListeChanged_Listener(
    IZEP_MD_ReportListeChanged* AListener) try {
    FReportListeChanged_Listener.Register(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.Register_ReportListeChanged_Listener");
}

void TZEP_MD_GUI_Listener::Register_ReportChanged_Listener(
    IZEP_MD_SelectedReportChanged* AListener) try {
    FReportChanged_Listener.Register(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.Register_ReportChanged_Listener");
}

void TZEP_MD_GUI_Listener::Register_TemplateChanged_Listener(
    IZEP_MD_SelectedTemplateChanged* AListener) try {
    FTemplateChanged_Listener.Register(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.Register_TemplateChanged_Listener");
}

void TZEP_MD_GUI_Listener::Register_DynTokenSelected_Listener(
    IZEP_MD_DynTokenSelected* AListener) try {
    FDynToken_Listener.Register(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.Register_DynTokenSelected_Listener");
}

void TZEP_MD_GUI_Listener::Register_Buchen_Listener(IZEP_MD_Buchen* AListener) try {
    FBuchen_Listener.Register(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.Register_Buchen_Listener");
}

void TZEP_MD_GUI_Listener::UnRegister_ReportListeChanged_Listener(
    IZEP_MD_ReportListeChanged* AListener) try {
    FReportListeChanged_Listener.UnRegister(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.UnRegister_ReportListeChanged_Listener");
}

void TZEP_MD_GUI_Listener::UnRegister_ReportChanged_Listener(
    IZEP_MD_SelectedReportChanged* AListener) try {
    FReportChanged_Listener.UnRegister(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.UnRegister_ReportChanged_Listener");
}

void TZEP_MD_GUI_Listener::UnRegister_TemplateChanged_Listener(
    IZEP_MD_SelectedTemplateChanged* AListener) try {
    FTemplateChanged_Listener.UnRegister(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.UnRegister_TemplateChanged_Listener");
}

void TZEP_MD_GUI_Listener::UnRegister_DynTokenSelected_Listener(
    IZEP_MD_DynTokenSelected* AListener) try {
    FDynToken_Listener.UnRegister(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.UnRegister_DynTokenSelected_Listener");
}

void TZEP_MD_GUI_Listener::UnRegister_Buchen_Listener(IZEP_MD_Buchen* AListener) try {
    FBuchen_Listener.UnRegister(AListener);
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.UnRegister_Buchen_Listener");
}

void TZEP_MD_GUI_Listener::SendNotification_ReportListeChanged() try {
    FReportListeChanged_Listener.Visit([](IZEP_MD_ReportListeChanged* AListener) {
        AListener->Notification_ReportListeChanged();
        return true;
    });
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.SendNotification_ReportListeChanged");
}

void TZEP_MD_GUI_Listener::SendNotification_ReportChanged() try {
    FReportChanged_Listener.Visit([](IZEP_MD_SelectedReportChanged* AListener) {
        AListener->Notification_ReportChanged();
        return true;
    });
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.SendNotification_ReportChanged");
}

void TZEP_MD_GUI_Listener::SendNotification_TemplateChanged(const QString& ANewTemplate_Name) try {
    FTemplateChanged_Listener.Visit([&](IZEP_MD_SelectedTemplateChanged* AListener) {
        AListener->Notification_TemplateChanged(ANewTemplate_Name);
        return true;
    });
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.SendNotification_TemplateChanged");
}

void TZEP_MD_GUI_Listener::SendNotification_DynTokenSelected(const QString& ADynToken_Kennung) try {
    FDynToken_Listener.Visit([&](IZEP_MD_DynTokenSelected* AListener) {
        AListener->Notification_DynTokenSelected(ADynToken_Kennung);
        return true;
    });
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.SendNotification_DynTokenSelected");
}

bool TZEP_MD_GUI_Listener::SendNotification_BeforeBuchen() try {
    return FBuchen_Listener.Visit(
        [](IZEP_MD_Buchen* AListener) { return AListener->Notification_BeforeBuchen(); });
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Listener.SendNotification_BeforeBuchen");
}
