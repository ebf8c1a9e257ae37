// Hostile input through every door a file comes in by. Each case shows what must not happen
// (nothing stored, nothing outside the folders touched) and that a message or log line names
// the cause.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QTest>
#include <memory>
#include <optional>

#include "md_gui_controller.h"
#include "md_gui_token_panel.h"
#include "md_main_fixture.h"
#include "md_mandorel.h"
#include "md_process_support.h"
#include "md_processor.h"
#include "md_recording_systemctl.h"
#include "md_scripted_file_dialog.h"
#include "md_test_support.h"
#include "md_versioned_mandorel.h"
#include "vko_database.h"
#include "vko_info.h"
#include "vko_planmani.h"
#include "vko_statement.h"
#include "vko_systemd_timer.h"
#include "zep_dbfile.h"
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

// ---------------------------------------------------------------------------------------------
// Doors: a copied database, and the unit folder
// ---------------------------------------------------------------------------------------------

namespace {

class UnitDoorTest : public ::testing::Test {
protected:
    UnitDoorTest() {
        TZEP_DBFile datei;
        datei.Reset();
        datei.SetKeyWert(TZEP_DBFile::CProgramKey, QStringLiteral("PLON"));
        datei.SetWert(TZEP_DBFile::CDisplayName, QStringLiteral("Harmlos"));
        datei.SetWert(TZEP_DBFile::CCreatedBy, TIntPair{1, 1});
        datei.SetWert(TZEP_DBFile::CChangedBy, TIntPair{1, 1});
        datei.StartStreamBuchung(TZEP_DBOperation::wrdonInsert, false).write("ZMLS");
        datei.EndStreamBuchung();
    }

    // A plan record as a copied database may hold it: any job text, any command text.
    TIntTrio Plan(const QString& AJobText,
                  const QString& AKommando = QStringLiteral("-RUN -PROG:PLON -REPORT:HARMLOS")) {
        TPlanSatz satz;
        satz.Aktiv = true;
        satz.Art = TPlanArt::Taeglich;
        satz.JobText = AJobText;
        FStore.PlanSpeichern(
            satz,
            {TZEP_PfadKommandoArgumenteRec{1, {}, {}, QStringLiteral("quandrix.exe"), AKommando}},
            false, false);
        return satz.PlanId;
    }

    TVKO_SyncErgebnis Synchronisieren() {
        return TVKO_SystemdTimer({}, QStringLiteral("/opt/quandrix")).Synchronisieren(FStore);
    }

    QString Ordner() const { return TVKO_SystemdTimer().UnitOrdner(); }
    QString Datei(const TIntTrio& AId, const char* AEndung) const {
        return Ordner() + QLatin1Char('/') + TVKO_SystemdTimer::UnitName(AId) + QLatin1Char('.') +
               QLatin1String(AEndung);
    }
    static QString Lesen(const QString& APfad) {
        QFile datei(APfad);
        return datei.open(QIODevice::ReadOnly) ? QString::fromUtf8(datei.readAll()) : QString();
    }
    // The unit folder's entries besides the lock.
    QStringList Units() const {
        QStringList namen = QDir(Ordner()).entryList(QDir::Files | QDir::System);
        namen.removeAll(QStringLiteral(".quandrix-plan.lock"));
        return namen;
    }
    // The lines of the log since the last call.
    QString NeueLogZeilen() {
        const QString log = FHome.ReadLog();
        const QString neu = log.mid(FLogGelesen);
        FLogGelesen = log.size();
        return neu;
    }

    TTempHome FHome;
    TFixedClock FClock{2025, 1, 15};
    TRecordingSystemctl FSystemctl;
    TPlanManiDM FStore;
    qsizetype FLogGelesen = 0;
};

const QString CHarmlos =
    QStringLiteral("ExecStart=\"/opt/quandrix\" \"-RUN\" \"-PROG:PLON\" \"-REPORT:HARMLOS\"\n");

}  // namespace

