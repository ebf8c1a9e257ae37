#pragma once

#include <QList>
#include <QPointer>

#include "md_gui_frame_base.h"
#include "md_gui_listener.h"
#include "zep_ga_action.h"

class QComboBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TZEP_MD_Template;
class TStepChooserDelegate;

// "Details des Reports": program, name, description, reason and the step list of the selected
// Mandorel. The first step is chosen among the initial templates of the program, every further
// step among the follow-up templates of the step before it.
class TZEP_MD_ReportDetail_Frm : public TZEP_MD_FrameOf<TZEP_MD_ReportDetail_Frm>,
                                 public IZEP_MD_Buchen,
                                 public IZEP_MD_SelectedReportChanged {
public:
    explicit TZEP_MD_ReportDetail_Frm(TZEP_MD_GUI_Controller& AController,
                                      QWidget* AOwner = nullptr);

    static QString View_Caption();
    static QUuid Docking_Key();

    void Initialize() override;
    void Toggle_RO_RW(bool ARO) override;
    bool Notification_BeforeBuchen() override;
    void Notification_ReportChanged() override;
    void Anzeige_2_Report() override;

protected:
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
    friend class TStepChooserDelegate;

    void AktReport_2_Anzeige();
    void Anzeige_Clear();
    void Select_SelectedProgramm();
    void ProcessTemplate(const TZEP_MD_Template& ATemplate);
    void ProcessUnbekannt(const QString& AKennung);
    void ProcessOther(const TZEP_GA_SingleAction& AAction);
    QTreeWidgetItem* AddRow(int AImage, int AEditImage, const QString& AName,
                            const QString& AKennung);
    void AddAddRow();
    void ClearSequenceSteps(int AFirstRow, bool AAddRow);
    bool IsAddRow(const QTreeWidgetItem* ARow) const;
    void SetImage(QTreeWidgetItem* ARow, int AColumn, int AImage);
    void LayoutColumns();
    // What is missing before a Buchen, as a sentence; empty when all is filled in.
    QString Angaben_Gefuellt_Check() const;
    void WriteHeadFields();
    void Sequence_2_Report();

    void cmbReportProgrammSelect(int AIndex);
    void edtReportNameExit();
    void edtReportBeschreibungExit();
    void edtReportGrundExit();
    void vtReportSequenceColumnNodeImageClick(QTreeWidgetItem* ARow, int AColumn);
    bool vtReportSequenceEditing(int AColumn);
    QComboBox* vtReportSequenceCreateEditor(QWidget* AParent, int ARow);
    void ReportSequence_CreateEdit_Combo(QComboBox* ACombo, int ARow);
    void vtReportSequenceSelectionChanged();
    void SequenceStep_Selected(QComboBox* ACombo);
    void TakeStep(QComboBox* ACombo);

    QComboBox* cmbReportProgramm = nullptr;
    QLineEdit* edtReportName = nullptr;
    QLineEdit* edtReportBeschreibung = nullptr;
    QLineEdit* edtReportGrund = nullptr;
    QTreeWidget* vtReportSequence = nullptr;
    TStepChooserDelegate* FDelegate = nullptr;
    QPointer<QComboBox> FChooser;

    // Stored actions that are not template steps; their rows refer to them by index, so that
    // Buchen writes them back unchanged.
    QList<TZEP_GA_SingleAction> FAndereAktionen;
    int FImageInd_Delete = -1;
    int FImageInd_Add = -1;
    int FImageInd_Edit = -1;
    int FEditing_NodeInd = -1;
    QString FBisher_Template_Kenn;
    bool FBearbPlusGlyph_Click = false;
    bool FInPlaceEdit = false;
};
