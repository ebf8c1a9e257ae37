#include "vko_zrzp_berechner.h"

#include <array>

#include "vko_datum.h"
#include "vko_info.h"

namespace {

using namespace std::chrono;

enum class TEinheit { Tag, Woche, Monat, Quartal, Jahr };
enum class TGrenze { Anfang, Ende };

struct TRegel {
    TVKO_Zeitpunkt_Id Id;
    const char* Code;
    const char* Beschreibung;  // UTF-8
    TEinheit Einheit;
    int Versatz;  // units ahead, negative: back
    TGrenze Grenze;
};

using Id = TVKO_Zeitpunkt_Id;
using E = TEinheit;
using G = TGrenze;

constexpr std::array<TRegel, 27> CRegeln{{
    {Id::Heute, "HEUTE", "heute", E::Tag, 0, G::Anfang},
    {Id::Gestern, "GESTERN", "gestern", E::Tag, -1, G::Anfang},
    {Id::Morgen, "MORGEN", "morgen", E::Tag, 1, G::Anfang},
    {Id::Woche_Anfang, "WOCHE_ANFANG", "laufende Woche, Anfang (Montag)", E::Woche, 0, G::Anfang},
    {Id::Woche_Ende, "WOCHE_ENDE", "laufende Woche, Ende (Sonntag)", E::Woche, 0, G::Ende},
    {Id::Vorwoche_Anfang, "VORWOCHE_ANFANG", "Vorwoche, Anfang (Montag)", E::Woche, -1, G::Anfang},
    {Id::Vorwoche_Ende, "VORWOCHE_ENDE", "Vorwoche, Ende (Sonntag)", E::Woche, -1, G::Ende},
    {Id::Folgewoche_Anfang, "FOLGEWOCHE_ANFANG", "Folgewoche, Anfang (Montag)", E::Woche, 1,
     G::Anfang},
    {Id::Folgewoche_Ende, "FOLGEWOCHE_ENDE", "Folgewoche, Ende (Sonntag)", E::Woche, 1, G::Ende},
    {Id::Monat_Anfang, "MONAT_ANFANG", "laufender Monat, Anfang", E::Monat, 0, G::Anfang},
    {Id::Monat_Ende, "MONAT_ENDE", "laufender Monat, Ende", E::Monat, 0, G::Ende},
    {Id::Vormonat_Anfang, "VORMONAT_ANFANG", "Vormonat, Anfang", E::Monat, -1, G::Anfang},
    {Id::Vormonat_Ende, "VORMONAT_ENDE", "Vormonat, Ende", E::Monat, -1, G::Ende},
    {Id::Folgemonat_Anfang, "FOLGEMONAT_ANFANG", "Folgemonat, Anfang", E::Monat, 1, G::Anfang},
    {Id::Folgemonat_Ende, "FOLGEMONAT_ENDE", "Folgemonat, Ende", E::Monat, 1, G::Ende},
    {Id::Quartal_Anfang, "QUARTAL_ANFANG", "laufendes Quartal, Anfang", E::Quartal, 0, G::Anfang},
    {Id::Quartal_Ende, "QUARTAL_ENDE", "laufendes Quartal, Ende", E::Quartal, 0, G::Ende},
    {Id::Vorquartal_Anfang, "VORQUARTAL_ANFANG", "Vorquartal, Anfang", E::Quartal, -1, G::Anfang},
    {Id::Vorquartal_Ende, "VORQUARTAL_ENDE", "Vorquartal, Ende", E::Quartal, -1, G::Ende},
    {Id::Folgequartal_Anfang, "FOLGEQUARTAL_ANFANG", "Folgequartal, Anfang", E::Quartal, 1,
     G::Anfang},
    {Id::Folgequartal_Ende, "FOLGEQUARTAL_ENDE", "Folgequartal, Ende", E::Quartal, 1, G::Ende},
    {Id::Jahr_Anfang, "JAHR_ANFANG", "laufendes Jahr, Anfang", E::Jahr, 0, G::Anfang},
    {Id::Jahr_Ende, "JAHR_ENDE", "laufendes Jahr, Ende", E::Jahr, 0, G::Ende},
    {Id::Vorjahr_Anfang, "VORJAHR_ANFANG", "Vorjahr, Anfang", E::Jahr, -1, G::Anfang},
    {Id::Vorjahr_Ende, "VORJAHR_ENDE", "Vorjahr, Ende", E::Jahr, -1, G::Ende},
    {Id::Folgejahr_Anfang, "FOLGEJAHR_ANFANG", "Folgejahr, Anfang", E::Jahr, 1, G::Anfang},
    {Id::Folgejahr_Ende, "FOLGEJAHR_ENDE", "Folgejahr, Ende", E::Jahr, 1, G::Ende},
}};

// The table is looked up by position, so its order must be that of the identifiers.
constexpr bool TabelleGeordnet() {
    for (std::size_t i = 0; i < CRegeln.size(); ++i) {
        if (static_cast<std::size_t>(CRegeln[i].Id) != i + 1) {
            return false;
        }
    }
    return true;
}
static_assert(TabelleGeordnet());

const TRegel* RegelVon(TVKO_Zeitpunkt_Id AId) {
    const auto index = static_cast<std::size_t>(AId);
    return index >= 1 && index <= CRegeln.size() ? &CRegeln[index - 1] : nullptr;
}

int MonateJeEinheit(TEinheit AEinheit) {
    switch (AEinheit) {
        case E::Quartal:
            return 3;
        case E::Jahr:
            return 12;
        default:
            return 1;
    }
}

year_month ErsterMonatDerEinheit(const year_month_day& ATag, TEinheit AEinheit) {
    const auto monat = static_cast<unsigned>(ATag.month());
    switch (AEinheit) {
        case E::Quartal:
            return ATag.year() / month{(monat - 1) / 3 * 3 + 1};
        case E::Jahr:
            return ATag.year() / January;
        default:
            return ATag.year() / ATag.month();
    }
}

year_month_day Berechne(const TRegel& ARegel, const year_month_day& AHeute) {
    const sys_days heute{AHeute};
    switch (ARegel.Einheit) {
        case E::Tag:
            return year_month_day{heute + days{ARegel.Versatz}};
        case E::Woche: {
            const sys_days montag = heute - (weekday{heute} - Monday) + weeks{ARegel.Versatz};
            return year_month_day{ARegel.Grenze == G::Ende ? montag + days{6} : montag};
        }
        default: {
            const int laenge = MonateJeEinheit(ARegel.Einheit);
            const year_month erster =
                ErsterMonatDerEinheit(AHeute, ARegel.Einheit) + months{ARegel.Versatz * laenge};
            if (ARegel.Grenze == G::Anfang) {
                return erster / day{1};
            }
            return year_month_day{(erster + months{laenge - 1}) / last};
        }
    }
}

}  // namespace

