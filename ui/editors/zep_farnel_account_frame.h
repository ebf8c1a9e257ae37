#pragma once

#include <QWidget>

#include "zep_eingabe_hinweis.h"

class QLabel;
class QLineEdit;

// An account number of the bookkeeping; the mode says which kind of account it is.
class TZEP_Farnel_Account_Info_Frame : public QWidget, public IZEP_GeprueftesEingabefeld {
    Q_OBJECT

public:
    explicit TZEP_Farnel_Account_Info_Frame(QWidget* AParent = nullptr);

    void SetModus(int AModus);
    int Modus() const { return FModus; }
    // A stored text that is no account number stays shown, marked as refused, and is never
    // replaced by 0.
    void Kontonummer_Set(const QString& AValue);
    // The account number as decimal text; empty when none is given.
    QString Kontonummer_Get() const;
    bool Eingabe_Gueltig() const override;
    QLineEdit* Edit() const { return FEdit; }

private:
    void Pruefen(bool AAbgewiesen);

    int FModus = 0;
    QLabel* FArt;
    QLineEdit* FEdit;
    TZEP_EingabeHinweis* FHinweis;
};
