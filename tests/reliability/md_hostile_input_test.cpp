// Hostile input, grouped by the door it comes through. Each case states what must not happen
// and that a log line names the cause.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "md_recording_systemctl.h"
#include "md_test_support.h"
#include "vko_database.h"
#include "vko_planmani.h"
#include "vko_systemd_timer.h"
#include "zep_dbfile.h"

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
