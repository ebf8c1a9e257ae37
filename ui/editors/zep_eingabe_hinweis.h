#pragma once

#include <QLabel>

class QHBoxLayout;

// An editor whose input may be refused: the token panel stores nothing while it is not valid.
class IZEP_GeprueftesEingabefeld {
public:
    virtual ~IZEP_GeprueftesEingabefeld() = default;
    virtual bool Eingabe_Gueltig() const = 0;
};

// The red hint beside an input that says why it is refused; hidden while the input is fine.
class TZEP_EingabeHinweis : public QLabel {
    Q_OBJECT

public:
    explicit TZEP_EingabeHinweis(QWidget* AParent);
    // Empty text hides the hint.
    void Zeigen(const QString& AText);
};

// Lays AEditor out as one row of inputs with AHinweis below it, where a long reason is read
// whole; returns the row to fill.
QHBoxLayout* ZEP_ZeileMitHinweis(QWidget* AEditor, TZEP_EingabeHinweis* AHinweis);
