// The dynamic date placeholders of the token list.
#include <array>

#include "md_tokenlist.h"
#include "vko_datum.h"
#include "vko_info.h"
#include "vko_periode.h"
#include "vko_zrzp_berechner.h"

namespace {

using namespace std::chrono;

QString HeuteVorjahr(const QDateTime& AJetzt) {
    const year_month_day heute = VKO_Datum(AJetzt);
    // 29 February has no counterpart in the year before.
    const day tag = heute.month() == February && heute.day() == day{29} ? day{28} : heute.day();
    return VKO_DatumText(year_month_day{heute.year() - years{1}, heute.month(), tag});
}

QString MonatsGrenze(const QDateTime& AJetzt, int AMonateVoraus, bool AEnde) {
    const TVKO_Periode periode = TVKO_Periode::ConstructFromDate(AJetzt).GetNext(AMonateVoraus);
    return VKO_DatumText(AEnde ? periode.Monatsende() : periode.Monatsanfang());
}

struct TFesterToken {
    const char* Token;
    const char* Bezeichnung;  // UTF-8
    QString (*Wert)(const QDateTime& AJetzt);
};

const std::array<TFesterToken, 5> CFesteTokens{{
    {"#HEUTE_VORJAHR#", "heute Vorjahr", &HeuteVorjahr},
    {"#MONAT_NAECHSTER_ANFANG#", "nächster Monat, Anfang",
     [](const QDateTime& AJetzt) { return MonatsGrenze(AJetzt, 1, false); }},
    {"#MONAT_NAECHSTER_ENDE#", "nächster Monat, Ende",
     [](const QDateTime& AJetzt) { return MonatsGrenze(AJetzt, 1, true); }},
    {"#MONAT_UEBERNAECHSTER_ANFANG#", "übernächster Monat, Anfang",
     [](const QDateTime& AJetzt) { return MonatsGrenze(AJetzt, 2, false); }},
    {"#MONAT_UEBERNAECHSTER_ENDE#", "übernächster Monat, Ende",
     [](const QDateTime& AJetzt) { return MonatsGrenze(AJetzt, 2, true); }},
}};

}  // namespace

void TZEP_MD_Tokenlist::Add_DynConversions() try {
    const auto add = [this](const QString& AToken, TTokenConvert_Func AConvert,
                            const QString& ABezeichnung) {
        if (FDynamicTokens.contains(AToken)) {
            throw EVKO_Error(
                QStringLiteral("Der Datumsplatzhalter „%1“ ist mehr als einmal vergeben.")
                    .arg(AToken));
        }
        FDynamicTokens.insert(AToken, std::move(AConvert));
        FDynamicToken_Bezeichnungen.insert(AToken, ABezeichnung);
    };

    TVKO_ZRZP_Berechner* rechner = FZeitrechner.get();
    const int low = static_cast<int>(TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_Low());
    const int high = static_cast<int>(TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_High());
    for (int nummer = low; nummer <= high; ++nummer) {
        const TVKO_ZP_Info info =
            TVKO_ZRZP_Berechner::ZeitpunktInfo_ById(static_cast<TVKO_Zeitpunkt_Id>(nummer));
        const TVKO_Zeitpunkt_Id id = info.Id;
        add(
            QLatin1Char('#') + info.Code + QLatin1Char('#'),
            [rechner, id] {
                return rechner->BerechneZeitpunkt(id) ? VKO_DatumText(rechner->Zeitpunkt())
                                                      : QString();
            },
            info.Beschreibung);
    }
    for (const TFesterToken& fest : CFesteTokens) {
        add(
            QString::fromLatin1(fest.Token), [this, wert = fest.Wert] { return wert(Jetzt()); },
            QString::fromUtf8(fest.Bezeichnung));
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Add_DynConversions");
}