TEST_F(UnitDoorTest, CopiedDatabaseCommandTextsNeverBecomeArguments) {
    // A plan of a stored Mandorel whose command text carries toolkit options and another
    // Mandorel: the unit runs the stored Mandorel with its own keys only.
    const TIntTrio eigener = Plan(QStringLiteral("Mandorel;PLON;HARMLOS"),
                                  QStringLiteral("-RUN -PROG:PLON -platformpluginpath /tmp/x "
                                                 "-platform evil -REPORT:OPFER"));
    // Plans that name no stored Mandorel, or more than one field.
    const TIntTrio fremd = Plan(QStringLiteral("Mandorel;PLON;OPFER"));
    const TIntTrio angehaengt = Plan(QStringLiteral("Mandorel;PLON;HARMLOS;-platform evil"));
    const TIntTrio anderes = Plan(QStringLiteral("Skript;PLON;HARMLOS"));
    EXPECT_EQ(Synchronisieren(), TVKO_SyncErgebnis::Abgeglichen);

    const QString service = Lesen(Datei(eigener, "service"));
    EXPECT_TRUE(service.contains(CHarmlos)) << service.toStdString();
    EXPECT_FALSE(service.contains(QStringLiteral("platform"))) << service.toStdString();
    EXPECT_FALSE(service.contains(QStringLiteral("OPFER"))) << service.toStdString();
    for (const TIntTrio& id : {fremd, angehaengt, anderes}) {
        EXPECT_FALSE(QFile::exists(Datei(id, "timer")));
        EXPECT_FALSE(QFile::exists(Datei(id, "service")));
    }
    EXPECT_EQ(Units().size(), 2);
    const QString log = NeueLogZeilen();
    for (const TIntTrio& id : {fremd, angehaengt, anderes}) {
        EXPECT_EQ(
            log.count(
                QStringLiteral("Der Plan %1 mit dem Auftrag").arg(TVKO_SystemdTimer::UnitName(id))),
            1)
            << log.toStdString();
    }
    EXPECT_TRUE(log.contains(QStringLiteral("gehört zu keinem gespeicherten Mandorel")));
}

TEST_F(UnitDoorTest, CopiedDatabaseControlCharactersEndNoLineOfAUnit) {
    // Stored keys with line breaks and a NUL, as only a copied database can hold them.
    {
        TVKO_Database db(TVKO_Database::DefaultPath());
        db.Execute(
            "INSERT INTO MD_MANDORELE (PROGRAMM, NAME_KEY, NAME_ANZEIGE, ERSTELLT_VON, "
            "GEAENDERT_VON, DATEN) VALUES ('PLON', 'ZEILE' || char(10) || "
            "'ExecStartPre=/bin/evil', 'x', '1,1', '1,1', X'00'), ('PLON' || char(10) || "
            "'ExecStartPre=/bin/evil', 'HARMLOS', 'x', '1,1', '1,1', X'00'), ('PLON', "
            "'NUL' || char(0) || 'X', 'x', '1,1', '1,1', X'00')",
            QStringLiteral("Test"));
    }
    const TIntTrio zeile = Plan(QStringLiteral("Mandorel;PLON;ZEILE\nExecStartPre=/bin/evil"));
    const TIntTrio programm = Plan(QStringLiteral("Mandorel;PLON\nExecStartPre=/bin/evil;HARMLOS"));
    const TIntTrio nul = Plan(QStringLiteral("Mandorel;PLON;NUL") + QChar(0) + QLatin1Char('X'));
    EXPECT_EQ(Synchronisieren(), TVKO_SyncErgebnis::Abgeglichen);

    for (const QString& name : Units()) {
        const QString text = Lesen(Ordner() + QLatin1Char('/') + name);
        EXPECT_FALSE(text.contains(QStringLiteral("\nExecStartPre"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QLatin1Char('\0'))) << text.toStdString();
    }
    // The name key is cut where its control character starts; the program is no code at all.
    EXPECT_TRUE(Lesen(Datei(zeile, "service")).contains(QStringLiteral("\"-REPORT:ZEILE\"\n")));
    EXPECT_TRUE(Lesen(Datei(nul, "service")).contains(QStringLiteral("\"-REPORT:NUL\"\n")));
    EXPECT_TRUE(Lesen(Datei(nul, "timer"))
                    .contains(QStringLiteral("Description=Quandrix Mandorel;PLON;NUL\n")));
    EXPECT_FALSE(QFile::exists(Datei(programm, "service")));
    EXPECT_TRUE(NeueLogZeilen().contains(QStringLiteral("Der Plan %1 nennt das Programm")
                                             .arg(TVKO_SystemdTimer::UnitName(programm))));

    // A display name with a line break in the service manager's environment.
    const QByteArray alteAnzeige = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":0\nExecStartPre=/bin/evil");
    {
        TRecordingSystemctl ohneAnzeige;
        Synchronisieren();
    }
    qputenv("DISPLAY", alteAnzeige);
    const QString service = Lesen(Datei(zeile, "service"));
    EXPECT_TRUE(service.contains(QStringLiteral("Environment=\"DISPLAY=:0\"\n")))
        << service.toStdString();
    EXPECT_FALSE(service.contains(QStringLiteral("evil"))) << service.toStdString();
}

TEST_F(UnitDoorTest, UnitFolderModesHoldUnderAnOpenUmask) {
    const mode_t alt = ::umask(0);
    const TIntTrio id = Plan(QStringLiteral("Mandorel;PLON;HARMLOS"));
    Synchronisieren();
    ::umask(alt);
    struct stat info {};
    for (const QString& pfad :
         {Ordner(), QFileInfo(Ordner()).path(), Datei(id, "timer"), Datei(id, "service"),
          Ordner() + QStringLiteral("/.quandrix-plan.lock")}) {
        ASSERT_EQ(::stat(QFile::encodeName(pfad).constData(), &info), 0) << pfad.toStdString();
        EXPECT_EQ(info.st_mode & 0777, S_ISDIR(info.st_mode) ? 0700u : 0600u) << pfad.toStdString();
    }
}

