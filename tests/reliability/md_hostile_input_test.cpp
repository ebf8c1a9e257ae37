// Hostile input through every door a file comes in by. Each case shows what must not happen
// (nothing stored, nothing outside the folders touched) and that a message or log line names
// the cause.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <memory>
#include <optional>

#include "md_gui_controller.h"
#include "md_mandorel.h"
#include "md_process_support.h"
#include "md_processor.h"
#include "md_scripted_file_dialog.h"
#include "md_test_support.h"
#include "md_versioned_mandorel.h"
#include "vko_database.h"
#include "vko_info.h"
#include "vko_statement.h"
#include "zep_run_history.h"

namespace {

// Every file below AFolder with its content but the log, so that a case can show nothing else
// changed.
QMap<QString, QByteArray> Dateien(const QString& AFolder) {
    QMap<QString, QByteArray> dateien;
    const QString log = QFileInfo(VKOInfo().LogFilePath()).absoluteFilePath();
    QDirIterator it(AFolder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QFileInfo(path).absoluteFilePath() == log) {
            continue;
        }
        QFile datei(path);
        dateien.insert(path, datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray());
    }
    return dateien;
}

unsigned Mode(const QString& APath) {
    struct stat status {};
    EXPECT_EQ(::lstat(QFile::encodeName(APath).constData(), &status), 0) << APath.toStdString();
    return status.st_mode & 07777;
}

// ---------------------------------------------------------------------------------------------
// Door: import. An .mdex written by someone else, imported into a new Mandorel.

class HostileImportTest : public ::testing::Test {
protected:
    HostileImportTest() {
        FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), QByteArray(CMD_VersionCatalogue));
        FHome.WriteSetting(QStringLiteral("MD_Programme.ini"),
                           "[PLON.EXE]\nNAME=Personaleinsatzplanung\nCOMMAND=/bin/true\n");
        auto bestand =
            TZEP_MD_Mandorel::CreateNew(QStringLiteral("Bestand"), QStringLiteral("PLON"));
        MD_SetVersion(*bestand, 3);
        TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
        store.Load_Reports();
        EXPECT_TRUE(store.Add_Mandorel(bestand, nullptr));
        store.Save_Reports();
        FController = std::make_unique<TZEP_MD_GUI_Controller_Impl>(
            std::make_unique<TRecordingPlayer>(FPlayed), QStringList{});
        FController->SetFileDialog(std::make_unique<TScriptedFileDialog>(FDateien));
        FController->Enum_Mandorele([](TZEP_MD_Mandorel&) {});
    }

    // A file as an export of AMandorel would be.
    QString Datei(const QString& AName, const TZEP_MD_Mandorel& AMandorel) const {
        QFile datei(FHome.Path() + QLatin1Char('/') + AName);
        EXPECT_TRUE(datei.open(QIODevice::WriteOnly));
        AMandorel.SaveToStream(datei);
        return datei.fileName();
    }

    static std::unique_ptr<TZEP_MD_Mandorel> Mandorel(const QString& AProgramm) {
        auto mandorel = TZEP_MD_Mandorel::CreateNew(QStringLiteral("Harmlos"), AProgramm);
        MD_SetVersion(*mandorel, 5);
        // Only template steps: the literal ones of a versioned Mandorel are a case of their own.
        TZEP_GA_Sequence& steps = mandorel->Sequence();
        steps.Clear();
        steps.Append(
            TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});
        return mandorel;
    }

    // Imports into a new Mandorel; the error the window would show, or none.
    std::optional<EVKO_Error> Import(const QString& ADatei) {
        FController->CreateNewReport_Start();
        FDateien->Dateien = {ADatei};
        try {
            FController->ImportSelectedReport();
        } catch (const EVKO_Error& fehler) {
            VKOInfo().ResetErrorSpezNoWrite();
            return fehler;
        }
        return std::nullopt;
    }

    // Refused with AMeldung naming every text of ANennt; the new Mandorel took nothing of the
    // file, and the store holds what it held.
    void ExpectRefused(const QString& ADatei, int AMeldung, const QStringList& ANennt) {
        const auto vorher = Dateien(FHome.Path());
        const std::optional<EVKO_Error> fehler = Import(ADatei);
        ASSERT_TRUE(fehler.has_value()) << ADatei.toStdString();
        EXPECT_EQ(fehler->Koord(), MD_Koord(AMeldung)) << fehler->Text().toStdString();
        for (const QString& text : ANennt) {
            EXPECT_TRUE(fehler->Text().contains(text))
                << fehler->Text().toStdString() << " lacks " << text.toStdString();
        }
        const TZEP_MD_Mandorel* neu = FController->Selected_Mandorel();
        ASSERT_NE(neu, nullptr);
        EXPECT_TRUE(neu->Programm().isEmpty());
        EXPECT_TRUE(neu->Name_Anzeige().isEmpty());
        EXPECT_TRUE(neu->Sequence().Actions().isEmpty());
        EXPECT_TRUE(neu->TokenValues().isEmpty());
        FController->ReportChanges_Abort();
        QStringList gespeichert;
        FController->Enum_Mandorele([&gespeichert](TZEP_MD_Mandorel& AMandorel) {
            gespeichert.append(AMandorel.Name_Anzeige());
        });
        EXPECT_EQ(gespeichert, QStringList{QStringLiteral("Bestand")});
        EXPECT_EQ(Dateien(FHome.Path()), vorher);
    }

    TTempHome FHome;
    TScriptedPresenterScope FPresenter;
    std::shared_ptr<TRecordingPlayer::TShared> FPlayed =
        std::make_shared<TRecordingPlayer::TShared>();
    std::shared_ptr<TScriptedFileDialog::TShared> FDateien =
        std::make_shared<TScriptedFileDialog::TShared>();
    std::unique_ptr<TZEP_MD_GUI_Controller_Impl> FController;
};

