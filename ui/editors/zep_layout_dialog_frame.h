#pragma once

#include <QStringList>
#include <QWidget>

class IZEP_MD_FileDialog;
class QIODevice;
class QLineEdit;
class QToolButton;

// Layout settings of a report, one per line, and the file the layout is kept in. One button
// chooses the file, the other edits the settings in a small dialog.
class TZEP_LayoutDialogFrame : public QWidget {
    Q_OBJECT

public:
    // ADialoge is not owned and may be null: the buttons then change nothing.
    explicit TZEP_LayoutDialogFrame(IZEP_MD_FileDialog* ADialoge, QWidget* AParent = nullptr);

    // Reads the settings as lines from the stream.
    void Set_LayoutEinstellungen(QIODevice& AStream);
    // The settings as a stream of lines, read from its start.
    QByteArray LayoutEinstellungen() const;
    QLineEdit* Edit() const { return FEdit; }

    // The token value: the settings and then the file, blank-delimited; an item that holds a
    // blank or a quote is quoted, so that it splits back into the same items.
    static QString Wert_Bilden(const QStringList& AEinstellungen, const QString& ADatei);

private:
    void Einstellungen_Uebernehmen(QStringList AEinstellungen);
    void btnLayoutDateiClick();
    void btnEinstellungenClick();

    IZEP_MD_FileDialog* FDialoge;
    QStringList FEinstellungen;
    QLineEdit* FEdit;
    QToolButton* FDateiButton;
    QToolButton* FButton;
};
