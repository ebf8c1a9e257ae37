#include "md_mandorel.h"

#include <QStringList>
#include <QVarLengthArray>
#include <algorithm>
#include <array>

#include "vko_ansi.h"
#include "vko_info.h"
#include "vko_keyfeld.h"
#include "vko_stringpool.h"
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

// What the reader does with a part, by its directory name.
enum class TPart {
    Skip,
    Sequence,
    Description,
    Auswertungsgrund,
    TokenValues,
    PlanIds,
    Program,
    Name
};

const std::array<std::pair<const QString*, TPart>, 7> CKnownParts{{
    {&CSequence, TPart::Sequence},
    {&CDescription, TPart::Description},
    {&CAuswertungsgrund, TPart::Auswertungsgrund},
    {&CTokenValues, TPart::TokenValues},
    {&CPlanIds, TPart::PlanIds},
    {&CProgram, TPart::Program},
    {&CName, TPart::Name},
}};

QByteArray CanonicalDirectory() {
    QByteArray directory = CContent.toLatin1() + "\r\n";
    for (const auto& [name, part] : CKnownParts) {
        directory += name->toLatin1() + "\r\n";
    }
    return directory;
}

// Eight parts are usual; a longer directory goes to the heap.
using TDirectory = QVarLengthArray<TPart, 16>;

TDirectory ReadDirectory(QByteArrayView APart) {
    // Nearly every stream has the directory this version writes; it needs no decoding.
    static const QByteArray canonical = CanonicalDirectory();
    if (APart == canonical) {
        return {TPart::Skip,        TPart::Sequence, TPart::Description, TPart::Auswertungsgrund,
                TPart::TokenValues, TPart::PlanIds,  TPart::Program,     TPart::Name};
    }
    TDirectory directory;
    for (const QString& entry : VKO_TextLines(VKO_DecodeText(APart))) {
        TPart part = TPart::Skip;
        for (const auto& [name, known] : CKnownParts) {
            if (entry.compare(*name, Qt::CaseInsensitive) == 0) {
                part = known;
            }
        }
        directory.push_back(part);
    }
    return directory;
}

// Calls AVisit with each line of UTF-8 text. A short part of plain ASCII, as the plan ids are,
// decodes the same widened byte by byte, on the stack instead of into a text of its own.
template <typename TVisit>
void ForEachUtf8Line(QByteArrayView ABytes, TVisit&& AVisit) {
    constexpr qsizetype CShort = 256;
    const bool ascii = std::all_of(ABytes.begin(), ABytes.end(),
                                   [](char AByte) { return static_cast<uchar>(AByte) < 0x80; });
    if (!ascii || ABytes.size() > CShort) {
        VKO_ForEachLine(VKO_DecodeUtf8Text(ABytes), AVisit);
        return;
    }
    QVarLengthArray<char16_t, CShort> wide(ABytes.size());
    std::copy(ABytes.begin(), ABytes.end(), wide.begin());
    VKO_ForEachLine(QStringView(wide.constData(), wide.size()), AVisit);
}

// The parts of a loaded container, as views into it.
TZEP_MultiLine_Stream::TPartViews PartViews(TZEP_MultiLine_Stream& AContainer) {
    TZEP_MultiLine_Stream::TPartViews parts;
    for (int i = 0; i < AContainer.LineCount(); ++i) {
        AContainer.SetCurrentLine(i);
        parts.push_back(AContainer.LineView());
    }
    return parts;
}

// Whether every line is empty or three plain numbers of at most nine digits, as written:
// such lines need no decoding to be known valid. Any other form is left to the full check.
bool PlainPlanIds(QByteArrayView ABytes) {
    int digits = 0;
    int separators = 0;
    const auto lineComplete = [&] {
        return (separators == 0 && digits == 0) || (separators == 2 && digits > 0);
    };
    for (const char byte : ABytes) {
        if (byte >= '0' && byte <= '9') {
            if (++digits > 9) {
                return false;
            }
            continue;
        }
        if (byte == ';') {
            if (digits == 0 || ++separators > 2) {
                return false;
            }
        } else if (byte == '\r' || byte == '\n') {
            if (!lineComplete()) {
                return false;
            }
            separators = 0;
        } else {
            return false;
        }
        digits = 0;
    }
    return lineComplete();
}

// Checks every plan id line and calls AVisit with each id.
template <typename TVisit>
void ForEachPlanId(QByteArrayView ABytes, TVisit&& AVisit) {
    int zeile = 0;
    ForEachUtf8Line(ABytes, [&zeile, &AVisit](QStringView ALine) {
        ++zeile;
        if (ALine.isEmpty()) {
            return;
        }
        TIntTrio planId;
        try {
            planId = vko_String2TIntTrio(ALine);
        } catch (const EVKO_Error& error) {
            throw EVKO_Error(QStringLiteral("Die Plan-Ids des Mandorels sind "
                                            "beschädigt (Zeile %1). %2")
                                 .arg(zeile)
                                 .arg(error.Text()));
        }
        AVisit(planId);
    });
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
    const TZEP_MD_Mandorel& mother = AMother.Decoded();
    auto mandorel = std::make_unique<TZEP_MD_Mandorel>();
    mandorel->FName_Key = mother.FName_Key;
    mandorel->FName_Anzeige = mother.FName_Anzeige;
    mandorel->FProgramm = mother.FProgramm;
    mandorel->FAuswertungs_Beschreibung = mother.FAuswertungs_Beschreibung;
    mandorel->FAuswertungs_Grund = mother.FAuswertungs_Grund;
    mandorel->FSequence = mother.FSequence;
    mandorel->FTokenValues = mother.FTokenValues;
    mandorel->FPlanIds = mother.FPlanIds;
    mandorel->FRecord_Version = mother.FRecord_Version;
    return mandorel;
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.Clone");
}

