#pragma once

#include <QDate>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QWidget>

// The window both sample programs share: labelled fields whose mnemonics focus them, a status
// line and ctrl+q to quit. Errors show in red in the status line, never in a dialog, so that an
// unattended run cannot hang on one.
class TSampleForm {
public:
    explicit TSampleForm(const QString& ATitle);

    QWidget& Window() { return FWindow; }
    // A line edit behind a label such as "&Von:"; the label's mnemonic focuses it.
    QLineEdit* AddField(const QString& ALabel, const QString& AText = {});
    void AddRow(QWidget* AWidget);
    // Ausgabedatei with its default in the home folder.
    QLineEdit* AddOutputField(const QString& ADefaultName);

    void ShowError(const QString& AText);
    void ShowDone(const QString& AText);

    // The date of a dd.mm.yyyy field; an invalid one is reported and answers a null date.
    QDate Date(const QLineEdit* AField, const QString& AName);
    // Writes the report as UTF-8 to the file the field names (relative to the home folder);
    // reports the outcome.
    bool WriteReport(const QLineEdit* AOutputField, const QStringList& ALines);

private:
    QWidget FWindow;
    QFormLayout* FLayout;
    QLabel* FStatus;
};
