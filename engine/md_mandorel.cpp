#include "md_mandorel.h"

#include <QStringList>

#include "vko_ansi.h"
#include "vko_info.h"
#include "vko_keyfeld.h"
#include "vko_textlines.h"
#include "zep_multiline_stream.h"

namespace {

// The directory names, in the order of the parts.
const QString CContent = QStringLiteral("content");
const QString CSequence = QStringLiteral("sequence");
const QString CDescription = QStringLiteral("description");
const QString CAuswertungsgrund = QStringLiteral("auswertungsgrund");
const QString CTokenValues = QStringLiteral("tokenvalues");
const QString CPlanIds = QStringLiteral("planids");
const QString CProgram = QStringLiteral("program");
const QString CName = QStringLiteral("name");
constexpr int CPartCount = 8;

const QString CCrLf = QStringLiteral("\r\n");

bool Is(const QString& AEntry, const QString& AName) {
    return AEntry.compare(AName, Qt::CaseInsensitive) == 0;
}

// Appends a name to the directory and selects the part whose number the append gave.
void SelectNewPart(TZEP_MultiLine_Stream& AContainer, QStringList& ADirectory,
                   const QString& AName) {
    ADirectory.append(AName);
    AContainer.SetCurrentLine(static_cast<int>(ADirectory.size() - 1));
}

}  // namespace

TZEP_MD_Mandorel::TZEP_MD_Mandorel() try {
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.Create");
}

TZEP_MD_Mandorel::~TZEP_MD_Mandorel() = default;

std::unique_ptr<TZEP_MD_Mandorel> TZEP_MD_Mandorel::CreateNew(const QString& AName_Anzeige,
                                                              const QString& AProgramm) try {
    auto mandorel = std::make_unique<TZEP_MD_Mandorel>();
    mandorel->FProgramm = AProgramm;
    mandorel->SetName(AName_Anzeige);
    mandorel->FModify_Marker = TZEP_DataOperation::Insert;
    return mandorel;
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.CreateNew");
}

std::unique_ptr<TZEP_MD_Mandorel> TZEP_MD_Mandorel::Clone(const TZEP_MD_Mandorel& AMother) try {
    auto mandorel = std::make_unique<TZEP_MD_Mandorel>();
    mandorel->FName_Key = AMother.FName_Key;
    mandorel->FName_Anzeige = AMother.FName_Anzeige;
    mandorel->FProgramm = AMother.FProgramm;
    mandorel->FAuswertungs_Beschreibung = AMother.FAuswertungs_Beschreibung;
    mandorel->FAuswertungs_Grund = AMother.FAuswertungs_Grund;
    mandorel->FSequence = AMother.FSequence;
    mandorel->FTokenValues = AMother.FTokenValues;
    mandorel->FPlanIds = AMother.FPlanIds;
    return mandorel;
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.Clone");
}

void TZEP_MD_Mandorel::SetName(const QString& AName_Anzeige) {
    FName_Anzeige = AName_Anzeige;
    FName_Key = Wert_2_Wert4KeyFeld(AName_Anzeige);
}

void TZEP_MD_Mandorel::SaveToStream(QIODevice& AStream) const try {
    TZEP_MultiLine_Stream container;
    container.SetLineCount(CPartCount);
    QStringList directory{CContent};

    SelectNewPart(container, directory, CSequence);
    FSequence.SaveToStream(container.Stream());

    SelectNewPart(container, directory, CDescription);
    container.Write(VKO_AnsiFromString(FAuswertungs_Beschreibung));

    SelectNewPart(container, directory, CAuswertungsgrund);
    container.Write(VKO_AnsiFromString(FAuswertungs_Grund));

    SelectNewPart(container, directory, CTokenValues);
    QString tokenLines;
    for (auto it = FTokenValues.cbegin(); it != FTokenValues.cend(); ++it) {
        tokenLines += it.key() + QLatin1Char('=') + it.value() + CCrLf;
    }
    container.Write(tokenLines.toUtf8());

    SelectNewPart(container, directory, CPlanIds);
    QString planLines;
    for (const TIntTrio& planId : FPlanIds) {
        planLines += vko_TIntTrio2String(planId) + CCrLf;
    }
    container.Write(planLines.toUtf8());

    SelectNewPart(container, directory, CProgram);
    container.Write(VKO_AnsiFromString(FProgramm));

    SelectNewPart(container, directory, CName);
    container.Write(VKO_AnsiFromString(FName_Anzeige));

    container.SetCurrentLine(0);
    container.Write(VKO_AnsiFromString(directory.join(CCrLf) + CCrLf));
    container.SaveFullData(AStream);
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.SaveToStream");
}

bool TZEP_MD_Mandorel::LoadFromStream(QIODevice& AStream, const QString& AName_Anzeige,
                                      const QString& AProgramm) try {
    FProgramm = AProgramm;
    SetName(AName_Anzeige);
    FTokenValues.clear();

    if (!AStream.seek(0)) {
        throw EVKO_Error(QStringLiteral("Der Datenstrom des Mandorels kann nicht an den Anfang "
                                        "gesetzt werden: %1")
                             .arg(AStream.errorString()));
    }
    TZEP_MultiLine_Stream container;
    container.LoadFullData(AStream);
    if (container.LineCount() == 0) {
        throw EVKO_Error(
            QStringLiteral("Der Datenstrom des Mandorels hat kein Inhaltsverzeichnis."));
    }
    container.SetCurrentLine(0);
    const QStringList directory = VKO_TextLines(VKO_DecodeText(container.LineData()));

    for (int i = 0; i < directory.size(); ++i) {
        const QString& entry = directory.at(i);
        container.SetCurrentLine(i);
        if (Is(entry, CSequence)) {
            FSequence.LoadFromStream(container.Stream());
        } else if (Is(entry, CDescription)) {
            FAuswertungs_Beschreibung = VKO_AnsiToString(container.LineData());
        } else if (Is(entry, CAuswertungsgrund)) {
            FAuswertungs_Grund = VKO_AnsiToString(container.LineData());
        } else if (Is(entry, CTokenValues)) {
            FTokenValues.clear();
            for (const QString& line : VKO_TextLines(VKO_DecodeUtf8Text(container.LineData()))) {
                if (line.isEmpty()) {
                    continue;
                }
                const qsizetype equals = line.indexOf(QLatin1Char('='));
                FTokenValues.insert(line.left(equals < 0 ? line.size() : equals),
                                    equals < 0 ? QString() : line.mid(equals + 1));
            }
        } else if (Is(entry, CPlanIds)) {
            FPlanIds.clear();
            for (const QString& line : VKO_TextLines(VKO_DecodeUtf8Text(container.LineData()))) {
                if (!line.isEmpty()) {
                    FPlanIds.append(vko_String2TIntTrio(line));
                }
            }
        } else if (Is(entry, CProgram)) {
            if (FProgramm.trimmed().isEmpty()) {
                FProgramm = VKO_AnsiToString(container.LineData());
            }
        } else if (Is(entry, CName)) {
            if (FName_Anzeige.trimmed().isEmpty()) {
                SetName(VKO_AnsiToString(container.LineData()));
            }
        }
    }
    return FSequence.Count() > 0;
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.LoadFromStream");
}
