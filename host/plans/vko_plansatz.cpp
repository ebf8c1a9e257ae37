#include "vko_plansatz.h"

#include <QStringList>

#include "vko_error.h"
#include "vko_info.h"

namespace {

// How far ahead the next run is looked for: the longest gap a timetable can have is a year
// (the first Monday of a month, a bounded plan), the margin covers a leap year.
constexpr int CSuchTage = 3 * 366;

[[noreturn]] void RaiseZeitplan(const QString& AText) {
    throw EVKO_Error(
        QStringLiteral("Der Zeitplan eines Plansatzes ist beschädigt (%1).").arg(AText),
        CVKO_Info_Fehler_Standard_IllegalerParameter);
}

int Zahl(const QString& AText, const QString& AKey, int AMin, int AMax) {
    bool ok = false;
    const int wert = AText.toInt(&ok);
    if (!ok || wert < AMin || wert > AMax) {
        RaiseZeitplan(AKey);
    }
    return wert;
}

QDate Datum(const QString& AText, const QString& AKey) {
    if (AText.isEmpty()) {
        return {};
    }
    const QDate datum = QDate::fromString(AText, Qt::ISODate);
    if (!datum.isValid()) {
        RaiseZeitplan(AKey);
    }
    return datum;
}

bool TagPasst(const TPlanSatz& APlansatz, const QDate& ATag) {
    if ((APlansatz.ErsterTag.isValid() && ATag < APlansatz.ErsterTag) ||
        (APlansatz.LetzterTag.isValid() && ATag > APlansatz.LetzterTag)) {
        return false;
    }
    const int wochentag = ATag.dayOfWeek();
    switch (APlansatz.Art) {
        case TPlanArt::Taeglich:
            if (APlansatz.NurWerktage) {
                return wochentag <= 5;
            }
            return !APlansatz.ErsterTag.isValid() ||
                   APlansatz.ErsterTag.daysTo(ATag) % APlansatz.AlleNTage == 0;
        case TPlanArt::Woechentlich:
            return (APlansatz.Wochentage & (1 << (wochentag - 1))) != 0;
        case TPlanArt::Monatlich:
            switch (APlansatz.MonatsRegel) {
                case TPlanMonatsRegel::Tag:
                    return ATag.day() == APlansatz.MonatsTag;
                case TPlanMonatsRegel::LetzterTag:
                    return ATag.day() == ATag.daysInMonth();
                case TPlanMonatsRegel::ErsterWochentag:
                    return ATag.day() <= 7 && wochentag == APlansatz.MonatsWochentag;
            }
            return false;
        case TPlanArt::Einmalig:
            return ATag == APlansatz.Einmalig.date();
        case TPlanArt::Keine:
            return false;
    }
    return false;
}

}  // namespace

void Clear_Plansatz(TPlanSatz& APlansatz) {
    APlansatz = TPlanSatz{};
}

QString Plansatz_Arbeitsplatz(const TPlanSatz& APlansatz) {
    return APlansatz.PlanerId.mid(APlansatz.PlanerId.lastIndexOf(QLatin1Char('@')) + 1);
}

bool Plansatz_Geplant(const TPlanSatz& APlansatz) {
    return APlansatz.Aktiv && APlansatz.Art != TPlanArt::Keine &&
           (APlansatz.Art != TPlanArt::Woechentlich || APlansatz.Wochentage != 0);
}

QString Zeitplan2Text(const TPlanSatz& APlansatz) {
    const auto flag = [](bool AWert) { return AWert ? QStringLiteral("1") : QStringLiteral("0"); };
    const QStringList zeilen{
        QStringLiteral("AKTIV=") + flag(APlansatz.Aktiv),
        QStringLiteral("ART=") + QString::number(static_cast<int>(APlansatz.Art)),
        QStringLiteral("UHRZEIT=") + APlansatz.Uhrzeit.toString(QStringLiteral("HH:mm")),
        QStringLiteral("ALLE_N_TAGE=") + QString::number(APlansatz.AlleNTage),
        QStringLiteral("NUR_WERKTAGE=") + flag(APlansatz.NurWerktage),
        QStringLiteral("WOCHENTAGE=") + QString::number(APlansatz.Wochentage),
        QStringLiteral("MONATSREGEL=") + QString::number(static_cast<int>(APlansatz.MonatsRegel)),
        QStringLiteral("MONATSTAG=") + QString::number(APlansatz.MonatsTag),
        QStringLiteral("MONATSWOCHENTAG=") + QString::number(APlansatz.MonatsWochentag),
        QStringLiteral("EINMALIG=") +
            APlansatz.Einmalig.toString(QStringLiteral("yyyy-MM-ddTHH:mm")),
        QStringLiteral("ERSTER_TAG=") + APlansatz.ErsterTag.toString(Qt::ISODate),
        QStringLiteral("LETZTER_TAG=") + APlansatz.LetzterTag.toString(Qt::ISODate),
        QStringLiteral("EIGENER_BILDSCHIRM=") + flag(APlansatz.EigenerBildschirm),
    };
    return zeilen.join(QLatin1Char('\n'));
}

