#pragma once

#include <QList>

#include "md_gui_frame_base.h"
#include "md_gui_listener.h"
#include "zep_run_history.h"

class QPlainTextEdit;
class QTimer;
class QTreeWidget;

// "Ausführungen": the recorded runs of the selected Mandorel, newest first, with the message
// and token values of the chosen run; a run's screen picture opens from its row. While it is
// shown, the view looks every few seconds whether a run of another process ended.
class TZEP_MD_Ausfuehrungen_Frm : public TZEP_MD_FrameOf<TZEP_MD_Ausfuehrungen_Frm>,
                                  public IZEP_MD_SelectedReportChanged {
public:
    static constexpr int CPruefIntervallMs = 2000;

    explicit TZEP_MD_Ausfuehrungen_Frm(TZEP_MD_GUI_Controller& AController,
                                       QWidget* AOwner = nullptr);

    static QString View_Caption();
    static QUuid Docking_Key();

    void Initialize() override;
    void Notification_ReportChanged() override;
    // A history that cannot be read says why in the view; the selection goes on regardless.
    // The chosen run stays chosen while it is listed.
    void LoadAusfuehrungen();

protected:
    void showEvent(QShowEvent* AEvent) override;
    void hideEvent(QHideEvent* AEvent) override;

private:
    void vrAusfuehrungenCurrentChanged();
    void BildZeigen(int ARow);
    // Whether the entry's picture lies on this workstation.
    bool BildHier(const TZEP_RunEntry& AEntry) const;
    void tmrPruefenTimeout();

    QTreeWidget* vrAusfuehrungen = nullptr;
    QPlainTextEdit* memDetails = nullptr;
    QTimer* tmrPruefen = nullptr;
    QList<TZEP_RunEntry> FEntries;
    bool FLesefehler = false;
    // This workstation on a shared database; empty on one of its own.
    QString FHier;
};