void TZEP_MD_Mandorel::SetName(QString AName_Anzeige) {
    FName_Key = Wert_2_Wert4KeyFeld(AName_Anzeige);
    FName_Anzeige = std::move(AName_Anzeige);
}

void TZEP_MD_Mandorel::SaveToStream(QIODevice& AStream) const try {
    Decoded();
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
    BeginLoad(AName_Anzeige, AProgramm);
    if (!AStream.seek(0)) {
        throw EVKO_Error(QStringLiteral("Der Datenstrom des Mandorels kann nicht an den Anfang "
                                        "gesetzt werden: %1")
                             .arg(AStream.errorString()));
    }
    TZEP_MultiLine_Stream container;
    container.LoadFullData(AStream);
    return LoadParts(PartViews(container), false);
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.LoadFromStream");
}

bool TZEP_MD_Mandorel::LoadFromBytes(const QByteArray& ABytes, const QString& AName_Anzeige,
                                     const QString& AProgramm) try {
    return LoadFromBytes(TVKO_SharedBytes(ABytes), AName_Anzeige, AProgramm);
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.LoadFromStream");
}

bool TZEP_MD_Mandorel::LoadFromBytes(const TVKO_SharedBytes& ABytes, QString AName_Anzeige,
                                     QString AProgramm) try {
    BeginLoad(std::move(AName_Anzeige), std::move(AProgramm));
    TZEP_MultiLine_Stream::TPartViews parts;
    TZEP_MultiLine_Stream::SplitFullData(ABytes.View(), parts);
    const bool hasStep = LoadParts(parts, true);
    FUndecoded = ABytes;
    return hasStep;
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.LoadFromStream");
}

TZEP_MD_Mandorel& TZEP_MD_Mandorel::Decoded() try {
    if (!FUndecoded.IsEmpty()) {
        const TVKO_SharedBytes bytes = std::exchange(FUndecoded, TVKO_SharedBytes());
        TZEP_MultiLine_Stream::TPartViews parts;
        TZEP_MultiLine_Stream::SplitFullData(bytes.View(), parts);
        LoadParts(parts, false);
    }
    return *this;
} catch (...) {
    RethrowRegistered("TZEP_MD_Mandorel.LoadFromStream");
}

const TZEP_MD_Mandorel& TZEP_MD_Mandorel::Decoded() const {
    // Decoding changes how the fields are held, not what they are; Mandorele are never
    // defined const.
    return const_cast<TZEP_MD_Mandorel*>(this)->Decoded();
}

void TZEP_MD_Mandorel::BeginLoad(QString AName_Anzeige, QString AProgramm) {
    // Parts the new stream lacks leave the fields as they were, also undecoded ones.
    Decoded();
    FProgramm = std::move(AProgramm);
    SetName(std::move(AName_Anzeige));
    FTokenValues.clear();
}

bool TZEP_MD_Mandorel::LoadParts(const TZEP_MultiLine_Stream::TPartViews& AParts, bool ACheckOnly) {
    if (AParts.isEmpty()) {
        throw EVKO_Error(
            QStringLiteral("Der Datenstrom des Mandorels hat kein Inhaltsverzeichnis."));
    }
    const TDirectory directory = ReadDirectory(AParts[0]);
    qsizetype steps = FSequence.Count();
    for (qsizetype i = 0; i < directory.size(); ++i) {
        const QByteArrayView bytes = TZEP_MultiLine_Stream::Part(AParts, i);
        const bool decode = !ACheckOnly || directory[i] == TPart::Program ||
                            directory[i] == TPart::Name || directory[i] == TPart::PlanIds;
        if (!decode) {
            if (directory[i] == TPart::Sequence) {
                steps = TZEP_GA_Sequence::CountActions(bytes);
            }
            continue;
        }
        switch (directory[i]) {
            case TPart::Skip:
                break;
            case TPart::Sequence:
                FSequence.LoadFromBytes(bytes);
                steps = FSequence.Count();
                break;
            case TPart::Description:
                FAuswertungs_Beschreibung = VKO_AnsiToString(bytes);
                break;
            case TPart::Auswertungsgrund:
                FAuswertungs_Grund = VKO_AnsiToString(bytes);
                break;
            case TPart::TokenValues:
                FTokenValues.clear();
                VKO_ForEachLine(VKO_DecodeUtf8Text(bytes), [this](QStringView ALine) {
                    if (ALine.isEmpty()) {
                        return;
                    }
                    const qsizetype equals = ALine.indexOf(QLatin1Char('='));
                    // Written in key order, so the end is the right place to insert.
                    FTokenValues.insert(FTokenValues.cend(),
                                        VKO_Intern(ALine.left(equals < 0 ? ALine.size() : equals)),
                                        equals < 0 ? QString() : VKO_Intern(ALine.mid(equals + 1)));
                });
                break;
            case TPart::PlanIds:
                // A check only keeps nothing: the ids are read again with the other fields.
                if (ACheckOnly) {
                    if (!PlainPlanIds(bytes)) {
                        ForEachPlanId(bytes, [](const TIntTrio&) {});
                    }
                    break;
                }
                FPlanIds.clear();
                FPlanIds.reserve(bytes.count('\n'));
                ForEachPlanId(bytes, [this](const TIntTrio& AId) { FPlanIds.append(AId); });
                break;
            case TPart::Program:
                if (QStringView(FProgramm).trimmed().isEmpty()) {
                    FProgramm = VKO_Intern(VKO_AnsiToString(bytes));
                }
                break;
            case TPart::Name:
                if (QStringView(FName_Anzeige).trimmed().isEmpty()) {
                    SetName(VKO_AnsiToString(bytes));
                }
                break;
        }
    }
    return steps > 0;
}
