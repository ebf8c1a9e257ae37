#include "md_mandorel_checks.h"

#include <QBuffer>

#include "md_mandorel.h"
#include "vko_info.h"

namespace {

constexpr qsizetype CAnzeigeZeichen = 40;

qint64 StreamBytes(const TZEP_MD_Mandorel& AMandorel) {
    QByteArray bytes;
    QBuffer puffer(&bytes);
    puffer.open(QIODevice::WriteOnly);
    AMandorel.SaveToStream(puffer);
    return bytes.size();
}

}  // namespace

QString MD_Anzeigbar(const QString& AText) {
    QString text = AText.left(CAnzeigeZeichen);
    for (QChar& zeichen : text) {
        if (zeichen.unicode() < 0x20 || zeichen.unicode() == 0x7f) {
            zeichen = QLatin1Char('?');
        }
    }
    return AText.size() > CAnzeigeZeichen ? text + QStringLiteral("…") : text;
}

void MD_CheckGrenzen(const TZEP_MD_Mandorel& AMandorel, const QString& ADatei, const char* AGuard) {
    const bool import = !ADatei.isEmpty();
    const QString wer = import ? ADatei : AMandorel.Name_Anzeige();
    const TZEP_MD_TokenValues& werte = AMandorel.TokenValues();
    if (werte.size() > CMD_MaxTokenWerte) {
        VKOInfo().FehlerRaise(AGuard, MD_Koord(import ? 1043 : 1046),
                              {wer, QString::number(werte.size())});
    }
    for (auto it = werte.cbegin(); it != werte.cend(); ++it) {
        if (it.value().size() > CMD_MaxWertZeichen) {
            VKOInfo().FehlerRaise(AGuard, MD_Koord(import ? 1044 : 1047),
                                  {wer, MD_Anzeigbar(it.key())});
        }
    }
    if (StreamBytes(AMandorel) > CMD_MaxStreamBytes) {
        VKOInfo().FehlerRaise(AGuard, MD_Koord(import ? 1045 : 1048), {wer});
    }
}

void MD_CheckNurVorlagen(const TZEP_MD_Mandorel& AMandorel, const QString& ADatei,
                         const char* AGuard) {
    const QList<TZEP_GA_SingleAction>& schritte = AMandorel.Sequence().Actions();
    for (qsizetype i = 0; i < schritte.size(); ++i) {
        if (schritte.at(i).Kind != TZEP_GA_ActionKind::Template) {
            VKOInfo().FehlerRaise(
                AGuard, MD_Koord(1042),
                {ADatei, QString::number(i + 1), MD_Anzeigbar(schritte.at(i).Text)});
        }
    }
}