TEST_F(HostileImportTest, AProgramCodeThatIsNoWordOfTheDirectoryIsRefusedNamingFileAndCode) {
    const QStringList codes = {
        QStringLiteral("PLON -platformpluginpath /tmp/x -platform evil -REPORT:OPFER"),
        QStringLiteral("PLON -REPORT:OPFER"),
        QStringLiteral("KUDRE"),
        QStringLiteral("PLON.EXE"),
        QStringLiteral("/opt/suite/PLON"),
        QStringLiteral(" PLON"),
    };
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QString datei = Datei(QStringLiteral("code%1.mdex").arg(i), *Mandorel(codes[i]));
        ExpectRefused(datei, 1040, {QDir::toNativeSeparators(datei), codes[i].left(20)});
    }
    // A control character cannot end the message's line either.
    const QString nul = Datei(QStringLiteral("nul.mdex"),
                              *Mandorel(QStringLiteral("PLON") + QChar(0) + QStringLiteral("X")));
    ExpectRefused(nul, 1040, {QStringLiteral("PLON?X")});

    // The directory's own code, in any case, is taken.
    for (const QString& code : {QStringLiteral("PLON"), QStringLiteral("plon")}) {
        EXPECT_FALSE(Import(Datei(QStringLiteral("gut.mdex"), *Mandorel(code))).has_value());
        EXPECT_EQ(FController->Selected_Mandorel()->Programm(), code);
        FController->ReportChanges_Abort();
    }
}

TEST_F(HostileImportTest, AStepThatIsNoTemplateIsRefusedNamingFileAndStep) {
    const QList<TZEP_GA_SingleAction> fremd = {
        {TZEP_GA_ActionKind::StartProgram, QStringLiteral("-platformpluginpath /tmp/x")},
        {TZEP_GA_ActionKind::TypeText, QStringLiteral("rm -rf ~\n")},
        {TZEP_GA_ActionKind::PressKeys, QStringLiteral("alt+F4")},
    };
    for (qsizetype i = 0; i < fremd.size(); ++i) {
        auto mandorel = Mandorel(QStringLiteral("PLON"));
        mandorel->Sequence().Append(fremd[i]);
        const QString datei = Datei(QStringLiteral("schritt%1.mdex").arg(i), *mandorel);
        ExpectRefused(
            datei, 1042,
            {QDir::toNativeSeparators(datei), QStringLiteral(" 2 "), fremd[i].Text.left(8)});
    }
}

