#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "zep_ga_sequence.h"

class TZEP_MD_Tokenlist;

// A named piece of automation for one target program, read from MD_Templates.ini. Its
// "STARTS_PROGRAM" value is kept as the sequence's target program file.
class TZEP_MD_Template : public TZEP_GA_Sequence {
public:
    const QString& Kennung() const { return FKennung; }
    const QString& AnzeigeName() const { return FAnzeigeName; }
    const QString& Description_Ext() const { return FDescription_Ext; }
    const QStringList& Next_Templates() const { return FNext_Templates; }
    void Clear() override;

private:
    friend class TZEP_MD_TemplateList;

    QString FKennung;
    QString FAnzeigeName;
    QString FDescription_Ext;
    QStringList FNext_Templates;
};

// Bounds one run's expanded sequence, so that a Mandorel from elsewhere whose steps name large
// templates many times cannot make the run exhaust memory. The error names the Mandorel.
class TZEP_MD_ExpandLimit {
public:
    static constexpr qsizetype CMaxActions = 100000;
    static constexpr qsizetype CMaxCharacters = 16 * 1024 * 1024;

    explicit TZEP_MD_ExpandLimit(QString AMandorel) : FMandorel(std::move(AMandorel)) {}
    // Raises the error when one more action would take the run beyond its bounds.
    void Add(const TZEP_GA_Sequence& ATarget, const TZEP_GA_SingleAction& AAction);

private:
    QString FMandorel;
    qsizetype FCharacters = 0;
};

// Called once per template; the catalogue keeps owning it.
using TZEP_MD_Template_EnumCallback = std::function<void(const TZEP_MD_Template& ATemplate)>;

// The template catalogue MD_Templates.ini of the settings folder.
class TZEP_MD_TemplateList {
public:
    TZEP_MD_TemplateList();
    ~TZEP_MD_TemplateList();
    TZEP_MD_TemplateList(const TZEP_MD_TemplateList&) = delete;
    TZEP_MD_TemplateList& operator=(const TZEP_MD_TemplateList&) = delete;

    // (Re)reads the catalogue; a missing file is an empty catalogue.
    void LoadTemplates();
    [[nodiscard]] bool Template_ByKennung(const QString& ATemplate_Kennung,
                                          const TZEP_MD_Template*& ATemplate) const;
    void Enum_Templates(const TZEP_MD_Template_EnumCallback& AEnum_CB, bool InitialOnly,
                        const QString& AProgramm) const;
    void Enum_FolgeTemplates(const TZEP_MD_Template_EnumCallback& AEnum_CB,
                             const QString& ATemplateKennung) const;
    // Appends the template's actions, each with its token replaced, to ATarget; ALimit, when
    // given, is checked before each of them.
    [[nodiscard]] bool Expand_Template(const QString& ATemplate_Kennung, TZEP_GA_Sequence& ATarget,
                                       const TZEP_MD_Tokenlist& ATokens,
                                       TZEP_MD_ExpandLimit* ALimit = nullptr) const;
    // Raises an error naming the step when a START action among the steps, or in a template
    // that a step names, holds a masked token (TZEP_MD_Tokenlist::Check_Programmstart).
    void Check_Programmstarts(const TZEP_GA_Sequence& ASteps,
                              const TZEP_MD_Tokenlist& ATokens) const;

private:
    std::map<QString, std::unique_ptr<TZEP_MD_Template>> FTemplates;
};
