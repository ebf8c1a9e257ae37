#pragma once

#include "md_gui_frame_base.h"
#include "md_gui_listener.h"

class QTimer;
class QTreeView;
class TZEP_MD_Mandorel;
class TZEP_MD_ReportListeModel;

// "Liste aller Mandorele": every stored Mandorel, grouped by the display name of its program.
// Choosing one selects it for the other views and the buttons.
class TZEP_MD_Reportliste_Frm : public TZEP_MD_FrameOf<TZEP_MD_Reportliste_Frm>,
                                public IZEP_MD_ReportListeChanged {
public:
    explicit TZEP_MD_Reportliste_Frm(TZEP_MD_GUI_Controller& AController,
                                     QWidget* AOwner = nullptr);

    static constexpr int CPruefIntervallMs = 1000;

    static QString View_Caption();
    static QUuid Docking_Key();

    void Initialize() override;
    // The list is usable exactly when the other views are read-only.
    void Toggle_RO_RW(bool ARO) override;
    void Notification_ReportListeChanged() override;

private:
    void LoadReporte();
    void vrMandoreleSelectionChanged();
    void tmrPruefenTimeout();

    QTreeView* vrMandorele = nullptr;
    // Brings in what other programs committed while the list is browsed.
    QTimer* tmrPruefen = nullptr;
    TZEP_MD_ReportListeModel* FReportListe = nullptr;
};