void TVKO_ZRZP_Berechner::SetAktuellerZeitpunkt(const QDateTime& AZeitpunkt) {
    FAktuellerZeitpunkt = AZeitpunkt;
}

TVKO_Zeitpunkt_Id TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_Low() {
    return CRegeln.front().Id;
}

TVKO_Zeitpunkt_Id TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_High() {
    return CRegeln.back().Id;
}

TVKO_ZP_Info TVKO_ZRZP_Berechner::ZeitpunktInfo_ById(TVKO_Zeitpunkt_Id AId) {
    const TRegel* regel = RegelVon(AId);
    if (regel == nullptr) {
        throw EVKO_Error(
            QStringLiteral("Der Zeitpunkt %1 ist unbekannt.").arg(static_cast<int>(AId)),
            CVKO_Info_Fehler_Standard_IllegalerParameter);
    }
    return TVKO_ZP_Info{regel->Id, QString::fromLatin1(regel->Code),
                        QString::fromUtf8(regel->Beschreibung)};
}

bool TVKO_ZRZP_Berechner::BerechneZeitpunkt(TVKO_Zeitpunkt_Id AId) {
    const TRegel* regel = RegelVon(AId);
    const QDate heute = FAktuellerZeitpunkt.date();
    if (regel == nullptr || !heute.isValid() || heute.year() < 1 || heute.year() > 9999) {
        return false;
    }
    const year_month_day tag = Berechne(*regel, VKO_Datum(heute));
    if (!VKO_DatumImBereich(tag)) {
        return false;
    }
    FZeitpunkt = tag;
    return true;
}
