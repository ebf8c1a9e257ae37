#include "vko_datenbank_einstellung.h"

#include <QFile>
#include <QSysInfo>

#include "vko_folder.h"
#include "vko_info.h"
#include "vko_trusted_file.h"

namespace {

// The file holds two short lines; anything longer is not it.
constexpr qint64 CMaxEinstellungBytes = 4096;

[[noreturn]] void RaiseEinstellung(const QString& AGrund) {
    throw EVKO_Error(
        VKOInfo().MeldungText(MD_Koord(1058), {VKO_DatenbankEinstellungDatei(), AGrund}),
        MD_Koord(1058));
}

// The machine id of systemd, 32 hexadecimal digits, or empty.
QString MaschinenId() {
    for (const char* pfad : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile datei(QString::fromLatin1(pfad));
        if (!datei.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString id = QString::fromLatin1(datei.read(64)).trimmed();
        bool hex = id.size() == 32;
        for (const QChar zeichen : id) {
            hex = hex && QStringLiteral("0123456789abcdefABCDEF").contains(zeichen);
        }
        if (hex) {
            return id;
        }
    }
    return {};
}

}  // namespace

QString VKO_DatenbankEinstellungDatei() {
    return VKO_FilePath(TVKOFolder::Einstellungen, QStringLiteral("MD_Datenbank.ini"));
}

bool VKO_IstKennName(const QString& AName) {
    if (AName.isEmpty() || AName.size() > 63) {
        return false;
    }
    for (const QChar zeichen : AName) {
        if (!(zeichen.isLetterOrNumber() && zeichen.unicode() < 128) &&
            zeichen != QLatin1Char('_') && zeichen != QLatin1Char('-') &&
            zeichen != QLatin1Char('.')) {
            return false;
        }
    }
    return true;
}

TVKO_DatenbankEinstellung VKO_DatenbankEinstellung() try {
    const std::optional<QByteArray> bytes =
        VKO_ReadTrustedFile(VKO_DatenbankEinstellungDatei(), CMaxEinstellungBytes,
                            QStringLiteral("Die Datenbankeinstellung"));
    if (!bytes) {
        return {};
    }
    TVKO_DatenbankEinstellung einstellung;
    for (const QString& zeile : QString::fromUtf8(*bytes).split(QLatin1Char('\n'))) {
        const QString text = zeile.trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1Char(';')) ||
            text.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const qsizetype gleich = text.indexOf(QLatin1Char('='));
        const QString schluessel = text.left(gleich).trimmed().toUpper();
        const QString wert = text.mid(gleich + 1).trimmed();
        if (gleich < 0 || (schluessel != QLatin1String("DIENST") &&
                           schluessel != QLatin1String("ARBEITSPLATZ"))) {
            RaiseEinstellung(QStringLiteral("die Zeile „%1“ ist keine Angabe DIENST=<Name> oder "
                                            "ARBEITSPLATZ=<Name>.")
                                 .arg(text.left(80)));
        }
        if (schluessel == QLatin1String("ARBEITSPLATZ")) {
            if (!VKO_IstKennName(wert)) {
                RaiseEinstellung(
                    QStringLiteral("„%1“ ist kein Name eines Arbeitsplatzes (Buchstaben, Ziffern, "
                                   "_ - . und höchstens 63 Zeichen).")
                        .arg(wert.left(80)));
            }
            einstellung.Arbeitsplatz = wert.toUpper();
        } else {
            if (!VKO_IstKennName(wert)) {
                RaiseEinstellung(
                    QStringLiteral("„%1“ ist kein Name eines Eintrags in pg_service.conf.")
                        .arg(wert.left(80)));
            }
            einstellung.Dienst = wert;
        }
    }
    if (einstellung.Dienst.isEmpty()) {
        RaiseEinstellung(QStringLiteral("die Angabe DIENST=<Name> fehlt."));
    }
    return einstellung;
} catch (...) {
    RethrowRegistered("VKO_DatenbankEinstellung");
}

QString VKO_Arbeitsplatz() try {
    QString arbeitsplatz = VKO_DatenbankEinstellung().Arbeitsplatz;
    if (arbeitsplatz.isEmpty()) {
        arbeitsplatz = MaschinenId();
    }
    if (arbeitsplatz.isEmpty()) {
        arbeitsplatz = QSysInfo::machineHostName();
    }
    return arbeitsplatz.toUpper();
} catch (...) {
    RethrowRegistered("VKO_Arbeitsplatz");
}