TEST_F(UnitDoorTest, UnitFolderLinksAndForeignUnitsAreLeftAlone) {
    const TIntTrio id = Plan(QStringLiteral("Mandorel;PLON;HARMLOS"));
    ASSERT_TRUE(QDir().mkpath(Ordner()));
    // A link in place of this plan's service, pointing at a file of the user's.
    const QString wichtig = FHome.Path() + QStringLiteral("/wichtig.txt");
    QFile ziel(wichtig);
    ASSERT_TRUE(ziel.open(QIODevice::WriteOnly));
    ziel.write("bleibt");
    ziel.close();
    ASSERT_TRUE(QFile::link(wichtig, Datei(id, "service")));
    // Another installation's timer.
    const QString fremd = Ordner() + QStringLiteral("/quandrix-plan-9.timer");
    QFile fremdeUnit(fremd);
    ASSERT_TRUE(fremdeUnit.open(QIODevice::WriteOnly));
    fremdeUnit.write("[Unit]\nDescription=Quandrix anderswo\n");
    fremdeUnit.close();

    Synchronisieren();
    EXPECT_EQ(Lesen(wichtig), QStringLiteral("bleibt"));
    EXPECT_TRUE(QFileInfo(Datei(id, "service")).isSymLink());
    EXPECT_FALSE(QFile::exists(Datei(id, "timer")));  // a timer would start the link's unit
    EXPECT_EQ(Lesen(fremd), QStringLiteral("[Unit]\nDescription=Quandrix anderswo\n"));
    const QStringList systemctl = FSystemctl.Take();
    EXPECT_FALSE(systemctl.join(QLatin1Char('|')).contains(QStringLiteral("quandrix-plan-9")));
    EXPECT_FALSE(systemctl.join(QLatin1Char('|')).contains(TVKO_SystemdTimer::UnitName(id)));
    const QString log = NeueLogZeilen();
    EXPECT_TRUE(log.contains(QStringLiteral("Die Unit %1 im Ordner %2 stammt nicht von dieser "
                                            "Installation und bleibt unverändert; der Plan wird "
                                            "nicht eingerichtet.")
                                 .arg(TVKO_SystemdTimer::UnitName(id), Ordner())))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Die Unit quandrix-plan-9 im Ordner")));

    // With the link gone the plan is set up, and the foreign timer still stays.
    ASSERT_TRUE(QFile::remove(Datei(id, "service")));
    Synchronisieren();
    EXPECT_TRUE(Lesen(Datei(id, "service")).contains(CHarmlos));
    EXPECT_TRUE(QFile::exists(fremd));

    // A link planted in place of a service that runs already: its timer goes as well.
    ASSERT_TRUE(QFile::remove(Datei(id, "service")));
    ASSERT_TRUE(QFile::link(wichtig, Datei(id, "service")));
    FSystemctl.Take();
    Synchronisieren();
    EXPECT_TRUE(FSystemctl.Take().contains(QStringLiteral("disable --now ") +
                                           TVKO_SystemdTimer::UnitName(id) +
                                           QStringLiteral(".timer")));
    EXPECT_FALSE(QFile::exists(Datei(id, "timer")));
    EXPECT_TRUE(QFileInfo(Datei(id, "service")).isSymLink());
    EXPECT_EQ(Lesen(wichtig), QStringLiteral("bleibt"));
}

TEST_F(UnitDoorTest, AUnitFolderThatIsALinkIsRefusedWithAClearError) {
    Plan(QStringLiteral("Mandorel;PLON;HARMLOS"));
    const QString anderswo = FHome.Path() + QStringLiteral("/anderswo");
    ASSERT_TRUE(QDir().mkpath(anderswo));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(Ordner()).path()));
    ASSERT_TRUE(QFile::link(anderswo, Ordner()));
    EXPECT_EQ(PostMessage_ReloadJobs(FStore, TIntTrio{}), TVKO_SyncErgebnis::NichtErreichbar);
    EXPECT_TRUE(QDir(anderswo).isEmpty());
    EXPECT_TRUE(FSystemctl.Take().isEmpty());
    EXPECT_TRUE(NeueLogZeilen().contains(
        QStringLiteral("Der Unit-Ordner %1 ist kein Ordner (ein Verweis wird nicht verfolgt)")
            .arg(Ordner())));
}

// ---- Door: value-set file (MD_Wertevorrat.ini) ----------------------------------------------