TEST_F(HostileImportTest, ValuesBeyondTheirBoundsAreRefusedNamingTheBound) {
    auto viele = Mandorel(QStringLiteral("PLON"));
    for (int i = viele->TokenValues().size(); i < 1001; ++i) {
        viele->TokenValues().insert(QStringLiteral("#UNBENUTZT_%1#").arg(i), QStringLiteral("x"));
    }
    ExpectRefused(Datei(QStringLiteral("viele.mdex"), *viele), 1043,
                  {QStringLiteral("1001"), QStringLiteral("1.000")});

    auto lang = Mandorel(QStringLiteral("PLON"));
    lang->TokenValues().insert(QStringLiteral("#VON#"), QString(301, QLatin1Char('v')));
    ExpectRefused(Datei(QStringLiteral("lang.mdex"), *lang), 1044,
                  {QStringLiteral("#VON#"), QStringLiteral("300")});

    auto gross = Mandorel(QStringLiteral("PLON"));
    gross->SetAuswertungs_Beschreibung(QString(1024 * 1024, QLatin1Char('b')));
    ExpectRefused(Datei(QStringLiteral("gross.mdex"), *gross), 1045,
                  {QStringLiteral("gross.mdex"), QStringLiteral("1 MiB")});

    // Right at the bounds a file is taken.
    auto grenze = Mandorel(QStringLiteral("PLON"));
    grenze->TokenValues().insert(QStringLiteral("#VON#"), QString(300, QLatin1Char('v')));
    for (int i = grenze->TokenValues().size(); i < 1000; ++i) {
        grenze->TokenValues().insert(QStringLiteral("#UNBENUTZT_%1#").arg(i), QStringLiteral("x"));
    }
    EXPECT_FALSE(Import(Datei(QStringLiteral("grenze.mdex"), *grenze)).has_value());
    EXPECT_EQ(FController->Selected_Mandorel()->TokenValues().size(), 1000);
}

// ---------------------------------------------------------------------------------------------
// Door: history folder. Rows of a copied database and names planted in the picture folder.

class HostileHistoryFolderTest : public ::testing::Test {
protected:
    HostileHistoryFolderTest() : FHistory(DatabaseIn(FHome)) {}

    qint64 Add(const char* ANameKey) {
        TZEP_RunEntry entry;
        entry.Programm = QStringLiteral("PLON");
        entry.NameKey = QString::fromUtf8(ANameKey);
        return FHistory.Add(entry);
    }

    // As a copied database may hold it.
    void SetBildSpalte(qint64 AId, const QString& APath) {
        TVKO_Database database(DatabaseIn(FHome));
        TVKO_Statement schreiben(database,
                                 "UPDATE ZEP_AUSFUEHRUNG SET BILD = ?2, BILD_BYTES = 10 WHERE "
                                 "ID = ?1");
        schreiben.Bind(1, AId);
        schreiben.Bind(2, APath);
        schreiben.Step();
    }

    QString Bild(qint64 AId) const {
        return FHistory.BildOrdner() + QLatin1Char('/') + TZEP_RunHistory::BildName(AId);
    }

    TTempHome FHome;
    TZEP_RunHistory FHistory;
};

