#pragma once

#include <QLabel>

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
