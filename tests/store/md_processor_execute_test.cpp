#include <sys/prctl.h>

#include "md_store_fixture.h"
#include "vko_info.h"

class ExecuteTest : public TStoreTest {};

TEST_F(ExecuteTest, StepsExpandInOrderWithTheTokenValuesOfThisRun) {
    auto processor = NewProcessor();
    auto mandorel = Mandorel(QStringLiteral("Monatsliste"),
                             {QStringLiteral("PLON_START"), QStringLiteral("PLON_ZEITRAUM")});
    mandorel->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::TypeText, QStringLiteral("#BIS#")});
    mandorel->TokenValues().insert(QStringLiteral("#BIS#"), QStringLiteral("31.12.2025"));

    EXPECT_TRUE(processor->Execute_Mandorel(*mandorel));
    ASSERT_EQ(FPlayed->Played.size(), 1u);
    const TZEP_GA_Sequence& played = FPlayed->Played[0];
    EXPECT_EQ(played.TargetProgramFile(), QStringLiteral("PLON.EXE"));
    EXPECT_EQ(played.ToText(),
              QStringLiteral("START; WAIT \"PLON\" ms=5000; KEYS \"alt+v\"; TYPE \"01.02.2025\"; "
                             "KEYS \"alt+i\"; TYPE \"31.12.2025\"; TYPE \"31.12.2025\""));
    // The stored definition keeps its tokens.
    EXPECT_EQ(mandorel->Sequence().Action(2).Text, QStringLiteral("#BIS#"));
    EXPECT_EQ(mandorel->Sequence().Count(), 3);
}

TEST_F(ExecuteTest, TwoRunsOnDifferentDaysComputeDifferentDates) {
    auto processor = NewProcessor();
    auto mandorel = Mandorel(QStringLiteral("Monatsliste"), {QStringLiteral("PLON_ZEITRAUM")});
    EXPECT_TRUE(processor->Execute_Mandorel(*mandorel));
    FClock.Set(QDateTime(QDate(2025, 11, 30), QTime(6, 0)));
    EXPECT_TRUE(processor->Execute_Mandorel(*mandorel));
    ASSERT_EQ(FPlayed->Played.size(), 2u);
    EXPECT_EQ(FPlayed->Played[0].Action(1).Text, QStringLiteral("01.02.2025"));
    EXPECT_EQ(FPlayed->Played[1].Action(1).Text, QStringLiteral("01.12.2025"));
}

TEST_F(ExecuteTest, ValuesOfAnEarlierRunDoNotLeakIntoTheNext) {
    auto processor = NewProcessor();
    auto first = Mandorel(QStringLiteral("Erste"), {QStringLiteral("PLON_ZEITRAUM")});
    first->TokenValues().insert(QStringLiteral("#BIS#"), QStringLiteral("31.01.2025"));
    auto second = Mandorel(QStringLiteral("Zweite"), {QStringLiteral("PLON_ZEITRAUM")});
    EXPECT_TRUE(processor->Execute_Mandorel(*first));
    EXPECT_TRUE(processor->Execute_Mandorel(*second));
    EXPECT_EQ(FPlayed->Played[0].Action(3).Text, QStringLiteral("31.01.2025"));
    // Listed in TOKENNAMES without a value: it becomes empty.
    EXPECT_EQ(FPlayed->Played[1].Action(3).Text, QString());
}

TEST_F(ExecuteTest, AMandorelWithoutStepsPlaysAnEmptySequence) {
    auto processor = NewProcessor();
    EXPECT_TRUE(processor->Execute_Mandorel(*Mandorel(QStringLiteral("Leer"), {})));
    ASSERT_EQ(FPlayed->Played.size(), 1u);
    EXPECT_EQ(FPlayed->Played[0].Count(), 0);
}

TEST_F(ExecuteTest, AMissingTemplatePlaysNothingAtAll) {
    auto processor = NewProcessor();
    auto mandorel = Mandorel(QStringLiteral("Monatsliste"),
                             {QStringLiteral("PLON_START"), QStringLiteral("GIBT_ES_NICHT")});
    EXPECT_FALSE(processor->Execute_Mandorel(*mandorel));
    EXPECT_TRUE(FPlayed->Played.empty());
    EXPECT_EQ(processor->Fehlende_Vorlage(), QStringLiteral("GIBT_ES_NICHT"));
}

TEST_F(ExecuteTest, APlayerErrorIsRegisteredAndPassedOn) {
    auto processor = NewProcessor();
    FPlayed->FailWith = QStringLiteral("Fenster verschwunden");
    try {
        EXPECT_TRUE(processor->Execute_Mandorel(*Mandorel(QStringLiteral("Monatsliste"))));
        ADD_FAILURE() << "no error";
    } catch (const EVKO_Error& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("Fenster verschwunden"));
        EXPECT_EQ(VKOInfo().FehlerInfo(std::current_exception()).Chain,
                  QStringList{QStringLiteral("TZEP_MD_Processor.Execute_Mandorel")});
    }
}

