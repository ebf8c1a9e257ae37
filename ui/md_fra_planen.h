#pragma once

#include <QWidget>

#include "vko_plansatz.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QFormLayout;
class QLabel;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimeEdit;

// The planning form: the timetable of one plan record, a page per kind (daily, weekly,
// monthly, once), the switch "aktiv", optional first and last day, and the next run it plans.
class TfraPlanen : public QWidget {
public:
    explicit TfraPlanen(QWidget* AOwner = nullptr);

    // Resets the form to a record that plans nothing.
    void Init();
    void PlanSatz2Maske(const TPlanSatz& APlansatz);
    // Writes the timetable into APlansatz; every other field stays as it is.
    void Maske2PlanSatz(TPlanSatz& APlansatz) const;

    // Shows why the plan needs the user's display, or nothing for an empty text.
    void SetHinweis(const QString& AText);
    // Shows which workstation runs the plan, or nothing for an empty text.
    void SetArbeitsplatz(const QString& AText);
    // True once the user chose "Eigener Bildschirm" himself since the record was put in.
    bool EigenerBildschirmGewaehlt() const { return FEigenerBildschirmGewaehlt; }
    // Ticks or clears "Eigener Bildschirm" as the steps suggest, unless the user chose it.
    void EigenerBildschirm_Vorschlagen(bool AEigener);
    // True for an active timetable that has no run left: all its dates lie in the past.
    bool NieAusgefuehrt() const;

    // "Nächste Ausführung: Mo 01.02.2027 06:30", or "keine".
    static QString NaechsteText(const TPlanSatz& APlansatz, const QDateTime& AAb);

private:
    void UpdateNaechste();
    void SeiteGewechselt();

    QCheckBox* chkAktiv;
    QTabWidget* pgcPlanArt;
    QRadioButton* rbAlleNTage;
    QSpinBox* spnAlleNTage;
    QRadioButton* rbNurWerktage;
    QCheckBox* chkWochentag[7];
    QRadioButton* rbMonatsTag;
    QSpinBox* spnMonatsTag;
    QRadioButton* rbLetzterTag;
    QRadioButton* rbErsterWochentag;
    QComboBox* cmbMonatsWochentag;
    QFormLayout* FForm;
    QTimeEdit* tmeUhrzeit;
    QDateTimeEdit* dteEinmalig;
    QCheckBox* chkErsterTag;
    QDateEdit* dteErsterTag;
    QCheckBox* chkLetzterTag;
    QDateEdit* dteLetzterTag;
    QCheckBox* chkEigenerBildschirm;
    QLabel* lblArbeitsplatz;
    QLabel* lblHinweis;
    QLabel* lblNaechste;
    bool FEigenerBildschirmGewaehlt = false;
};
