#pragma once

#include <QList>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QString>
#include <memory>

#include "md_gui_frame_base.h"
#include "md_gui_listener.h"

class QLineEdit;
class QScrollArea;
class TZEP_MD_Token_Panel;
class TZEP_MD_Wertevorrat_Registry;
struct TZEP_MD_TokenInfo;

// "Parameter des Einzelschritts": one token panel per token of the selected step. Values are
// written into the selected Mandorel when an input is left; a placeholder taken over in the
// picker is appended to the plain edit that had the focus last.
class TZEP_MD_TemplateDetails_Frm : public TZEP_MD_FrameOf<TZEP_MD_TemplateDetails_Frm>,
                                    public IZEP_MD_Buchen,
                                    public IZEP_MD_DynTokenSelected,
                                    public IZEP_MD_SelectedTemplateChanged,
                                    public IZEP_MD_SelectedReportChanged {
public:
    explicit TZEP_MD_TemplateDetails_Frm(TZEP_MD_GUI_Controller& AController,
                                         QWidget* AOwner = nullptr);
    ~TZEP_MD_TemplateDetails_Frm() override;

    static QString View_Caption();
    static QUuid Docking_Key();

    // Reads the value sets; a file that cannot be used fully is reported and the tokens
    // concerned get plain edits.
    void Initialize() override;
    void Toggle_RO_RW(bool ARO) override;
    void Notification_DynTokenSelected(const QString& ADynToken_Kennung) override;
    void Notification_TemplateChanged(const QString& ANewTemplate_Name) override;
    void Notification_ReportChanged() override;
    // Refuses while an input holds a text its editor refuses, here or in a step shown before.
    bool Notification_BeforeBuchen() override;
    void Anzeige_2_Report() override;

protected:
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
    // A text an editor refused: it is shown again when its token is, and blocks the commit.
    struct TAbgewiesen {
        QString Text;
        QString Schritt;
        QString Feld;
    };

    void Clear_Anzeige();
    void Abgewiesene_Merken();
    void EditEnter(QWidget* AInput);
    void EditExit(const QString& ATokenKennung, const QString& ATokenValue);
    void Komponenten_der_Panels_ausrichten(bool AZweimal);
    void Verdeckte_Eintraege_melden(const QList<TZEP_MD_TokenInfo>& ATokens);

    QScrollArea* scbTemplateReplacableTokens;
    QWidget* FPanelBox;
    QList<TZEP_MD_Token_Panel*> FPanels;
    std::unique_ptr<TZEP_MD_Wertevorrat_Registry> FRegistry;
    QPointer<QLineEdit> FLastFocusedEdit;
    QMap<QString, TAbgewiesen> FAbgewiesen;
    QString FSchritt;
    bool FRO = true;
    int FMaxHintLabelWidth = 0;
    QSet<QString> FVerdeckteGemeldet;
};
