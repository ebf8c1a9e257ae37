#pragma once

#include <QElapsedTimer>

#include "md_gui_frame_base.h"

class QTreeWidget;
class QTreeWidgetItem;

// "Platzhalter": every dynamic placeholder with its display name. A double click on a row, a
// click on its take-over image or Return hands the placeholder to the step parameters; only in
// edit mode.
class TZEP_MD_DynToken_Auswahl_Frm : public TZEP_MD_FrameOf<TZEP_MD_DynToken_Auswahl_Frm> {
public:
    explicit TZEP_MD_DynToken_Auswahl_Frm(TZEP_MD_GUI_Controller& AController,
                                          QWidget* AOwner = nullptr);

    static QString View_Caption();
    static QUuid Docking_Key();

    void Initialize() override;
    void Toggle_RO_RW(bool ARO) override;

protected:
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
    void DynToken_EnumCallback(const QString& ATokenKennung, const QString& ATokenBezeichnung);
    void Uebernehmen(const QTreeWidgetItem* ARow);
    void BildKlick(const QTreeWidgetItem* ARow);

    QTreeWidget* vtDynTokens;
    // The last take-over by the image.
    const QTreeWidgetItem* FBildZeile = nullptr;
    QElapsedTimer FBildZeit;
};
