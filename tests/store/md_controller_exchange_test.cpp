#include <sys/stat.h>

#include <QFile>

#include "md_gui_controller.h"
#include "md_process_support.h"
#include "md_scripted_file_dialog.h"
#include "md_store_fixture.h"
#include "vko_info.h"

namespace {

class ControllerExchangeTest : public TStoreTest {
protected:
    std::unique_ptr<TZEP_MD_GUI_Controller_Impl> NewController() {
        auto controller = std::make_unique<TZEP_MD_GUI_Controller_Impl>(NewPlayer(), QStringList{});
        controller->SetFileDialog(std::make_unique<TScriptedFileDialog>(FDateien));
        controller->Enum_Mandorele([](TZEP_MD_Mandorel&) {});
        return controller;
    }

    // The error "Buchen" raises; fails the test when it stores.
    EVKO_Error CommitRefused(TZEP_MD_GUI_Controller_Impl& AController) {
        try {
            AController.ReportChanges_Commit();
        } catch (const EVKO_Error& fehler) {
            VKOInfo().ResetErrorSpezNoWrite();
            return fehler;
        }
        ADD_FAILURE() << "Buchen stored the Mandorel";
        return EVKO_Error(QString());
    }

    // The stored Mandorele as name and description, read by a store of its own.
    QStringList Stored() {
        auto store = NewProcessor();
        store->Load_Reports();
        QStringList stored;
        store->Enum_Mandorele([&stored](TZEP_MD_Mandorel& AMandorel) {
            stored.append(AMandorel.Name_Anzeige() + QLatin1Char('/') +
                          AMandorel.Auswertungs_Beschreibung());
        });
        return stored;
    }

    TScriptedPresenterScope FPresenter;
    std::shared_ptr<TScriptedFileDialog::TShared> FDateien =
        std::make_shared<TScriptedFileDialog::TShared>();
};

}  // namespace

TEST_F(ControllerExchangeTest, BuchenRefusesAProgramThatIsNotInTheDirectoryAndKeepsTheCreate) {
    auto controller = NewController();
    controller->CreateNewReport_Start();
    controller->SelectedReport_SetName(QStringLiteral("Fremd"));
    controller->SelectedReport_SetProgramm(QStringLiteral("QUER"));
    controller->Selected_Mandorel()->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});
    const EVKO_Error fehler = CommitRefused(*controller);
    EXPECT_EQ(fehler.Koord(), MD_Koord(1041));
    EXPECT_TRUE(fehler.Text().contains(QStringLiteral("„QUER“"))) << fehler.Text().toStdString();
    EXPECT_TRUE(fehler.Text().contains(QStringLiteral("Fremd")));
    EXPECT_TRUE(controller->SelectedReport_IsNew());
    EXPECT_TRUE(Stored().isEmpty());

    // A program of the directory then books.
    controller->SelectedReport_SetProgramm(QStringLiteral("KUDRE"));
    controller->Selected_Mandorel()->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});
    controller->ReportChanges_Commit();
    EXPECT_EQ(Stored(), QStringList{QStringLiteral("Fremd/")});
}

TEST_F(ControllerExchangeTest, BuchenRefusesValuesBeyondTheirBoundsAndKeepsTheStoredVersion) {
    // Which bound is the import's test; here only that "Buchen" asks them of an edit.
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    controller->EditSelectedReport_Start();
    controller->Selected_Mandorel()->SetAuswertungs_Beschreibung(QStringLiteral("neu"));
    controller->Selected_Mandorel()->TokenValues().insert(QStringLiteral("#BIS#"),
                                                          QString(301, QLatin1Char('b')));
    const EVKO_Error fehler = CommitRefused(*controller);
    EXPECT_EQ(fehler.Koord(), MD_Koord(1047)) << fehler.Text().toStdString();
    EXPECT_TRUE(fehler.Text().contains(QStringLiteral("„Monatsliste“")));
    EXPECT_EQ(Stored(), QStringList{QStringLiteral("Monatsliste/")});

    controller->Selected_Mandorel()->TokenValues().insert(QStringLiteral("#BIS#"),
                                                          QString(300, QLatin1Char('b')));
    controller->ReportChanges_Commit();
    EXPECT_EQ(Stored(), QStringList{QStringLiteral("Monatsliste/neu")});
}

TEST_F(ControllerExchangeTest, AnExportIsTheOwnersAloneAndMaskedValuesLeaveOnlyAfterAYes) {
    auto mandorel = Mandorel(QStringLiteral("Monatsliste"));
    Store(std::move(mandorel));
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    const QString ohne = FHome.Path() + QStringLiteral("/ohne.mdex");
    const mode_t vorher = ::umask(022);
    FDateien->Dateien = {ohne};
    controller->ExportSelectedReport();
    ::umask(vorher);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(ohne).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_TRUE(FPresenter->Meldungen.isEmpty());

    // With a password the user is asked first; No writes nothing.
    controller->EditSelectedReport_Start();
    controller->Selected_Mandorel()->TokenValues().insert(QStringLiteral("#KENNWORT#"),
                                                          QStringLiteral("Geh31m"));
    const QString mit = FHome.Path() + QStringLiteral("/mit.mdex");
    FDateien->Dateien = {mit};
    FPresenter->Answers = {CVKO_Antwort_Nein};
    controller->ExportSelectedReport();
    ASSERT_EQ(FPresenter->Meldungen.size(), 1);
    EXPECT_EQ(FPresenter->Meldungen[0].Koord, MD_Koord(1049));
    EXPECT_EQ(FPresenter->Meldungen[0].Buttons, CVKO_Buttons_JaNein);
    EXPECT_TRUE(FPresenter->Meldungen[0].Text.contains(QStringLiteral("Monatsliste")));
    EXPECT_FALSE(QFile::exists(mit));

    FDateien->Dateien = {mit};
    FPresenter->Answers = {CVKO_Antwort_Ja};
    controller->ExportSelectedReport();
    EXPECT_TRUE(FileBytes(mit).contains("Geh31m"));
    ASSERT_EQ(::stat(QFile::encodeName(mit).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}
