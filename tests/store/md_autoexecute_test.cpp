#include "md_gui_controller.h"
#include "md_recording_progress.h"
#include "md_store_fixture.h"
#include "vko_info.h"

namespace {

QStringList Arguments(std::initializer_list<const char*> AArguments) {
    QStringList arguments;
    for (const char* argument : AArguments) {
        arguments.append(QString::fromUtf8(argument));
    }
    return arguments;
}

}  // namespace

class AutoExecuteTest : public TStoreTest {
protected:
    std::unique_ptr<TZEP_MD_GUI_Controller_Impl> Controller(const QStringList& AArguments) {
        return std::make_unique<TZEP_MD_GUI_Controller_Impl>(
            NewPlayer(), AArguments, std::make_unique<TRecordingProgress>(FProgress));
    }

    std::shared_ptr<TRecordingProgress::TShared> FProgress =
        std::make_shared<TRecordingProgress::TShared>();
};

TEST_F(AutoExecuteTest, OnlyTheRunSwitchAsksForAnUnattendedRun) {
    EXPECT_TRUE(Controller(Arguments({"-run"}))->Mandorel_AutoExecute_Neccessary());
    EXPECT_TRUE(Controller(Arguments({"/RUN"}))->Mandorel_AutoExecute_Neccessary());
    EXPECT_FALSE(Controller(Arguments({"-RUNX"}))->Mandorel_AutoExecute_Neccessary());
    EXPECT_FALSE(
        Controller(Arguments({"-PROG:PLON", "-REPORT:X"}))->Mandorel_AutoExecute_Neccessary());
}

TEST_F(AutoExecuteTest, AFoundMandorelIsPlayedBehindTheProgressWindow) {
    Store(Mandorel(QStringLiteral("Monatsliste"), {QStringLiteral("PLON_ZEITRAUM")}));
    auto controller = Controller(Arguments({"-run", "-prog:plon", "-report:Monatsliste"}));
    controller->Mandorel_AutoExecute();
    EXPECT_EQ(controller->AutoExecuteErgebnis(), TZEP_MD_AutoExecuteErgebnis::Gespielt);
    EXPECT_TRUE(controller->TerminationRequested());
    EXPECT_EQ(FProgress->Shown, 1);
    EXPECT_EQ(FProgress->Programm, QStringLiteral("plon"));
    EXPECT_FALSE(FProgress->Visible);
    ASSERT_EQ(FPlayed->Played.size(), 1u);
    EXPECT_EQ(FPlayed->Played[0].Action(1).Text, QStringLiteral("01.02.2025"));
}

TEST_F(AutoExecuteTest, NotFoundWritesTheLogLineWithTheValuesAsRead) {
    auto controller = Controller(Arguments({"-RUN"}));
    controller->Mandorel_AutoExecute();
    EXPECT_EQ(controller->AutoExecuteErgebnis(), TZEP_MD_AutoExecuteErgebnis::NichtGefunden);
    EXPECT_TRUE(controller->TerminationRequested());
    EXPECT_TRUE(
        FHome.ReadLog().contains(QStringLiteral(" Could not find Mandorel  for Program \n")));

    Controller(Arguments({"-RUN", "-PROG", "PLON", "-REPORT:Jahresliste"}))->Mandorel_AutoExecute();
    EXPECT_TRUE(FHome.ReadLog().contains(
        QStringLiteral("Could not find Mandorel Jahresliste for Program \n")));
    EXPECT_TRUE(FPlayed->Played.empty());
}

TEST_F(AutoExecuteTest, AFailingRunHidesTheWindowEndsAndPassesTheErrorOn) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    FPlayed->FailWith = QStringLiteral("Das Fenster „PLON“ erschien nicht innerhalb von 5 s.");
    auto controller = Controller(Arguments({"-RUN", "-PROG:PLON", "-REPORT:MONATSLISTE"}));
    try {
        controller->Mandorel_AutoExecute();
        ADD_FAILURE() << "the failure was swallowed";
    } catch (const EVKO_Error&) {
        const QStringList chain = VKOInfo().FehlerInfo(std::current_exception()).Chain;
        EXPECT_EQ(chain.constFirst(), QStringLiteral("TZEP_MD_Processor.Execute_Mandorel"));
        EXPECT_EQ(chain.constLast(),
                  QStringLiteral("TZEP_MD_GUI_Controller_Impl.Mandorel_AutoExecute"));
    }
    EXPECT_EQ(controller->AutoExecuteErgebnis(), TZEP_MD_AutoExecuteErgebnis::Fehlgeschlagen);
    EXPECT_TRUE(controller->TerminationRequested());
    EXPECT_FALSE(FProgress->Visible);
    EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("ist fehlgeschlagen: Das Fenster")));
}

TEST_F(AutoExecuteTest, AStepWithAMissingTemplateFailsTheRunLoudly) {
    Store(Mandorel(QStringLiteral("Monatsliste"), {QStringLiteral("VERSCHWUNDEN")}));
    auto controller = Controller(Arguments({"-RUN", "-PROG:PLON", "-REPORT:MONATSLISTE"}));
    try {
        controller->Mandorel_AutoExecute();
        ADD_FAILURE() << "a run that played nothing counted as success";
    } catch (const EVKO_Error& error) {
        EXPECT_TRUE(error.Text().contains(QStringLiteral("VERSCHWUNDEN")));
    }
    EXPECT_EQ(controller->AutoExecuteErgebnis(), TZEP_MD_AutoExecuteErgebnis::Fehlgeschlagen);
    EXPECT_TRUE(FPlayed->Played.empty());
}
