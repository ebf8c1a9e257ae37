#include "zep_wertevorrat_registry.h"

#include <array>
#include <optional>
#include <utility>

#include "vko_ansi.h"
#include "vko_error.h"
#include "vko_folder.h"
#include "vko_info.h"
#include "vko_textlines.h"
#include "vko_trusted_file.h"

namespace {

// A few hundred tokens and clients; a larger file is none.
constexpr qint64 CMaxFileBytes = 1024 * 1024;

const std::array<std::pair<const char*, TZEP_MD_EditorKind>, 8> CEditoren{{
    {"TZEP_MandantenCheckCombo", TZEP_MD_EditorKind::MandantenCheckCombo},
    {"TZEP_MandantenCombobox", TZEP_MD_EditorKind::MandantenCombobox},
    {"TZEP_OpenDialogFrame", TZEP_MD_EditorKind::OpenDialogFrame},
    {"TZEP_FileOpenDialogFrame", TZEP_MD_EditorKind::FileOpenDialogFrame},
    {"TVKOSaisonButtonEdit", TZEP_MD_EditorKind::SaisonButtonEdit},
    {"TZEP_EMail_Mult_Empfaenger", TZEP_MD_EditorKind::EMail_Mult_Empfaenger},
    {"TZEP_LayoutDialogFrame", TZEP_MD_EditorKind::LayoutDialogFrame},
    {"TZEP_Farnel_Account_Info_Frame", TZEP_MD_EditorKind::Farnel_Account_Info_Frame},
}};

bool IsToken(const QString& AText) {
    return AText.size() > 2 && AText.startsWith(QLatin1Char('#')) &&
           AText.endsWith(QLatin1Char('#')) && !AText.mid(1, AText.size() - 2).contains(u'#');
}

}  // namespace

QString TZEP_MD_Wertevorrat_Registry::FileName() {
    return VKO_FilePath(TVKOFolder::Einstellungen, QStringLiteral("MD_Wertevorrat.ini"));
}

void TZEP_MD_Wertevorrat_Registry::LoadFromSettings() try {
    LoadFromFile(FileName());
} catch (...) {
    RethrowRegistered("TZEP_MD_Wertevorrat_Registry.LoadFromSettings");
}

void TZEP_MD_Wertevorrat_Registry::LoadFromFile(const QString& AFileName) try {
    Clear();
    std::optional<QByteArray> bytes;
    try {
        bytes =
            VKO_ReadTrustedFile(AFileName, CMaxFileBytes, QStringLiteral("Die Wertevorratsdatei"));
    } catch (const EVKO_Error& fehler) {
        FFehler.append({AFileName, 0, fehler.Text()});
        return;
    }
    if (bytes) {
        LoadFromBytes(*bytes, AFileName);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Wertevorrat_Registry.LoadFromFile");
}

void TZEP_MD_Wertevorrat_Registry::LoadFromBytes(const QByteArray& ABytes,
                                                 const QString& AFileName) try {
    Clear();
    FDatei = AFileName;
    QString section;
    int zeile = 0;
    for (const QString& line : VKO_TextLines(VKO_DecodeText(ABytes))) {
        ++zeile;
        const QString text = VKO_TrimBlanks(line);
        if (text.isEmpty() || text.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'))) {
            section = VKO_TrimBlanks(text.mid(1, text.size() - 2)).toUpper();
            if (section != u"EDITOREN" && section != u"WERTELISTEN" && section != u"MANDANTEN") {
                FFehler.append({AFileName, zeile, QStringLiteral("unbekannter Abschnitt")});
            }
            continue;
        }
        ReadLine(section, text, zeile, AFileName);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Wertevorrat_Registry.LoadFromBytes");
}

void TZEP_MD_Wertevorrat_Registry::ReadLine(const QString& ASection, const QString& ALine,
                                            int AZeile, const QString& ADatei) try {
    const qsizetype equals = ALine.indexOf(QLatin1Char('='));
    const QString key = VKO_TrimBlanks(ALine.left(equals));
    const QString value = VKO_TrimBlanks(ALine.mid(equals + 1));
    const auto fehler = [&](const QString& AGrund) { FFehler.append({ADatei, AZeile, AGrund}); };
    if (ASection != u"EDITOREN" && ASection != u"WERTELISTEN" && ASection != u"MANDANTEN") {
        if (!ASection.isEmpty()) {
            return;  // the section itself was reported
        }
        fehler(QStringLiteral("Zeile außerhalb eines Abschnitts"));
        return;
    }
    if (equals <= 0 || value.isEmpty()) {
        fehler(QStringLiteral("erwartet wird Name=Wert"));
        return;
    }
    if (ASection == u"MANDANTEN") {
        FMandanten.append({key, value});
        return;
    }
    if (!IsToken(key)) {
        fehler(QStringLiteral("„%1“ ist kein Platzhalter der Form #NAME#").arg(key));
        return;
    }
    if (ASection == u"WERTELISTEN") {
        QStringList werte;
        for (const QString& wert : value.split(QLatin1Char(';'))) {
            if (!VKO_TrimBlanks(wert).isEmpty()) {
                werte.append(VKO_TrimBlanks(wert));
            }
        }
        FWerteListen.insert(key, werte);
        FZeilen.insert(key, AZeile);
        return;
    }
    for (const auto& [name, kind] : CEditoren) {
        if (value.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            FEditoren.insert(key, kind);
            FZeilen.insert(key, AZeile);
            return;
        }
    }
    fehler(QStringLiteral("unbekannte Eingabeart „%1“").arg(value));
} catch (...) {
    RethrowRegistered("TZEP_MD_Wertevorrat_Registry.ReadLine");
}

TZEP_MD_Wertevorrat_TokenEditFunc TZEP_MD_Wertevorrat_Registry::GetRegisteredWertevorrat(
    const QString& AToken) const try {
    TZEP_MD_Wertevorrat_TokenEditFunc entry;
    entry.EditorClass = FEditoren.value(AToken, TZEP_MD_EditorKind::Keiner);
    const auto liste = FWerteListen.constFind(AToken);
    if (liste != FWerteListen.constEnd()) {
        entry.WerteListe = [werte = *liste] { return werte; };
    }
    entry.Datei = FDatei;
    entry.Zeile = FZeilen.value(AToken);
    return entry;
} catch (...) {
    RethrowRegistered("TZEP_MD_Wertevorrat_Registry.GetRegisteredWertevorrat");
}

void TZEP_MD_Wertevorrat_Registry::Clear() {
    FEditoren.clear();
    FZeilen.clear();
    FDatei.clear();
    FWerteListen.clear();
    FMandanten.clear();
    FFehler.clear();
}
