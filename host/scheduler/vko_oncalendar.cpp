#include "vko_oncalendar.h"

namespace {

// Listed dates reach this many runs ahead; a window start, a save and every run renew them.
constexpr int CListenLaenge = 400;

const char* const CWochentage[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

QString Zeit(const QTime& AZeit) {
    return AZeit.toString(QStringLiteral("HH:mm:00"));
}

QString Wochentage(int AMaske) {
    QStringList tage;
    for (int i = 0; i < 7; ++i) {
        if ((AMaske & (1 << i)) != 0) {
            tage.append(QString::fromLatin1(CWochentage[i]));
        }
    }
    return tage.join(QLatin1Char(','));
}

}  // namespace

QStringList VKO_OnCalendar(const TPlanSatz& APlansatz, const QDateTime& AAb) {
    if (!Plansatz_Geplant(APlansatz)) {
        return {};
    }
    const QString zeit = Zeit(APlansatz.Uhrzeit);
    const bool begrenzt = APlansatz.ErsterTag.isValid() || APlansatz.LetzterTag.isValid();
    const bool listen =
        APlansatz.Art == TPlanArt::Einmalig || begrenzt ||
        (APlansatz.Art == TPlanArt::Taeglich && !APlansatz.NurWerktage && APlansatz.AlleNTage > 1);
    if (listen) {
        QStringList termine;
        QDateTime ab = AAb;
        while (termine.size() < CListenLaenge) {
            const QDateTime naechste = NaechsteAusfuehrung(APlansatz, ab);
            if (!naechste.isValid()) {
                break;
            }
            termine.append(naechste.date().toString(Qt::ISODate) + QLatin1Char(' ') +
                           Zeit(APlansatz.Art == TPlanArt::Einmalig ? APlansatz.Einmalig.time()
                                                                    : APlansatz.Uhrzeit));
            ab = naechste;
        }
        return termine;
    }
    switch (APlansatz.Art) {
        case TPlanArt::Taeglich:
            return {(APlansatz.NurWerktage ? QStringLiteral("Mon..Fri *-*-* ")
                                           : QStringLiteral("*-*-* ")) +
                    zeit};
        case TPlanArt::Woechentlich:
            return {Wochentage(APlansatz.Wochentage) + QStringLiteral(" *-*-* ") + zeit};
        case TPlanArt::Monatlich:
            switch (APlansatz.MonatsRegel) {
                case TPlanMonatsRegel::Tag:
                    return {QStringLiteral("*-*-%1 ").arg(APlansatz.MonatsTag, 2, 10,
                                                          QLatin1Char('0')) +
                            zeit};
                case TPlanMonatsRegel::LetzterTag:
                    return {QStringLiteral("*-*~01 ") + zeit};
                case TPlanMonatsRegel::ErsterWochentag:
                    return {QString::fromLatin1(CWochentage[APlansatz.MonatsWochentag - 1]) +
                            QStringLiteral(" *-*-01..07 ") + zeit};
            }
            return {};
        case TPlanArt::Einmalig:
        case TPlanArt::Keine:
            return {};
    }
    return {};
}
