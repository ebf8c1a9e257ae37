#include "md_templates.h"

#include <QLocale>

#include "md_delimitedtext.h"
#include "md_inifile.h"
#include "md_tokenlist.h"
#include "vko_folder.h"
#include "vko_info.h"

namespace {

const QString CTemplates = QStringLiteral("TEMPLATES");

// Reads the actions of a template; an error names the file and the template.
void LoadSequence(TZEP_MD_Template& ATemplate, const TZEP_MD_IniFile& AIni,
                  const QString& ASection) {
    const QString text = AIni.ReadString(ASection, QStringLiteral("SEQUENCE"));
    try {
        ATemplate.LoadFromText(text);
    } catch (const EVKO_Error& error) {
        throw EVKO_Error(QStringLiteral("Die Datei „%1“ enthält bei der Vorlage [%2] unter "
                                        "SEQUENCE keine gültige Aktionsfolge. %3")
                             .arg(AIni.FileName(), ASection, error.Text()));
    }
}

}  // namespace

void TZEP_MD_Template::Clear() try {
    TZEP_GA_Sequence::Clear();
    FKennung.clear();
    FAnzeigeName.clear();
    FDescription_Ext.clear();
    FNext_Templates.clear();
} catch (...) {
    RethrowRegistered("TZEP_MD_Template.Clear");
}

TZEP_MD_TemplateList::TZEP_MD_TemplateList() try {
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateList.Create");
}

// The templates are owned by unique pointers; releasing them cannot fail.
TZEP_MD_TemplateList::~TZEP_MD_TemplateList() = default;

void TZEP_MD_TemplateList::LoadTemplates() try {
    FTemplates.clear();
    const TZEP_MD_IniFile ini = TZEP_MD_IniFile::FromFile(
        VKO_FilePath(TVKOFolder::Einstellungen, QStringLiteral("MD_Templates.ini")));
    // The reader hands the lines over trimmed and drops empty ones.
    for (const QString& section : ini.SectionLines(CTemplates)) {
        const QString kennung = section.toUpper();
        auto vorlage = std::make_unique<TZEP_MD_Template>();
        LoadSequence(*vorlage, ini, section);
        vorlage->FKennung = kennung;
        vorlage->SetTargetProgramFile(ini.ReadString(section, QStringLiteral("STARTS_PROGRAM")));
        vorlage->FAnzeigeName = ini.ReadString(section, QStringLiteral("NAME"));
        vorlage->FDescription_Ext = ini.ReadString(section, QStringLiteral("DESCRIPTION_EXT"));
        vorlage->FNext_Templates = MD_SplitDelimited(
            ini.ReadString(section, QStringLiteral("NEXT_TEMPLATES")), QLatin1Char(';'));
        if (FTemplates.contains(kennung)) {
            throw EVKO_Error(QStringLiteral("Die Datei „%1“ nennt im Abschnitt [%2] die Vorlage "
                                            "„%3“ mehr als einmal (Zeile „%4“).")
                                 .arg(ini.FileName(), CTemplates, kennung, section));
        }
        FTemplates.emplace(kennung, std::move(vorlage));
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateList.LoadTemplates");
}

bool TZEP_MD_TemplateList::Template_ByKennung(const QString& ATemplate_Kennung,
                                              const TZEP_MD_Template*& ATemplate) const try {
    const auto found = FTemplates.find(ATemplate_Kennung);
    ATemplate = found == FTemplates.end() ? nullptr : found->second.get();
    return ATemplate != nullptr;
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateList.Template_ByName");
}

void TZEP_MD_TemplateList::Enum_Templates(const TZEP_MD_Template_EnumCallback& AEnum_CB,
                                          bool InitialOnly, const QString& AProgramm) const try {
    for (const auto& [kennung, vorlage] : FTemplates) {
        const QString& startet = vorlage->TargetProgramFile();
        const bool passt = !AProgramm.isEmpty()
                               ? startet.compare(AProgramm, Qt::CaseInsensitive) == 0
                               : !InitialOnly || !startet.isEmpty();
        if (passt) {
            AEnum_CB(*vorlage);
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateList.Enum_Templates");
}

void TZEP_MD_TemplateList::Enum_FolgeTemplates(const TZEP_MD_Template_EnumCallback& AEnum_CB,
                                               const QString& ATemplateKennung) const try {
    const auto found = FTemplates.find(ATemplateKennung);
    if (found == FTemplates.end()) {
        return;
    }
    const QStringList folgen = found->second->Next_Templates();
    for (const QString& folge : folgen) {
        if (const auto next = FTemplates.find(folge); next != FTemplates.end()) {
            AEnum_CB(*next->second);
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateList.Enum_FolgeTemplates");
}

bool TZEP_MD_TemplateList::Expand_Template(const QString& ATemplate_Kennung,
                                           TZEP_GA_Sequence& ATarget,
                                           const TZEP_MD_Tokenlist& ATokens,
                                           TZEP_MD_ExpandLimit* ALimit) const try {
    const auto found = FTemplates.find(ATemplate_Kennung);
    if (found == FTemplates.end()) {
        return false;
    }
    for (qsizetype i = 0; i < found->second->Count(); ++i) {
        TZEP_GA_SingleAction action = found->second->Action(i);
        if (!ATokens.ReplaceToken(action)) {
            return false;
        }
        if (ALimit != nullptr) {
            ALimit->Add(ATarget, action);
        }
        ATarget.Append(action);
    }
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateList.Expand_Template");
}

void TZEP_MD_TemplateList::Check_Programmstarts(const TZEP_GA_Sequence& ASteps,
                                                const TZEP_MD_Tokenlist& ATokens) const try {
    for (qsizetype i = 0; i < ASteps.Count(); ++i) {
        const TZEP_GA_SingleAction step = ASteps.Action(i);
        try {
            const auto found = step.Kind == TZEP_GA_ActionKind::Template
                                   ? FTemplates.find(step.Text)
                                   : FTemplates.end();
            if (found == FTemplates.end()) {
                ATokens.Check_Programmstart(step);
                continue;
            }
            for (const TZEP_GA_SingleAction& action : found->second->Actions()) {
                ATokens.Check_Programmstart(action);
            }
        } catch (const EVKO_Error& error) {
            throw EVKO_Error(QStringLiteral("Schritt %1 (%2): %3")
                                 .arg(QString::number(i + 1), step.ToString(), error.Text()));
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateList.Check_Programmstarts");
}

void TZEP_MD_ExpandLimit::Add(const TZEP_GA_Sequence& ATarget,
                              const TZEP_GA_SingleAction& AAction) try {
    FCharacters += AAction.Text.size();
    if (ATarget.Count() < CMaxActions && FCharacters <= CMaxCharacters) {
        return;
    }
    throw EVKO_Error(QStringLiteral("Der Mandorel %1 ergibt mehr als %2 Aktionen oder mehr als %3 "
                                    "Zeichen Text; er wird nicht abgespielt. Prüfen Sie seine "
                                    "Schritte (nennen sie große Vorlagen sehr oft?).")
                         .arg(FMandorel, QLocale(QLocale::German).toString(CMaxActions),
                              QLocale(QLocale::German).toString(CMaxCharacters)));
} catch (...) {
    RethrowRegistered("TZEP_MD_ExpandLimit.Add");
}
