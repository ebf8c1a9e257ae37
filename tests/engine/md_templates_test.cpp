#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "md_templates.h"
#include "md_test_support.h"
#include "md_tokenlist.h"
#include "vko_info.h"

namespace {

const QByteArray CKatalog =
    "; Testkatalog\n"
    "[TEMPLATES]\n"
    "   liste_a   \n"
    "LISTE_B\n"
    "\n"
    "Liste_C\n"
    "START_EXE\n"
    "LEER\n"
    "[liste_a]\n"
    "name = Monatsliste\n"
    "Description_Ext = Liste \xFC"
    "ber den Monat \x96 alle Abteilungen\n"
    "STARTS_PROGRAM = PLON\n"
    "SEQUENCE = START; WAIT \"PLON\" ms=15000; TYPE \"#VON#\"; KEYS \"Tab\"; TEMPLATE \"LISTE_B\"\n"
    "NEXT_TEMPLATES = LISTE_C;liste_b;FEHLT;LISTE_B\n"
    "[LISTE_B]\n"
    "NAME=Zeitraum\n"
    "SEQUENCE=TYPE \"#VON#\"; KEYS \"Tab\"; TYPE \"bis #BIS#\"\n"
    "NEXT_TEMPLATES=LISTE_C LISTE_A\n"
    "[LISTE_C]\n"
    "NAME=Ende\n"
    "SEQUENCE=KEYS \"ctrl+q\"\n"
    "[START_EXE]\n"
    "STARTS_PROGRAM=PLON.EXE\n"
    "SEQUENCE=START\n"
    "[TOKENNAMES]\n"
    "#BIS#=Zeitraum bis\n";

QStringList Kennungen(const std::function<void(const TZEP_MD_Template_EnumCallback&)>& AEnum) {
    QStringList kennungen;
    AEnum([&](const TZEP_MD_Template& ATemplate) { kennungen.append(ATemplate.Kennung()); });
    return kennungen;
}

QStringList Sorted(QStringList AList) {
    AList.sort();
    return AList;
}

class MDTemplates : public ::testing::Test {
protected:
    void Katalog(const QByteArray& AInhalt) {
        FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), AInhalt);
    }
    QString IniPath() const { return FHome.SettingsFolder() + QStringLiteral("/MD_Templates.ini"); }
    const TZEP_MD_Template& Vorlage(const char* AKennung) const {
        const TZEP_MD_Template* vorlage = nullptr;
        EXPECT_TRUE(FListe.Template_ByKennung(QString::fromLatin1(AKennung), vorlage)) << AKennung;
        return *vorlage;
    }
    TVKO_FehlerInfo LoadError() {
        try {
            FListe.LoadTemplates();
        } catch (const EVKO_Error&) {
            return VKOInfo().FehlerInfo(std::current_exception());
        }
        ADD_FAILURE() << "no error";
        return {};
    }

    TTempHome FHome;
    TFixedClock FUhr{2025, 1, 15};
    TZEP_MD_TemplateList FListe;
};

}  // namespace

TEST_F(MDTemplates, LoadReadsEveryKeyOfEveryListedTemplate) {
    Katalog(CKatalog);
    FListe.LoadTemplates();
    const TZEP_MD_Template& a = Vorlage("LISTE_A");
    EXPECT_EQ(a.Kennung(), QStringLiteral("LISTE_A"));
    EXPECT_EQ(a.AnzeigeName(), QStringLiteral("Monatsliste"));
    EXPECT_EQ(a.Description_Ext(), QStringLiteral("Liste über den Monat – alle Abteilungen"));
    EXPECT_EQ(a.TargetProgramFile(), QStringLiteral("PLON"));
    ASSERT_EQ(a.Count(), 5);
    EXPECT_EQ(a.Action(1), (TZEP_GA_SingleAction{TZEP_GA_ActionKind::WaitWindow,
                                                 QStringLiteral("PLON"), 0, 0, 15000}));
    EXPECT_EQ(a.Next_Templates(),
              (QStringList{QStringLiteral("LISTE_C"), QStringLiteral("liste_b"),
                           QStringLiteral("FEHLT"), QStringLiteral("LISTE_B")}));
    EXPECT_EQ(Vorlage("LISTE_B").Next_Templates(),
              (QStringList{QStringLiteral("LISTE_C"), QStringLiteral("LISTE_A")}));
    const TZEP_MD_Template& leer = Vorlage("LEER");
    EXPECT_EQ(leer.Count(), 0);
    EXPECT_TRUE(leer.AnzeigeName().isEmpty() && leer.TargetProgramFile().isEmpty() &&
                leer.Next_Templates().isEmpty());
}

