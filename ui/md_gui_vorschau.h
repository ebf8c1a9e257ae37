#pragma once

#include <QDialog>

class QDateEdit;
class QLabel;
class QTreeWidget;
class TZEP_MD_GUI_Controller;

// "Vorschau": the sequence that a run of the selected Mandorel would play on the chosen date,
// every step expanded and every token replaced; it starts and types nothing.
class TZEP_MD_Vorschau : public QDialog {
    Q_OBJECT

public:
    TZEP_MD_Vorschau(TZEP_MD_GUI_Controller& AController, QWidget* AOwner);

    // Computes the preview for the Mandorel selected now and shows the window.
    void Zeigen();

private:
    void Berechnen();

    TZEP_MD_GUI_Controller& FController;
    QDateEdit* edDatum = nullptr;
    QLabel* lblMandorel = nullptr;
    QTreeWidget* vrVorschau = nullptr;
};
