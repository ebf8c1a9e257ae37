#pragma once

#include <QStringList>
#include <QWidget>

class QIODevice;
class QLineEdit;
class QToolButton;

// Layout settings of a report, one per line, and the file the layout is kept in. The settings
// are edited in a small dialog behind the button.
class TZEP_LayoutDialogFrame : public QWidget {
    Q_OBJECT

public:
    explicit TZEP_LayoutDialogFrame(QWidget* AParent = nullptr);

    // Reads the settings as lines from the stream.
    void Set_LayoutEinstellungen(QIODevice& AStream);
    // The settings as a stream of lines, read from its start.
    QByteArray LayoutEinstellungen() const;
    QLineEdit* Edit() const { return FEdit; }

    // The token value: the settings and then the file, blank-delimited; an item that holds a
    // blank or a quote is quoted, so that it splits back into the same items.
    static QString Wert_Bilden(const QStringList& AEinstellungen, const QString& ADatei);

private:
    void btnEinstellungenClick();

    QStringList FEinstellungen;
    QLineEdit* FEdit;
    QToolButton* FButton;
};
