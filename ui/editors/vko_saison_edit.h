#pragma once

#include <QLineEdit>
#include <QWidget>

#include "zep_eingabe_hinweis.h"

class QToolButton;

// A season: "FS" (spring and summer) or "HW" (autumn and winter), a blank and the year, such as
// "FS 2027". Typing is checked as it goes; what cannot become a season is refused.
class TVKOSaisonEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TVKOSaisonEdit(QWidget* AParent = nullptr);

    void SetText(const QString& AText);
    QString GetText() const;
    static bool IstSaison(const QString& AText);
};

// The season edit with a button that offers the seasons around today.
class TVKOSaisonButtonEdit : public QWidget, public IZEP_GeprueftesEingabefeld {
    Q_OBJECT

public:
    explicit TVKOSaisonButtonEdit(QWidget* AParent = nullptr);

    TVKOSaisonEdit* SaisonEdit() const { return FEdit; }
    // Empty or a whole season; a half-typed one is shown as refused.
    bool Eingabe_Gueltig() const override;

private:
    void Pruefen(bool AAbgewiesen);

    TVKOSaisonEdit* FEdit;
    QToolButton* FButton;
    TZEP_EingabeHinweis* FHinweis;
};
