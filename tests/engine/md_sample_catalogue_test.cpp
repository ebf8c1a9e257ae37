#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include "md_process_support.h"
#include "md_templates.h"
#include "md_test_support.h"
#include "md_tokenlist.h"

namespace {

QByteArray Sample() {
    QFile file(QStringLiteral(MD_SAMPLE_SETTINGS_DIR "/MD_Templates.ini"));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "sample catalogue missing";
        return {};
    }
    return file.readAll();
}

QStringList Kennungen(const TZEP_MD_TemplateList& AListe, bool AInitialOnly,
                      const QString& AProgramm = {}) {
    QStringList kennungen;
    AListe.Enum_Templates(
        [&](const TZEP_MD_Template& ATemplate) { kennungen.append(ATemplate.Kennung()); },
        AInitialOnly, AProgramm);
    kennungen.sort();
    return kennungen;
}

class MDSampleCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), Sample());
        FListe.LoadTemplates();
    }

    TTempHome FHome;
    TFixedClock FUhr{2025, 1, 15};
    TZEP_MD_TemplateList FListe;
};

}  // namespace

TEST_F(MDSampleCatalogue, HoldsExactlyTheTemplatesOfBothSamplePrograms) {
    EXPECT_TRUE(Sample().startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(Kennungen(FListe, false),
              (QStringList{QStringLiteral("KUDRE_ANMELDUNG"), QStringLiteral("KUDRE_GRUPPE"),
                           QStringLiteral("KUDRE_LISTE"), QStringLiteral("KUDRE_START"),
                           QStringLiteral("KUDRE_STICHTAG"), QStringLiteral("PLON_ABTEILUNG"),
                           QStringLiteral("PLON_BERICHT"), QStringLiteral("PLON_MANDANT"),
                           QStringLiteral("PLON_START"), QStringLiteral("PLON_SUMMEN"),
                           QStringLiteral("PLON_VERSAND"), QStringLiteral("PLON_ZEITRAUM")}));
    EXPECT_EQ(Kennungen(FListe, true, QStringLiteral("plon")),
              QStringList{QStringLiteral("PLON_START")});
    EXPECT_EQ(Kennungen(FListe, true, QStringLiteral("KUDRE")),
              QStringList{QStringLiteral("KUDRE_START")});
    EXPECT_EQ(Kennungen(FListe, true).size(), 2);
}

TEST_F(MDSampleCatalogue, EveryTemplateHasNameDescriptionAndKnownFollowUps) {
    FListe.Enum_Templates(
        [&](const TZEP_MD_Template& ATemplate) {
            const std::string kennung = ATemplate.Kennung().toStdString();
            EXPECT_FALSE(ATemplate.AnzeigeName().isEmpty()) << kennung;
            EXPECT_GT(ATemplate.Description_Ext().size(), 30) << kennung;
            EXPECT_GT(ATemplate.Count(), 0) << kennung;
            for (const QString& folge : ATemplate.Next_Templates()) {
                const TZEP_MD_Template* vorlage = nullptr;
                EXPECT_TRUE(FListe.Template_ByKennung(folge, vorlage))
                    << kennung << " -> " << folge.toStdString();
            }
        },
        false, {});
}

TEST_F(MDSampleCatalogue, StartTemplatesWaitForTheExactWindowTitles) {
    const TZEP_MD_Template* plon = nullptr;
    const TZEP_MD_Template* kudre = nullptr;
    ASSERT_TRUE(FListe.Template_ByKennung(QStringLiteral("PLON_START"), plon));
    ASSERT_TRUE(FListe.Template_ByKennung(QStringLiteral("KUDRE_START"), kudre));
    EXPECT_EQ(plon->Action(1),
              (TZEP_GA_SingleAction{TZEP_GA_ActionKind::WaitWindow,
                                    QStringLiteral("PLON – Personaleinsatzplanung"), 0, 0, 20000}));
    EXPECT_EQ(kudre->Action(1).Text, QStringLiteral("KUDRE – Kundenregister"));
    EXPECT_EQ(plon->Action(0).Kind, TZEP_GA_ActionKind::StartProgram);
}

TEST_F(MDSampleCatalogue, EveryTokenHasADisplayNameAndOnlyTheKennwortIsMasked) {
    const TZEP_MD_Tokenlist tokens;
    const QRegularExpression token(QStringLiteral("#[A-Z_]+#"));
    QSet<QString> benutzt;
    FListe.Enum_Templates(
        [&](const TZEP_MD_Template& ATemplate) {
            for (const TZEP_GA_SingleAction& action : ATemplate.Actions()) {
                for (const auto& match : token.globalMatch(action.Text)) {
                    benutzt.insert(match.captured());
                }
            }
        },
        false, {});
    EXPECT_EQ(benutzt.size(), 9);
    for (const QString& kennung : benutzt) {
        const auto data = tokens.AnzeigeData_4_Kennung(kennung);
        EXPECT_NE(data.AnzeigeName, kennung) << kennung.toStdString();
        EXPECT_EQ(data.AnzeigeMaskiert, kennung == QStringLiteral("#KENNWORT#"))
            << kennung.toStdString();
    }
}

TEST_F(MDSampleCatalogue, EveryTemplateExpandsWithoutATokenLeft) {
    TZEP_MD_Tokenlist tokens;
    tokens.Static_TokenConversions_Set(
        {{QStringLiteral("#VON#"), QStringLiteral("#VORMONAT_ANFANG#")},
         {QStringLiteral("#BIS#"), QStringLiteral("#VORMONAT_ENDE#")},
         {QStringLiteral("#ABTEILUNG#"), QStringLiteral("Lager")},
         {QStringLiteral("#STICHTAG#"), QStringLiteral("#HEUTE#")},
         {QStringLiteral("#KENNWORT#"), QStringLiteral("geheim")}});
    QStringList kennungen = Kennungen(FListe, false);
    TZEP_GA_Sequence ziel;
    int erwartet = 0;
    for (const QString& kennung : kennungen) {
        const TZEP_MD_Template* vorlage = nullptr;
        ASSERT_TRUE(FListe.Template_ByKennung(kennung, vorlage));
        erwartet += static_cast<int>(vorlage->Count());
        ASSERT_TRUE(FListe.Expand_Template(kennung, ziel, tokens)) << kennung.toStdString();
    }
    EXPECT_EQ(ziel.Count(), erwartet);
    QStringList texte;
    for (const TZEP_GA_SingleAction& action : ziel.Actions()) {
        EXPECT_FALSE(action.Text.contains(QLatin1Char('#'))) << action.Text.toStdString();
        texte.append(action.Text);
    }
    EXPECT_TRUE(texte.contains(QStringLiteral("01.12.2024")));
    EXPECT_TRUE(texte.contains(QStringLiteral("31.12.2024")));
    EXPECT_TRUE(texte.contains(QStringLiteral("15.01.2025")));
    EXPECT_TRUE(texte.contains(QStringLiteral("geheim")));
}

TEST(MDSampleInstall, IsCopiedForANewUserAndNeverReplacesAnExistingFile) {
    TTempHome home;
    const auto install = [&] {
        const TProcessResult result = RunProcess(
            QStringLiteral("bash"), {QStringLiteral(MD_SCRIPTS_DIR "/install-samples.sh")},
            MD_TestEnvironment(home), 30000);
        EXPECT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    };
    const QString installiert = home.SettingsFolder() + QStringLiteral("/MD_Templates.ini");
    install();
    QFile kopie(installiert);
    ASSERT_TRUE(kopie.open(QIODevice::ReadOnly));
    EXPECT_EQ(kopie.readAll(), Sample());
    kopie.close();

    home.WriteSetting(QStringLiteral("MD_Templates.ini"), "[TEMPLATES]\nEIGENE\n");
    install();
    ASSERT_TRUE(kopie.open(QIODevice::ReadOnly));
    EXPECT_EQ(kopie.readAll(), QByteArray("[TEMPLATES]\nEIGENE\n"));
}