TEST_F(MDTemplates, LookupIsExact) {
    Katalog(CKatalog);
    FListe.LoadTemplates();
    const TZEP_MD_Template* vorlage = &Vorlage("LISTE_B");
    EXPECT_FALSE(FListe.Template_ByKennung(QStringLiteral("liste_b"), vorlage));
    EXPECT_EQ(vorlage, nullptr);
    EXPECT_FALSE(FListe.Template_ByKennung(QStringLiteral("TOKENNAMES"), vorlage));
}

TEST_F(MDTemplates, EnumTemplatesFiltersByProgramOrByBeingInitial) {
    Katalog(CKatalog);
    FListe.LoadTemplates();
    const auto enumTemplates = [&](bool AInitialOnly, const char* AProgramm) {
        return Sorted(Kennungen([&](const TZEP_MD_Template_EnumCallback& ACallback) {
            FListe.Enum_Templates(ACallback, AInitialOnly, QString::fromLatin1(AProgramm));
        }));
    };
    EXPECT_EQ(enumTemplates(true, "plon"), QStringList{QStringLiteral("LISTE_A")});
    EXPECT_EQ(enumTemplates(false, "plon"), QStringList{QStringLiteral("LISTE_A")});
    EXPECT_EQ(enumTemplates(true, "PLON.EXE"), QStringList{QStringLiteral("START_EXE")});
    EXPECT_EQ(enumTemplates(true, "KUDRE"), QStringList());
    EXPECT_EQ(enumTemplates(true, ""),
              (QStringList{QStringLiteral("LISTE_A"), QStringLiteral("START_EXE")}));
    EXPECT_EQ(
        enumTemplates(false, ""),
        (QStringList{QStringLiteral("LEER"), QStringLiteral("LISTE_A"), QStringLiteral("LISTE_B"),
                     QStringLiteral("LISTE_C"), QStringLiteral("START_EXE")}));
}

TEST_F(MDTemplates, EnumFolgeTemplatesKeepsListOrderAndSkipsUnknownKeys) {
    Katalog(CKatalog);
    FListe.LoadTemplates();
    const auto folge = [&](const char* AKennung) {
        return Kennungen([&](const TZEP_MD_Template_EnumCallback& ACallback) {
            FListe.Enum_FolgeTemplates(ACallback, QString::fromLatin1(AKennung));
        });
    };
    EXPECT_EQ(folge("LISTE_A"),
              (QStringList{QStringLiteral("LISTE_C"), QStringLiteral("LISTE_B")}));
    EXPECT_EQ(folge("LISTE_B"),
              (QStringList{QStringLiteral("LISTE_C"), QStringLiteral("LISTE_A")}));
    EXPECT_EQ(folge("LISTE_C"), QStringList());
    EXPECT_EQ(folge("liste_a"), QStringList());
    EXPECT_EQ(folge("FEHLT"), QStringList());
}

