#pragma once

#include <QList>
#include <QString>
#include <QUuid>

// The five kinds of notification, each an interface with one method and a GUID by which the
// main window asks a view whether it implements it.
class IZEP_MD_ReportListeChanged {
public:
    static inline const QUuid IID{QStringLiteral("{51EBE9F0-8F32-4F06-94D2-BC8DD943F074}")};
    virtual ~IZEP_MD_ReportListeChanged() = default;
    virtual void Notification_ReportListeChanged() = 0;
};

class IZEP_MD_SelectedReportChanged {
public:
    static inline const QUuid IID{QStringLiteral("{4D86895A-4D9A-4C7E-8F31-46FE59175F94}")};
    virtual ~IZEP_MD_SelectedReportChanged() = default;
    virtual void Notification_ReportChanged() = 0;
};

class IZEP_MD_SelectedTemplateChanged {
public:
    static inline const QUuid IID{QStringLiteral("{D6ED99E5-1697-4781-9C0D-E90828078E7C}")};
    virtual ~IZEP_MD_SelectedTemplateChanged() = default;
    virtual void Notification_TemplateChanged(const QString& ANewTemplate_Name) = 0;
};

class IZEP_MD_DynTokenSelected {
public:
    static inline const QUuid IID{QStringLiteral("{94209AD8-827A-401E-9333-C61B173E3728}")};
    virtual ~IZEP_MD_DynTokenSelected() = default;
    virtual void Notification_DynTokenSelected(const QString& ADynToken_Kennung) = 0;
};

class IZEP_MD_Buchen {
public:
    static inline const QUuid IID{QStringLiteral("{C0383D2C-2CB4-426F-AE1B-8D4604A5CFEC}")};
    virtual ~IZEP_MD_Buchen() = default;
    // False vetoes the commit; the listener has told the user why.
    virtual bool Notification_BeforeBuchen() = 0;
};

// Registered listeners of one kind, in registration order; refers to them, never owns them.
template <typename TListener>
class TZEP_MD_ListenerList {
public:
    void Register(TListener* AListener) { FListeners.append(AListener); }

    // Removes the first entry that is the same object, whichever interface pointer refers to it.
    void UnRegister(TListener* AListener) {
        for (qsizetype i = 0; i < FListeners.size(); ++i) {
            if (SameObject(FListeners.at(i), AListener)) {
                FListeners.removeAt(i);
                return;
            }
        }
    }

    // Calls AVisit for each listener until it answers false; a listener removed meanwhile is
    // skipped, one added meanwhile waits for the next notification.
    template <typename TVisit>
    bool Visit(TVisit&& AVisit) const {
        const QList<TListener*> snapshot = FListeners;
        for (TListener* listener : snapshot) {
            if (FListeners.contains(listener) && !AVisit(listener)) {
                return false;
            }
        }
        return true;
    }

    qsizetype Count() const { return FListeners.size(); }

private:
    static bool SameObject(TListener* A, TListener* B) {
        return A == B || (A != nullptr && B != nullptr &&
                          dynamic_cast<const void*>(A) == dynamic_cast<const void*>(B));
    }

    QList<TListener*> FListeners;
};

// The notification hub: views learn about changes through it, synchronously and in
// registration order.
class TZEP_MD_GUI_Listener {
public:
    void Register_ReportListeChanged_Listener(IZEP_MD_ReportListeChanged* AListener);
    void Register_ReportChanged_Listener(IZEP_MD_SelectedReportChanged* AListener);
    void Register_TemplateChanged_Listener(IZEP_MD_SelectedTemplateChanged* AListener);
    void Register_DynTokenSelected_Listener(IZEP_MD_DynTokenSelected* AListener);
    void Register_Buchen_Listener(IZEP_MD_Buchen* AListener);

    void UnRegister_ReportListeChanged_Listener(IZEP_MD_ReportListeChanged* AListener);
    void UnRegister_ReportChanged_Listener(IZEP_MD_SelectedReportChanged* AListener);
    void UnRegister_TemplateChanged_Listener(IZEP_MD_SelectedTemplateChanged* AListener);
    void UnRegister_DynTokenSelected_Listener(IZEP_MD_DynTokenSelected* AListener);
    void UnRegister_Buchen_Listener(IZEP_MD_Buchen* AListener);

    void SendNotification_ReportListeChanged();
    void SendNotification_ReportChanged();
    void SendNotification_TemplateChanged(const QString& ANewTemplate_Name);
    void SendNotification_DynTokenSelected(const QString& ADynToken_Kennung);
    // True when no listener vetoes; stops at the first veto.
    bool SendNotification_BeforeBuchen();

private:
    TZEP_MD_ListenerList<IZEP_MD_ReportListeChanged> FReportListeChanged_Listener;
    TZEP_MD_ListenerList<IZEP_MD_SelectedReportChanged> FReportChanged_Listener;
    TZEP_MD_ListenerList<IZEP_MD_SelectedTemplateChanged> FTemplateChanged_Listener;
    TZEP_MD_ListenerList<IZEP_MD_Buchen> FBuchen_Listener;
    TZEP_MD_ListenerList<IZEP_MD_DynTokenSelected> FDynToken_Listener;
};