void Text2Zeitplan(const QString& AText, TPlanSatz& APlansatz) {
    TPlanSatz satz = APlansatz;
    for (const QString& zeile : AText.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype gleich = zeile.indexOf(QLatin1Char('='));
        if (gleich <= 0) {
            RaiseZeitplan(zeile.left(40));
        }
        const QString key = zeile.left(gleich);
        const QString wert = zeile.mid(gleich + 1);
        if (key == QLatin1String("AKTIV")) {
            satz.Aktiv = Zahl(wert, key, 0, 1) == 1;
        } else if (key == QLatin1String("ART")) {
            satz.Art = static_cast<TPlanArt>(Zahl(wert, key, 0, 4));
        } else if (key == QLatin1String("UHRZEIT")) {
            satz.Uhrzeit = QTime::fromString(wert, QStringLiteral("HH:mm"));
            if (!satz.Uhrzeit.isValid()) {
                RaiseZeitplan(key);
            }
        } else if (key == QLatin1String("ALLE_N_TAGE")) {
            satz.AlleNTage = Zahl(wert, key, 1, 366);
        } else if (key == QLatin1String("NUR_WERKTAGE")) {
            satz.NurWerktage = Zahl(wert, key, 0, 1) == 1;
        } else if (key == QLatin1String("WOCHENTAGE")) {
            satz.Wochentage = Zahl(wert, key, 0, 127);
        } else if (key == QLatin1String("MONATSREGEL")) {
            satz.MonatsRegel = static_cast<TPlanMonatsRegel>(Zahl(wert, key, 0, 2));
        } else if (key == QLatin1String("MONATSTAG")) {
            satz.MonatsTag = Zahl(wert, key, 1, 28);
        } else if (key == QLatin1String("MONATSWOCHENTAG")) {
            satz.MonatsWochentag = Zahl(wert, key, 1, 7);
        } else if (key == QLatin1String("EINMALIG")) {
            satz.Einmalig = wert.isEmpty()
                                ? QDateTime()
                                : QDateTime::fromString(wert, QStringLiteral("yyyy-MM-ddTHH:mm"));
            if (!wert.isEmpty() && !satz.Einmalig.isValid()) {
                RaiseZeitplan(key);
            }
        } else if (key == QLatin1String("ERSTER_TAG")) {
            satz.ErsterTag = Datum(wert, key);
        } else if (key == QLatin1String("LETZTER_TAG")) {
            satz.LetzterTag = Datum(wert, key);
        } else if (key == QLatin1String("EIGENER_BILDSCHIRM")) {
            satz.EigenerBildschirm = Zahl(wert, key, 0, 1) == 1;
        } else {
            RaiseZeitplan(key.left(40));
        }
    }
    APlansatz = satz;
}

QDateTime NaechsteAusfuehrung(const TPlanSatz& APlansatz, const QDateTime& AAb) {
    if (!Plansatz_Geplant(APlansatz)) {
        return {};
    }
    if (APlansatz.Art == TPlanArt::Einmalig) {
        return APlansatz.Einmalig.isValid() && APlansatz.Einmalig > AAb &&
                       TagPasst(APlansatz, APlansatz.Einmalig.date())
                   ? APlansatz.Einmalig
                   : QDateTime();
    }
    const QDate start = AAb.date();
    for (int i = 0; i <= CSuchTage; ++i) {
        const QDate tag = start.addDays(i);
        if (APlansatz.LetzterTag.isValid() && tag > APlansatz.LetzterTag) {
            break;
        }
        if (!TagPasst(APlansatz, tag)) {
            continue;
        }
        // A time that the change to daylight saving time skips does not occur on that day,
        // as the system scheduler's calendar has it.
        const QDateTime zeitpunkt(tag, APlansatz.Uhrzeit);
        if (zeitpunkt.isValid() && zeitpunkt.time() == APlansatz.Uhrzeit && zeitpunkt > AAb) {
            return zeitpunkt;
        }
    }
    return {};
}