TEST_F(MDTemplates, ExpandAppendsTheActionsWithTheirTokensReplaced) {
    Katalog(CKatalog);
    FListe.LoadTemplates();
    TZEP_MD_Tokenlist tokens;
    tokens.Static_TokenConversions_Set(
        {{QStringLiteral("#VON#"), QStringLiteral("#MONAT_NAECHSTER_ANFANG#")}});
    TZEP_GA_Sequence ziel;
    ziel.SetTargetProgramFile(QStringLiteral("KUDRE.EXE"));
    ziel.Append(TZEP_GA_SingleAction{TZEP_GA_ActionKind::Pause, {}, 0, 0, 1});

    ASSERT_TRUE(FListe.Expand_Template(QStringLiteral("LISTE_B"), ziel, tokens));
    ASSERT_TRUE(FListe.Expand_Template(QStringLiteral("LISTE_A"), ziel, tokens));
    QStringList texte;
    for (const TZEP_GA_SingleAction& action : ziel.Actions()) {
        texte.append(action.Text);
    }
    EXPECT_EQ(texte, (QStringList{{},
                                  QStringLiteral("01.02.2025"),
                                  QStringLiteral("Tab"),
                                  QStringLiteral("bis "),
                                  {},
                                  QStringLiteral("PLON"),
                                  QStringLiteral("01.02.2025"),
                                  QStringLiteral("Tab"),
                                  QStringLiteral("LISTE_B")}));
    EXPECT_EQ(ziel.Action(8).Kind, TZEP_GA_ActionKind::Template);
    EXPECT_EQ(ziel.TargetProgramFile(), QStringLiteral("KUDRE.EXE"));
    EXPECT_EQ(Vorlage("LISTE_B").Action(0).Text, QStringLiteral("#VON#"));
    EXPECT_EQ(Vorlage("LISTE_B").Action(2).Text, QStringLiteral("bis #BIS#"));
}

TEST_F(MDTemplates, ExpandOfAnUnknownKeyAnswersFalseAndAppendsNothing) {
    Katalog(CKatalog);
    FListe.LoadTemplates();
    const TZEP_MD_Tokenlist tokens;
    TZEP_GA_Sequence ziel;
    EXPECT_FALSE(FListe.Expand_Template(QStringLiteral("liste_a"), ziel, tokens));
    EXPECT_FALSE(FListe.Expand_Template(QString(), ziel, tokens));
    EXPECT_EQ(ziel.Count(), 0);
}

TEST_F(MDTemplates, AMissingCatalogueIsEmptyWithoutError) {
    FListe.LoadTemplates();
    const TZEP_MD_Tokenlist tokens;
    TZEP_GA_Sequence ziel;
    EXPECT_FALSE(FListe.Expand_Template(QStringLiteral("LISTE_A"), ziel, tokens));
    EXPECT_EQ(Kennungen([&](const TZEP_MD_Template_EnumCallback& ACallback) {
                  FListe.Enum_Templates(ACallback, false, {});
              }),
              QStringList());
}

TEST_F(MDTemplates, LoadingAgainReplacesTheCatalogue) {
    Katalog(CKatalog);
    FListe.LoadTemplates();
    Katalog("[TEMPLATES]\nNEU\n[NEU]\nNAME=Neu\n");
    FListe.LoadTemplates();
    const TZEP_MD_Template* vorlage = nullptr;
    EXPECT_FALSE(FListe.Template_ByKennung(QStringLiteral("LISTE_A"), vorlage));
    EXPECT_EQ(Vorlage("NEU").AnzeigeName(), QStringLiteral("Neu"));
}

TEST_F(MDTemplates, ATemplateListedTwiceStopsLoadingAndNamesFileAndTemplate) {
    Katalog(
        "[TEMPLATES]\nLISTE_A\nLISTE_B\n liste_a \nLISTE_C\n"
        "[LISTE_A]\nNAME=erste\n[LISTE_B]\nNAME=B\n[LISTE_C]\nNAME=C\n");
    const TVKO_FehlerInfo info = LoadError();
    EXPECT_TRUE(info.Text.contains(IniPath())) << info.Text.toStdString();
    EXPECT_TRUE(info.Text.contains(QStringLiteral("„LISTE_A“"))) << info.Text.toStdString();
    EXPECT_EQ(info.Chain, QStringList{QStringLiteral("TZEP_MD_TemplateList.LoadTemplates")});
    EXPECT_EQ(Vorlage("LISTE_A").AnzeigeName(), QStringLiteral("erste"));
    EXPECT_EQ(Vorlage("LISTE_B").AnzeigeName(), QStringLiteral("B"));
    const TZEP_MD_Template* vorlage = nullptr;
    EXPECT_FALSE(FListe.Template_ByKennung(QStringLiteral("LISTE_C"), vorlage));
}

