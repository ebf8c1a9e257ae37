#include <gtest/gtest.h>

#include <QStringList>
#include <stdexcept>

#include "md_gui_listener.h"
#include "vko_info.h"

namespace {

// A view that implements several listener interfaces and records what reached it.
class TRecordingView : public IZEP_MD_SelectedReportChanged,
                       public IZEP_MD_Buchen,
                       public IZEP_MD_SelectedTemplateChanged {
public:
    TRecordingView(QStringList& ALog, QString AName, bool AAnswer = true)
        : FLog(ALog), FName(std::move(AName)), FAnswer(AAnswer) {}

    void Notification_ReportChanged() override { FLog.append(FName); }
    bool Notification_BeforeBuchen() override {
        FLog.append(FName);
        if (FThrow) {
            throw std::runtime_error("Ansicht kaputt");
        }
        return FAnswer;
    }
    void Notification_TemplateChanged(const QString& ANewTemplate_Name) override {
        FLog.append(FName + QLatin1Char(':') + ANewTemplate_Name);
    }
    bool FThrow = false;

private:
    QStringList& FLog;
    QString FName;
    bool FAnswer;
};

}  // namespace

TEST(Listener, BeforeBuchenWithoutListenersAllowsTheCommit) {
    TZEP_MD_GUI_Listener hub;
    EXPECT_TRUE(hub.SendNotification_BeforeBuchen());
}

TEST(Listener, TheFirstVetoStopsTheBeforeBuchenNotification) {
    QStringList log;
    TRecordingView a(log, QStringLiteral("A"));
    TRecordingView b(log, QStringLiteral("B"), false);
    TRecordingView c(log, QStringLiteral("C"));
    TZEP_MD_GUI_Listener hub;
    hub.Register_Buchen_Listener(&a);
    hub.Register_Buchen_Listener(&b);
    hub.Register_Buchen_Listener(&c);
    EXPECT_FALSE(hub.SendNotification_BeforeBuchen());
    EXPECT_EQ(log, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(Listener, ListenersAreCalledInRegistrationOrderAndOncePerRegistration) {
    QStringList log;
    TRecordingView a(log, QStringLiteral("A"));
    TRecordingView b(log, QStringLiteral("B"));
    TZEP_MD_GUI_Listener hub;
    hub.Register_ReportChanged_Listener(&a);
    hub.Register_ReportChanged_Listener(&b);
    hub.Register_ReportChanged_Listener(&a);
    hub.SendNotification_ReportChanged();
    EXPECT_EQ(log, (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")}));

    log.clear();
    hub.UnRegister_ReportChanged_Listener(&a);
    hub.SendNotification_ReportChanged();
    EXPECT_EQ(log, (QStringList{QStringLiteral("B"), QStringLiteral("A")}));
}

TEST(Listener, UnRegisterComparesObjectsNotInterfacePointers) {
    QStringList log;
    TRecordingView a(log, QStringLiteral("A"));
    TRecordingView never(log, QStringLiteral("N"));
    TZEP_MD_GUI_Listener hub;
    hub.Register_ReportChanged_Listener(&a);
    EXPECT_NO_THROW(hub.UnRegister_ReportChanged_Listener(&never));
    hub.SendNotification_ReportChanged();
    EXPECT_EQ(log, QStringList{QStringLiteral("A")});

    // A reference of another interface of the same object, turned back into this kind.
    IZEP_MD_Buchen* other = &a;
    hub.UnRegister_ReportChanged_Listener(dynamic_cast<IZEP_MD_SelectedReportChanged*>(other));
    log.clear();
    hub.SendNotification_ReportChanged();
    EXPECT_TRUE(log.isEmpty());
}

TEST(Listener, PassesTheArgumentUnchanged) {
    QStringList log;
    TRecordingView a(log, QStringLiteral("A"));
    TZEP_MD_GUI_Listener hub;
    hub.Register_TemplateChanged_Listener(&a);
    hub.SendNotification_TemplateChanged(QStringLiteral("PLON_START"));
    EXPECT_EQ(log, QStringList{QStringLiteral("A:PLON_START")});
}

TEST(Listener, AFailingListenerEndsTheNotificationAndTheErrorCarriesTheHubsName) {
    QStringList log;
    TRecordingView a(log, QStringLiteral("A"));
    TRecordingView b(log, QStringLiteral("B"));
    a.FThrow = true;
    TZEP_MD_GUI_Listener hub;
    hub.Register_Buchen_Listener(&a);
    hub.Register_Buchen_Listener(&b);
    try {
        hub.SendNotification_BeforeBuchen();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error&) {
        EXPECT_EQ(
            VKOInfo().FehlerInfo(std::current_exception()).Chain,
            QStringList{QStringLiteral("TZEP_MD_GUI_Listener.SendNotification_BeforeBuchen")});
    }
    EXPECT_EQ(log, QStringList{QStringLiteral("A")});
}

TEST(Listener, AListenerRemovedDuringANotificationIsNotCalledAfterwards) {
    QStringList log;
    TZEP_MD_GUI_Listener hub;
    TRecordingView b(log, QStringLiteral("B"));

    // Removes B when it is notified, as a view closing itself might.
    class TRemover : public IZEP_MD_SelectedReportChanged {
    public:
        TRemover(TZEP_MD_GUI_Listener& AHub, IZEP_MD_SelectedReportChanged* AOther)
            : FHub(AHub), FOther(AOther) {}
        void Notification_ReportChanged() override {
            FHub.UnRegister_ReportChanged_Listener(FOther);
        }

    private:
        TZEP_MD_GUI_Listener& FHub;
        IZEP_MD_SelectedReportChanged* FOther;
    } remover(hub, &b);

    hub.Register_ReportChanged_Listener(&remover);
    hub.Register_ReportChanged_Listener(&b);
    hub.SendNotification_ReportChanged();
    EXPECT_TRUE(log.isEmpty());
}