namespace {

const char* const CGeheimKatalog =
    "[TEMPLATES]\nG_START\n"
    "[G_START]\nNAME=Anmelden\nSTARTS_PROGRAM=PLON\nSEQUENCE=TYPE \"#KENNWORT#\"; TYPE \"#VON#\"\n"
    "[TOKENNAMES]\n#KENNWORT#M=Kennwort\n#VON#=Von\n";

const QString CGeheim = QStringLiteral("Sesam-4711");

// Every text a user can see in the window, list entries and tips included.
QStringList SichtbareTexte(const QWidget& AWindow) {
    QStringList texte;
    for (const QWidget* w : AWindow.findChildren<QWidget*>()) {
        texte.append(w->toolTip());
        if (const auto* edit = qobject_cast<const QLineEdit*>(w);
            edit != nullptr && edit->echoMode() == QLineEdit::Normal) {
            texte.append(edit->text());
        }
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            texte.append(label->text());
        }
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            texte.append(button->text());
        }
        if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) {
                texte.append(combo->itemText(i));
            }
        }
    }
    return texte;
}

class ValueSetFileDoor : public MainWindowTest {
protected:
    ValueSetFileDoor() { FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), CGeheimKatalog); }

    QString StoredKennwort() const {
        TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
        store.Load_Reports();
        QString wert;
        store.Enum_Mandorele([&wert](TZEP_MD_Mandorel& AMandorel) {
            wert = AMandorel.TokenValues().value(QStringLiteral("#KENNWORT#"));
        });
        return wert;
    }
};

}  // namespace

TEST_F(ValueSetFileDoor, AChoiceOrDialogForAMaskedTokenIsIgnoredAndReported) {
    {
        TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
        store.Load_Reports();
        auto mandorel =
            TZEP_MD_Mandorel::CreateNew(QStringLiteral("Geheim"), QStringLiteral("PLON"));
        mandorel->SetAuswertungs_Beschreibung(QStringLiteral("Beschreibung"));
        mandorel->SetAuswertungs_Grund(QStringLiteral("Grund"));
        mandorel->Sequence().Append({TZEP_GA_ActionKind::Template, QStringLiteral("G_START")});
        mandorel->TokenValues() = {{QStringLiteral("#KENNWORT#"), CGeheim},
                                   {QStringLiteral("#VON#"), QStringLiteral("01.01.2025")}};
        ASSERT_TRUE(store.Add_Mandorel(mandorel, nullptr));
        store.Save_Reports();
    }
    const QList<QByteArray> eintraege{
        "[EDITOREN]\n#KENNWORT#=TZEP_MandantenCombobox\n[MANDANTEN]\nSesam-4711=Geheim\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_MandantenCheckCombo\n[MANDANTEN]\nSesam-4711=Geheim\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_OpenDialogFrame\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_FileOpenDialogFrame\n",
        "[EDITOREN]\n#KENNWORT#=TVKOSaisonButtonEdit\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_EMail_Mult_Empfaenger\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_LayoutDialogFrame\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_Farnel_Account_Info_Frame\n",
        "[WERTELISTEN]\n#KENNWORT#=Sesam-4711;Andere\n",
    };
    for (const QByteArray& eintrag : eintraege) {
        SCOPED_TRACE(eintrag.toStdString());
        FHome.WriteSetting(QStringLiteral("MD_Wertevorrat.ini"), eintrag);
        Open();
        SelectInList(QStringLiteral("Geheim"));
        Click(QStringLiteral("btnEdit"));
        ClickCell(0, 2);
        ClickCell(0, 2);

        TZEP_MD_Token_Panel* kennwort = nullptr;
        for (TZEP_MD_Token_Panel* panel : FWindow->findChildren<TZEP_MD_Token_Panel*>()) {
            if (panel->TokenName() == QStringLiteral("#KENNWORT#")) {
                kennwort = panel;
            }
        }
        ASSERT_NE(kennwort, nullptr);
        const auto* edit = qobject_cast<QLineEdit*>(kennwort->InputComp());
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        for (const QString& text : SichtbareTexte(*FWindow)) {
            EXPECT_FALSE(text.contains(CGeheim)) << text.toStdString();
        }
        // Reported once per window, naming file, line and token.
        ASSERT_EQ(FPresenter->Meldungen.size(), 1);
        EXPECT_EQ(FPresenter->Meldungen.at(0).Koord.Nummer, 1017);
        const QString text = FPresenter->Meldungen.at(0).Text;
        EXPECT_TRUE(text.contains(QStringLiteral("MD_Wertevorrat.ini"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Zeile 2"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("„#KENNWORT#“ ist verdeckt")))
            << text.toStdString();

        // "Buchen" loses nothing.
        Click(QStringLiteral("btnBuchen"));
        EXPECT_EQ(StoredKennwort(), CGeheim);
        Close();
        FPresenter->Meldungen.clear();
    }
}