TEST_F(MDTemplates, AnInvalidSequenceStopsLoadingAndNamesFileTemplateAndFault) {
    Katalog(
        "[TEMPLATES]\nLISTE_A\nKAPUTT\nLISTE_C\n"
        "[LISTE_A]\nSEQUENCE=KEYS \"Tab\"\n[kaputt]\nSEQUENCE=KEYS \"Tab\"; HUPEN\n"
        "[LISTE_C]\nSEQUENCE=START\n");
    const TVKO_FehlerInfo info = LoadError();
    EXPECT_TRUE(info.Text.contains(IniPath())) << info.Text.toStdString();
    EXPECT_TRUE(info.Text.contains(QStringLiteral("KAPUTT"))) << info.Text.toStdString();
    EXPECT_TRUE(info.Text.contains(QStringLiteral("SEQUENCE")));
    EXPECT_TRUE(info.Text.contains(QStringLiteral("an Stelle 13"))) << info.Text.toStdString();
    EXPECT_EQ(info.Chain, QStringList{QStringLiteral("TZEP_MD_TemplateList.LoadTemplates")});
    EXPECT_EQ(Vorlage("LISTE_A").Count(), 1);
    const TZEP_MD_Template* vorlage = nullptr;
    EXPECT_FALSE(FListe.Template_ByKennung(QStringLiteral("KAPUTT"), vorlage));
}

TEST_F(MDTemplates, AnUnreadableCatalogueIsAnErrorNamingTheFile) {
    ASSERT_TRUE(QDir().mkpath(IniPath()));
    const TVKO_FehlerInfo info = LoadError();
    EXPECT_TRUE(info.Text.contains(IniPath())) << info.Text.toStdString();
    EXPECT_EQ(info.Chain, (QStringList{QStringLiteral("TZEP_MD_IniFile.FromFile"),
                                       QStringLiteral("TZEP_MD_TemplateList.LoadTemplates")}));
}

TEST_F(MDTemplates, OnlyARegularFileOfAFewMegabytesIsReadAsCatalogue) {
    // A FIFO would hang the run; a link to /dev/zero would read until memory ran out.
    ASSERT_EQ(::mkfifo(QFile::encodeName(IniPath()).constData(), 0600), 0);
    EXPECT_TRUE(LoadError().Text.contains(QStringLiteral("keine gewöhnliche Datei")));
    ASSERT_TRUE(QFile::remove(IniPath()));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), IniPath()));
    EXPECT_TRUE(LoadError().Text.contains(QStringLiteral("symbolischer Verweis")));
    ASSERT_TRUE(QFile::remove(IniPath()));
    Katalog(QByteArray(4 * 1024 * 1024 + 1, ';'));
    const TVKO_FehlerInfo info = LoadError();
    EXPECT_TRUE(info.Text.contains(QStringLiteral("zu groß"))) << info.Text.toStdString();
    EXPECT_TRUE(info.Text.contains(IniPath())) << info.Text.toStdString();
}

TEST_F(MDTemplates, AFailingCallbackIsRegisteredUnderTheEnumeration) {
    Katalog(CKatalog);
    FListe.LoadTemplates();
    const auto wirft = [](const TZEP_MD_Template&) {
        throw EVKO_Error(QStringLiteral("Ansicht defekt"));
    };
    try {
        FListe.Enum_FolgeTemplates(wirft, QStringLiteral("LISTE_A"));
        ADD_FAILURE() << "no error";
    } catch (const EVKO_Error&) {
        EXPECT_EQ(VKOInfo().FehlerInfo(std::current_exception()).Chain,
                  QStringList{QStringLiteral("TZEP_MD_TemplateList.Enum_FolgeTemplates")});
    }
}

TEST(MDTemplate, ClearEmptiesActionsTextsAndFollowUps) {
    TTempHome home;
    home.WriteSetting(QStringLiteral("MD_Templates.ini"), CKatalog);
    TZEP_MD_TemplateList liste;
    liste.LoadTemplates();
    const TZEP_MD_Template* geladen = nullptr;
    ASSERT_TRUE(liste.Template_ByKennung(QStringLiteral("LISTE_A"), geladen));
    TZEP_MD_Template vorlage = *geladen;
    vorlage.Clear();
    EXPECT_EQ(vorlage.Count(), 0);
    EXPECT_TRUE(vorlage.Kennung().isEmpty() && vorlage.AnzeigeName().isEmpty() &&
                vorlage.Description_Ext().isEmpty() && vorlage.Next_Templates().isEmpty());
    EXPECT_EQ(geladen->Count(), 5);
}
