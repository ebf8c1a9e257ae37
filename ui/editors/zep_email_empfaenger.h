#pragma once

#include <QWidget>

#include "zep_eingabe_hinweis.h"

class QLineEdit;

// Several e-mail recipients, separated by ";"; every address is checked when the input is left.
class TZEP_EMail_Mult_Empfaenger : public QWidget, public IZEP_GeprueftesEingabefeld {
    Q_OBJECT

public:
    explicit TZEP_EMail_Mult_Empfaenger(QWidget* AParent = nullptr);

    void EingestellteEmpfaenger_Set(const QString& AValue);
    QString EingestellteEmpfaenger_Get() const;
    bool Eingabe_Gueltig() const override;
    QLineEdit* Edit() const { return FEdit; }

private:
    // The first address that is none; empty text when all are fine.
    QString ErsteUngueltige() const;
    void Pruefen();

    QLineEdit* FEdit;
    TZEP_EingabeHinweis* FHinweis;
};
