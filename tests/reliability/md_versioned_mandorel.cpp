#include "md_versioned_mandorel.h"

#include "md_mandorel.h"

namespace {

const QString CBeschreibung = QStringLiteral("Beschreibung v%1");

// Versions differ in their number of steps too, so a sequence of another version never
// passes for this one.
int LiteralSteps(qint32 AVersion) {
    return 1 + AVersion % 3;
}

}  // namespace

const char* const CMD_VersionCatalogue = R"([TEMPLATES]
PLON_START
PLON_ANMELDUNG

[PLON_START]
STARTS_PROGRAM=PLON
SEQUENCE=START; WAIT "PLON" ms=5000

[PLON_ANMELDUNG]
SEQUENCE=TYPE "#KENNWORT#"

[TOKENNAMES]
#VON#=Von
#KENNWORT#M=Kennwort
)";

QString MD_Kennwort(qint32 AVersion) {
    return QStringLiteral("Geh31m-%1-Wort").arg(AVersion);
}

void MD_SetVersion(TZEP_MD_Mandorel& AMandorel, qint32 AVersion, qsizetype APadding) {
    const QString v = QString::number(AVersion);
    AMandorel.SetAuswertungs_Beschreibung(CBeschreibung.arg(v) +
                                          QString(APadding, QLatin1Char('x')));
    AMandorel.SetAuswertungs_Grund(QStringLiteral("Grund v%1").arg(v));
    AMandorel.TokenValues().clear();
    AMandorel.TokenValues().insert(QStringLiteral("#VON#"), QStringLiteral("01.%1").arg(v));
    AMandorel.TokenValues().insert(QStringLiteral("#KENNWORT#"), MD_Kennwort(AVersion));
    AMandorel.TokenValues().insert(QStringLiteral("#V%1#").arg(v), v);
    AMandorel.PlanIds() = {TIntTrio{AVersion, -AVersion, 7}};
    TZEP_GA_Sequence& sequence = AMandorel.Sequence();
    sequence.Clear();
    sequence.SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    sequence.Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});
    for (int i = 0; i < LiteralSteps(AVersion); ++i) {
        sequence.Append(TZEP_GA_SingleAction{TZEP_GA_ActionKind::TypeText,
                                             QStringLiteral("v%1/%2").arg(v).arg(i), 0, 0, 0});
    }
    sequence.Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_ANMELDUNG")});
}

std::optional<qint32> MD_VersionOf(const TZEP_MD_Mandorel& AMandorel) {
    const QString& beschreibung = AMandorel.Auswertungs_Beschreibung();
    const QString prefix = CBeschreibung.arg(QString());
    if (!beschreibung.startsWith(prefix)) {
        return std::nullopt;
    }
    bool ok = false;
    const qint32 version = beschreibung.mid(prefix.size()).toInt(&ok);
    if (!ok) {
        return std::nullopt;
    }
    TZEP_MD_Mandorel expected;
    MD_SetVersion(expected, version);
    const bool same =
        AMandorel.Auswertungs_Grund() == expected.Auswertungs_Grund() &&
        AMandorel.TokenValues() == expected.TokenValues() &&
        AMandorel.PlanIds() == expected.PlanIds() &&
        AMandorel.Sequence().TargetProgramFile() == expected.Sequence().TargetProgramFile() &&
        AMandorel.Sequence().Actions() == expected.Sequence().Actions();
    return same ? std::optional<qint32>(version) : std::nullopt;
}
