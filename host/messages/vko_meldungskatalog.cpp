#include "vko_meldungskatalog.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, const char*>, 41> CMandorelTexte{{
    {1001,
     "Für das Programm %2 gibt es bereits einen Mandorel mit dem Namen „%1“. Bitte wählen Sie "
     "einen anderen Namen."},
    {1002, "Soll der ausgewählte Mandorel wirklich gelöscht werden?"},
    {1003,
     "Es wird bereits ein Mandorel bearbeitet. Bitte buchen Sie diese Änderungen oder brechen "
     "Sie sie ab, bevor Sie eine neue Bearbeitung beginnen."},
    {1004, "Das Kopieren eines Mandorels ist in dieser Version nicht möglich."},
    {1005,
     "Die Angaben sind nicht vollständig: %1 Bitte füllen Sie Programm, Name, Beschreibung und "
     "Auswertungsgrund aus und legen Sie mindestens einen Schritt an."},
    {1006, "Sollen die Änderungen verworfen und die Bearbeitung abgebrochen werden?"},
    {1007,
     "Dieser Schritt ist bereits belegt. Soll er ersetzt werden? Die folgenden Schritte werden "
     "dabei entfernt."},
    {1008,
     "Es ist noch eine Bearbeitung offen. Soll das Programm trotzdem beendet werden? Nicht "
     "gebuchte Änderungen gehen dabei verloren."},
    {1009, "Soll dieser Schritt mit allen folgenden Schritten gelöscht werden?"},
    {1010, "Der Testlauf ist fehlgeschlagen:\n%1"},
    {1011,
     "Es ist kein Mandorel ausgewählt. Bitte wählen Sie zuerst den Mandorel, der "
     "exportiert werden soll."},
    {1012, "Der gewählte Dateiname enthält Zeichen, die in einem Dateipfad nicht erlaubt sind."},
    {1013, "Die gewählte Datei gibt es nicht. Es wurde nichts importiert."},
    {1014,
     "Es ist kein Mandorel ausgewählt. Bitte wählen Sie zuerst den Mandorel, der "
     "testweise ausgeführt werden soll."},
    {1015,
     "Der Mandorel „%1“ für das Programm %2 wurde inzwischen an anderer Stelle geändert oder "
     "gelöscht. Ihre Änderungen sind nicht gebucht und bleiben offen; „Abbrechen“ zeigt den "
     "gespeicherten Stand."},
    {1016,
     "Der Zeitplan ist gespeichert, aber nicht aktiv: Die Zeitsteuerung des Systems (systemd "
     "für Benutzer) ist nicht erreichbar. Die Planung wird aktiv, sobald sie erreichbar ist und "
     "das Programm wieder gestartet wird."},
    {1017,
     "Die Wertevorratsdatei %1 ist in Zeile %2 fehlerhaft: %3. Die betroffenen Platzhalter "
     "erhalten ein einfaches Eingabefeld."},
    {1018,
     "Die Wertevorratsdatei kann nicht verwendet werden: %1 Alle Platzhalter erhalten ein "
     "einfaches Eingabefeld."},
    {1019,
     "Die Termine des Zeitplans von Mandorel „%1“ für das Programm %2 wurden nicht verlängert: "
     "Die Zeitsteuerung des Systems (systemd für Benutzer) ist nicht erreichbar. Der nächste "
     "Lauf oder Start des Programms verlängert sie."},
    {1025,
     "Im Schritt „%1“ wird der Wert „%3“ des Feldes „%2“ nicht angenommen. Bitte korrigieren "
     "Sie ihn; es wurde nichts gebucht."},
    {1026,
     "Der Platzhalter %1 passt nicht mehr in das Feld „%2“, das höchstens %3 Zeichen aufnimmt. "
     "Es wurde nichts übernommen."},
    {1027,
     "Es ist kein Mandorel ausgewählt. Bitte wählen Sie zuerst den Mandorel, der gelöscht "
     "werden soll."},
    {1028,
     "Es ist kein Mandorel ausgewählt. Bitte wählen Sie zuerst den Mandorel, dessen Vorschau "
     "angezeigt werden soll."},
    {1029,
     "Dieser Zeitplan wird nie ausgeführt: Alle seine Termine liegen in der Vergangenheit. "
     "Soll er trotzdem so gebucht werden?"},
    {1040,
     "Die Datei „%1“ nennt das Programm „%2“, das nicht im Programmverzeichnis steht. Es wurde "
     "nichts übernommen."},
    {1041,
     "Das Programm „%2“ des Mandorels „%1“ steht nicht im Programmverzeichnis. Bitte wählen "
     "Sie ein Programm aus der Liste. Es wurde nichts gebucht."},
    {1042,
     "Die Datei „%1“ enthält als Schritt %2 die Aktion „%3“, die keine Vorlage des Katalogs "
     "ist. Importiert werden nur Schritte aus Vorlagen; es wurde nichts übernommen."},
    {1043,
     "Die Datei „%1“ enthält %2 Tokenwerte; ein Mandorel darf höchstens 1.000 haben. Es wurde "
     "nichts übernommen."},
    {1044,
     "Die Datei „%1“ enthält für das Token %2 einen Wert mit mehr als 300 Zeichen. Es wurde "
     "nichts übernommen."},
    {1045,
     "Die Datei „%1“ ist größer als 1 MiB und damit kein exportierter Mandorel. Es wurde nichts "
     "übernommen."},
    {1046,
     "Der Mandorel „%1“ hat %2 Tokenwerte; ein Mandorel darf höchstens 1.000 haben. Es wurde "
     "nichts gebucht."},
    {1047,
     "Der Mandorel „%1“ hat für das Token %2 einen Wert mit mehr als 300 Zeichen. Es wurde "
     "nichts gebucht."},
    {1048, "Der Mandorel „%1“ ist gespeichert größer als 1 MiB. Es wurde nichts gebucht."},
    {1049,
     "Der Mandorel „%1“ enthält maskierte Werte (zum Beispiel Kennwörter). Die Exportdatei "
     "enthält sie lesbar. Soll er trotzdem exportiert werden?"},
    {1050,
     "Dieser Mandorel startet sein Programm nicht selbst und müsste daher auf Ihrem Bildschirm "
     "laufen. In einer Wayland-Sitzung erreicht seine Eingabe dort kein Programm; es wurde nichts "
     "eingegeben. Melden Sie sich dafür mit einer X11-Sitzung an, oder lassen Sie den ersten "
     "Schritt das Programm starten: dann läuft er auf einem eigenen virtuellen X-Bildschirm."},
    {1055,
     "Die gemeinsame Datenbank „%1“ ist nicht erreichbar: %2\nBitte prüfen Sie den Eintrag in "
     "pg_service.conf und ob der Datenbankserver läuft. Es wurde nichts verändert."},
    {1056,
     "Die Verbindung zur gemeinsamen Datenbank „%1“ ist unterbrochen: %2\nEs wurde nichts "
     "gespeichert."},
    {1057,
     "Die gemeinsame Datenbank „%1“ hat nicht innerhalb von %2 Sekunden geantwortet: ein "
     "anderes Programm sperrt die Daten. Es wurde nichts gespeichert; bitte versuchen Sie es "
     "später noch einmal."},
    {1058, "Die Datenbankeinstellung %1 ist fehlerhaft: %2 Es wird keine Datenbank geöffnet."},
    {1059,
     "Die gemeinsame Datenbank „%1“ enthält schon Daten (%2). Kopiert wird nur in eine leere "
     "Datenbank; es wurde nichts kopiert."},
    {1060,
     "Das Bild dieser Ausführung liegt auf dem Arbeitsplatz „%1“, der sie gespielt hat, unter "
     "„%2“. Dort lässt es sich öffnen."},
}};

}  // namespace

QString VKO_KatalogText(const TInfoKoord& AKoord) {
    if (AKoord == CVKO_Info_Fehler_Standard_IllegalerParameter) {
        return QStringLiteral(
            "Ein Programmteil wurde mit einem unzulässigen Wert aufgerufen (%1). Bitte wenden Sie "
            "sich an den Systembetreuer.");
    }
    if (AKoord.Programm != QLatin1String("QUANDRIX")) {
        return {};
    }
    for (const auto& [nummer, text] : CMandorelTexte) {
        if (nummer == AKoord.Nummer) {
            return QString::fromUtf8(text);
        }
    }
    return {};
}
