#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The special inputs a token may have registered; the widgets belong to the windows.
enum class TZEP_MD_EditorKind {
    Keiner,
    MandantenCheckCombo,
    MandantenCombobox,
    OpenDialogFrame,
    FileOpenDialogFrame,
    SaisonButtonEdit,
    EMail_Mult_Empfaenger,
    LayoutDialogFrame,
    Farnel_Account_Info_Frame,
};

// What the registry knows of one token: an editor, or a function that yields its values.
struct TZEP_MD_Wertevorrat_TokenEditFunc {
    TZEP_MD_EditorKind EditorClass = TZEP_MD_EditorKind::Keiner;
    std::function<QStringList()> WerteListe;
    // Where the token's entry stands, for reporting it.
    QString Datei;
    int Zeile = 0;

    bool Vorhanden() const { return EditorClass != TZEP_MD_EditorKind::Keiner || WerteListe; }
};

// One client as the client editors offer it: the value is its number.
struct TZEP_MD_Mandant {
    QString Nummer;
    QString Name;
};

// One line of the file that was left out, with the reason.
struct TZEP_MD_Wertevorrat_Fehler {
    QString Datei;
    int Zeile = 0;  // 0: the file as a whole
    QString Grund;
};

// The value sets of MD_Wertevorrat.ini:
//   [EDITOREN]     #TOKEN#=<editor class>
//   [WERTELISTEN]  #TOKEN#=value;value;...
//   [MANDANTEN]    number=name
// A line that cannot be used is left out and reported, so its token falls back to a plain edit.
class TZEP_MD_Wertevorrat_Registry {
public:
    // Reads the file of the settings folder through the trusted-file checks; a missing file
    // leaves the registry empty, one that may not be used is reported as a whole.
    void LoadFromSettings();
    void LoadFromFile(const QString& AFileName);
    // AFileName only names the source in the reports.
    void LoadFromBytes(const QByteArray& ABytes, const QString& AFileName);

    TZEP_MD_Wertevorrat_TokenEditFunc GetRegisteredWertevorrat(const QString& AToken) const;
    const QList<TZEP_MD_Mandant>& Mandanten() const { return FMandanten; }
    const QList<TZEP_MD_Wertevorrat_Fehler>& Fehler() const { return FFehler; }

    static QString FileName();

private:
    void Clear();
    void ReadLine(const QString& ASection, const QString& ALine, int AZeile, const QString& ADatei);

    QHash<QString, TZEP_MD_EditorKind> FEditoren;
    QHash<QString, int> FZeilen;
    QString FDatei;
    QHash<QString, QStringList> FWerteListen;
    QList<TZEP_MD_Mandant> FMandanten;
    QList<TZEP_MD_Wertevorrat_Fehler> FFehler;
};