TEST_F(ExecuteTest, ByNameRunsTheStoredMandorelOrAnswersFalse) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    EXPECT_FALSE(
        processor->Execute_Mandorel(QStringLiteral("Jahresliste"), QStringLiteral("PLON")));
    EXPECT_TRUE(processor->Execute_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("plon")));
    EXPECT_EQ(FPlayed->Played.size(), 1u);
}

TEST_F(ExecuteTest, AMaskedValueNeverReachesTheLogOrTheShownError) {
    auto processor = NewProcessor();
    auto mandorel = Mandorel(QStringLiteral("Geheim"), {QStringLiteral("PLON_ANMELDUNG")});
    mandorel->TokenValues().insert(QStringLiteral("#KENNWORT#"), QStringLiteral("Sesam-4711"));
    FPlayed->FailWith = QStringLiteral("Tippen von Sesam-4711 gescheitert");
    try {
        EXPECT_TRUE(processor->Execute_Mandorel(*mandorel));
    } catch (...) {
        const TVKO_FehlerInfo info = VKOInfo().FehlerInfo(std::current_exception());
        EXPECT_FALSE(info.Text.contains(QStringLiteral("Sesam-4711")));
        VKOInfo().ShowFehler(info);
    }
    EXPECT_FALSE(FHome.ReadLog().contains(QStringLiteral("Sesam-4711")));
    // Nor a core dump: the process that ran holds the values in its memory.
    EXPECT_EQ(::prctl(PR_GET_DUMPABLE), 0);
    VKOInfo().ClearSecrets();
}

TEST_F(ExecuteTest, AnExpansionBeyondItsBoundPlaysNothingAndNamesTheMandorel) {
    const QByteArray sequence = "TYPE \"#VON#\"" + QByteArray("; TYPE \"#VON#\"").repeated(1999);
    FHome.WriteSetting(
        QStringLiteral("MD_Templates.ini"),
        QByteArray(CTestCatalogue) + "[GROSS]\nSEQUENCE=" + sequence + "\n[TEMPLATES]\nGROSS\n");
    auto processor = NewProcessor();
    // 51 steps of 2,000 actions each are more than 100,000 actions.
    auto mandorel = Mandorel(QStringLiteral("Riesig"), QStringList(51, QStringLiteral("GROSS")));
    try {
        EXPECT_FALSE(processor->Execute_Mandorel(*mandorel));
        ADD_FAILURE() << "the run was played";
    } catch (const EVKO_Error& error) {
        EXPECT_TRUE(error.Text().contains(QStringLiteral("„Riesig“ für das Programm PLON")))
            << error.Text().toStdString();
    }
    EXPECT_TRUE(FPlayed->Played.empty());

    // Few actions with a long value reach the bound of characters just the same.
    auto wide = Mandorel(QStringLiteral("Breit"), QStringList(5, QStringLiteral("GROSS")));
    wide->TokenValues().insert(QStringLiteral("#VON#"), QString(2000, QLatin1Char('x')));
    EXPECT_THROW(static_cast<void>(processor->Execute_Mandorel(*wide)), EVKO_Error);
    EXPECT_TRUE(FPlayed->Played.empty());

    EXPECT_TRUE(processor->Execute_Mandorel(
        *Mandorel(QStringLiteral("Passt"), QStringList(50, QStringLiteral("GROSS")))));
    ASSERT_EQ(FPlayed->Played.size(), 1u);
    EXPECT_EQ(FPlayed->Played[0].Count(), 100000);
}

// The dates of 15.01.2025 worked out by hand.
TEST_F(ExecuteTest, PreviewRunAndHistoryComputeThePlaceholdersInsideAValueAlike) {
    auto processor = NewProcessor();
    auto mandorel = Mandorel(QStringLiteral("Bericht"), {});
    mandorel->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::TypeText, QStringLiteral("#BIS#")});
    mandorel->TokenValues().insert(QStringLiteral("#BIS#"),
                                   QStringLiteral("Bericht_#VORMONAT_ENDE#_#UNBEKANNT#.txt"));
    const QString getippt = QStringLiteral("Bericht_31.12.2024_#UNBEKANNT#.txt");

    TZEP_GA_Sequence vorschau;
    ASSERT_TRUE(processor->Preview_Mandorel(*mandorel, QDateTime(QDate(2025, 1, 15), QTime(6, 0)),
                                            vorschau));
    ASSERT_TRUE(processor->Execute_Mandorel(*mandorel));
    ASSERT_EQ(FPlayed->Played.size(), 1u);
    EXPECT_EQ(FPlayed->Played[0].ToText(), QStringLiteral("TYPE \"%1\"").arg(getippt));
    EXPECT_EQ(vorschau.ToText(), FPlayed->Played[0].ToText());
    EXPECT_TRUE(
        processor->Token_Werte_Lauf(*mandorel).contains({QStringLiteral("#BIS#"), getippt}));
}