TEST_F(HostileHistoryFolderTest, RetentionRemovesOnlyTheRowsOwnPictureWhateverTheRowNames) {
    FHistory.SetGrenzen(1, TZEP_RunHistory::CMaxBildBytes);
    const QString wichtig = FHome.Path() + QStringLiteral("/wichtig.txt");
    WriteFileBytes(wichtig, "bleibt");
    const qint64 fremdesBild = Add("ANDERER");
    FHistory.SetBild(fremdesBild, "png");
    const QStringList namen = {
        wichtig,
        Bild(fremdesBild),
        FHistory.BildOrdner() + QStringLiteral("/../wichtig.txt"),
        FHistory.BildOrdner() + QStringLiteral("/ausfuehrung-x.png"),
    };
    for (const QString& name : namen) {
        SetBildSpalte(Add("OPFER"), name);
    }
    // The last row went by the bound of one entry, each with what it named.
    Add("OPFER");
    EXPECT_EQ(FHistory.Entries(QStringLiteral("PLON"), QStringLiteral("OPFER")).size(), 1);
    EXPECT_TRUE(QFile::exists(wichtig));
    EXPECT_TRUE(QFile::exists(Bild(fremdesBild)));
    const QString log = FHome.ReadLog();
    EXPECT_EQ(log.count(QStringLiteral("die Datei bleibt unberührt")), namen.size())
        << log.toStdString();
    EXPECT_TRUE(log.contains(wichtig)) << log.toStdString();
}

TEST_F(HostileHistoryFolderTest, APlantedLinkIsNeitherFollowedWhenWritingNorWhenRemoving) {
    FHistory.SetGrenzen(1, TZEP_RunHistory::CMaxBildBytes);
    const QString ziel = FHome.Path() + QStringLiteral("/ziel.txt");
    WriteFileBytes(ziel, "bleibt");
    const qint64 id = Add("OPFER");
    QDir().mkpath(FHistory.BildOrdner());
    ASSERT_TRUE(QFile::link(ziel, Bild(id)));
    FHistory.SetBild(id, "neues Bild");
    EXPECT_FALSE(QFileInfo(Bild(id)).isSymLink());
    EXPECT_EQ(FileBytes(Bild(id)), QByteArray("neues Bild"));
    EXPECT_EQ(FileBytes(ziel), QByteArray("bleibt"));

    // A link put in place of the written picture goes with its row; its target stays.
    ASSERT_TRUE(QFile::remove(Bild(id)));
    ASSERT_TRUE(QFile::link(ziel, Bild(id)));
    Add("OPFER");
    EXPECT_FALSE(QFileInfo(Bild(id)).isSymLink());
    EXPECT_EQ(FileBytes(ziel), QByteArray("bleibt"));
}

TEST_F(HostileHistoryFolderTest, PicturesAndTheirFolderAreTheOwnersAloneWhateverTheUmask) {
    const mode_t vorher = ::umask(0);
    const qint64 id = Add("A");
    FHistory.SetBild(id, "png");
    ::umask(vorher);
    EXPECT_EQ(Mode(FHistory.BildOrdner()), 0700u);
    EXPECT_EQ(Mode(Bild(id)), 0600u);

    // A folder that someone opened up is closed again by the next picture.
    SetMode(FHistory.BildOrdner(), 0777);
    FHistory.SetBild(Add("B"), "png");
    EXPECT_EQ(Mode(FHistory.BildOrdner()), 0700u);
}

TEST_F(HostileHistoryFolderTest, APictureFolderThatIsALinkGetsNoPicture) {
    const QString anderswo = FHome.Path() + QStringLiteral("/anderswo");
    QDir().mkpath(anderswo);
    ASSERT_TRUE(QFile::link(anderswo, FHistory.BildOrdner()));
    const qint64 id = Add("A");
    try {
        FHistory.SetBild(id, "png");
        ADD_FAILURE() << "a picture was written through a linked folder";
    } catch (const EVKO_Error& fehler) {
        VKOInfo().ResetErrorSpezNoWrite();
        EXPECT_TRUE(fehler.Text().contains(TZEP_RunHistory::BildName(id)))
            << fehler.Text().toStdString();
    }
    EXPECT_TRUE(QDir(anderswo).isEmpty());
    EXPECT_TRUE(
        FHistory.Entries(QStringLiteral("PLON"), QStringLiteral("A")).first().Bild.isEmpty());
}

}  // namespace
