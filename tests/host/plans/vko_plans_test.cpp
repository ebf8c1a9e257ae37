#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <ctime>

#include "md_recording_systemctl.h"
#include "md_test_support.h"
#include "vko_database.h"
#include "vko_oncalendar.h"
#include "vko_planmani.h"
#include "vko_statement.h"
#include "vko_systemd_timer.h"
#include "zep_dbfile.h"

namespace {

TPlanSatz Taeglich(const QTime& AZeit) {
    TPlanSatz satz;
    satz.Aktiv = true;
    satz.Art = TPlanArt::Taeglich;
    satz.Uhrzeit = AZeit;
    satz.JobText = QStringLiteral("Mandorel;PLON;MONATSLISTE");
    return satz;
}

const TZEP_PfadKommandoArgumenteList CKommando{
    TZEP_PfadKommandoArgumenteRec{1,
                                  {},
                                  {},
                                  QStringLiteral("quandrix.exe"),
                                  QStringLiteral("-RUN -PROG:PLON -REPORT:MONATSLISTE")}};

// Stores the Mandorel PLON/<AName> in the record file of ADatenbank, as a plan needs it.
void MandorelSpeichern(const QString& ADatenbank, const QString& AName) {
    TZEP_DBFile datei(ADatenbank);
    datei.Reset();
    datei.SetKeyWert(TZEP_DBFile::CProgramKey, QStringLiteral("PLON"));
    datei.SetWert(TZEP_DBFile::CDisplayName, AName);
    datei.SetWert(TZEP_DBFile::CCreatedBy, TIntPair{1, 1});
    datei.SetWert(TZEP_DBFile::CChangedBy, TIntPair{1, 1});
    datei.StartStreamBuchung(TZEP_DBOperation::wrdonInsert, false).write("ZMLS");
    datei.EndStreamBuchung();
}

QString Lesen(const QString& APfad) {
    QFile datei(APfad);
    return datei.open(QIODevice::ReadOnly) ? QString::fromUtf8(datei.readAll()) : QString();
}

// Runs a program of this machine; empty output when it is not installed.
QString Ausgabe(const QString& AProgramm, const QStringList& AArgumente, int* AExit = nullptr) {
    QProcess prozess;
    prozess.setProcessChannelMode(QProcess::MergedChannels);
    prozess.start(AProgramm, AArgumente);
    if (!prozess.waitForStarted() || !prozess.waitForFinished(60000)) {
        return {};
    }
    if (AExit != nullptr) {
        *AExit = prozess.exitCode();
    }
    return QString::fromUtf8(prozess.readAll());
}

struct TBerlin {
    QByteArray FOld = qgetenv("TZ");
    TBerlin() {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
    ~TBerlin() {
        qputenv("TZ", FOld);
        tzset();
    }
};

}  // namespace

TEST(PlanStoreTest, NewRecordsGetIdsKnownOnesKeepThemAndDamageIsNamed) {
    TTempHome home;
    const QString pfad = home.DataFolder() + QStringLiteral("/quandrix.db");
    TPlanManiDM store(pfad);
    TPlanSatz erster = Taeglich(QTime(6, 30));
    erster.Flag2 = QLatin1Char('J');
    erster.Paar = TIntPair{3, 4};
    ASSERT_TRUE(store.PlanSpeichern(erster, CKommando, false, false));
    ASSERT_TRUE(erster.PlanId.Defined());

    TPlanSatz zweiter = Taeglich(QTime(7, 0));
    zweiter.PlanId = TIntTrio{77, 1, 2};  // brought from elsewhere: unknown here
    store.PlanSpeichern(zweiter, {}, false, false);
    EXPECT_NE(zweiter.PlanId, erster.PlanId);
    EXPECT_TRUE(zweiter.PlanId.Defined());

    erster.Uhrzeit = QTime(8, 15);
    const TIntTrio id = erster.PlanId;
    store.PlanSpeichern(erster, CKommando, false, false);
    EXPECT_EQ(erster.PlanId, id);
    EXPECT_EQ(store.PlanIds(), (QList<TIntTrio>{id, zweiter.PlanId}));

    TPlanSatz gelesen;
    TZEP_PfadKommandoArgumenteList kommandos;
    ASSERT_TRUE(TPlanManiDM(pfad).PlanLaden(id, gelesen, kommandos));
    EXPECT_EQ(Zeitplan2Text(gelesen), Zeitplan2Text(erster));
    EXPECT_EQ(gelesen.JobText, erster.JobText);
    EXPECT_EQ(gelesen.Flag2, QLatin1Char('J'));
    EXPECT_EQ(gelesen.Paar, (TIntPair{3, 4}));
    ASSERT_EQ(kommandos.size(), 1);
    EXPECT_EQ(kommandos.first().Argumente, CKommando.first().Argumente);

    TPlanSatz unveraendert = gelesen;
    EXPECT_FALSE(store.PlanLaden(TIntTrio{999, 0, 0}, unveraendert, kommandos));
    EXPECT_FALSE(store.PlanLaden(TIntTrio{}, unveraendert, kommandos));
    EXPECT_EQ(unveraendert.PlanId, id);

    EXPECT_EQ(store.PlanIds_ByJobText(QStringLiteral("mandorel;plon;monatsliste")).size(), 2);
    EXPECT_TRUE(store.PlanLoeschen(zweiter.PlanId));
    EXPECT_FALSE(store.PlanLoeschen(zweiter.PlanId));

    {
        TVKO_Database db(pfad);
        db.Execute("UPDATE MD_PLAENE SET ZEITPLAN = 'ART=9'", QStringLiteral("Test"));
    }
    try {
        (void)store.PlanLaden(id, gelesen, kommandos);
        FAIL() << "a damaged timetable was read";
    } catch (const EVKO_Error& AFehler) {
        EXPECT_TRUE(AFehler.Text().contains(QStringLiteral("Zeitplan")));
    }
    EXPECT_EQ(gelesen.Uhrzeit, QTime(8, 15));
}

// The elapses systemd computes for the generated OnCalendar= equal those the form promises,
// across month ends, a leap day and both changes of daylight saving time.
TEST(OnCalendarTest, SystemdElapsesEqualThePromisedRuns) {
    if (QStandardPaths::findExecutable(QStringLiteral("systemd-analyze")).isEmpty()) {
        GTEST_SKIP() << "systemd-analyze is not installed";
    }
    TBerlin berlin;
    const QDateTime ab(QDate(2027, 1, 20), QTime(12, 0));
    // Daily at 02:30 (both changes of DST), working days, every 3rd day, Mo/Fr/Su, the last,
    // the 28th and the first Monday of a month, a limited week plan, once on a leap day.
    QList<TPlanSatz> plaene(9, Taeglich(QTime(2, 30)));
    plaene[1].NurWerktage = true;
    plaene[2].AlleNTage = 3;
    plaene[2].ErsterTag = QDate(2027, 1, 30);
    for (int i : {3, 7}) {
        plaene[i].Art = TPlanArt::Woechentlich;
        plaene[i].Wochentage = 0b1010001;
    }
    plaene[7].ErsterTag = QDate(2027, 3, 1);
    plaene[7].LetzterTag = QDate(2027, 3, 31);
    const TPlanMonatsRegel regeln[] = {TPlanMonatsRegel::LetzterTag, TPlanMonatsRegel::Tag,
                                       TPlanMonatsRegel::ErsterWochentag};
    for (int i = 0; i < 3; ++i) {
        plaene[4 + i].Art = TPlanArt::Monatlich;
        plaene[4 + i].MonatsRegel = regeln[i];
    }
    plaene[5].MonatsTag = 28;
    plaene[6].MonatsWochentag = 1;
    plaene[8].Art = TPlanArt::Einmalig;
    plaene[8].Einmalig = QDateTime(QDate(2028, 2, 29), QTime(9, 5));

    for (const TPlanSatz& satz : plaene) {
        const QStringList kalender = VKO_OnCalendar(satz, ab);
        ASSERT_FALSE(kalender.isEmpty()) << Zeitplan2Text(satz).toStdString();
        QStringList versprochen;
        for (QDateTime n = NaechsteAusfuehrung(satz, ab); n.isValid() && versprochen.size() < 300;
             n = NaechsteAusfuehrung(satz, n)) {
            versprochen.append(n.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        }
        // A listed date elapses once; a pattern as often as promised.
        const int iterationen = kalender.size() == 1 ? static_cast<int>(versprochen.size()) : 1;
        const QString text =
            Ausgabe(QStringLiteral("systemd-analyze"),
                    QStringList{QStringLiteral("calendar"),
                                QStringLiteral("--base-time=2027-01-20 12:00:00"),
                                QStringLiteral("--iterations=%1").arg(iterationen)} +
                        kalender);
        QStringList elapses;
        for (const QString& zeile : text.split(QLatin1Char('\n'))) {
            const QString t = zeile.trimmed();
            if (t.startsWith(QLatin1String("Next elapse:")) ||
                t.startsWith(QLatin1String("Iter. #"))) {
                elapses.append(t.section(QLatin1Char(' '), -3, -2));
            }
        }
        std::sort(elapses.begin(), elapses.end());
        elapses = elapses.mid(0, versprochen.size());
        ASSERT_FALSE(versprochen.isEmpty());
        EXPECT_EQ(elapses.join(QLatin1Char(',')).toStdString(),
                  versprochen.join(QLatin1Char(',')).toStdString())
            << Zeitplan2Text(satz).toStdString();
    }
}

TEST(SystemdTimerTest, UnitsFollowThePlanStoreAndDriftIsRepaired) {
    TTempHome home;
    TRecordingSystemctl systemctl;
    TFixedClock uhr(QDateTime(QDate(2027, 1, 20), QTime(12, 0)));
    TPlanManiDM store(home.DataFolder() + QStringLiteral("/quandrix.db"));
    MandorelSpeichern(store.Path(), QStringLiteral("Monatsliste"));
    const QString ordner = home.Path() + QStringLiteral("/units");
    TVKO_SystemdTimer timer(ordner, QStringLiteral("/bin/true"));
    const auto datei = [&ordner](const TPlanSatz& ASatz, const char* AEndung) {
        return ordner + QLatin1Char('/') + TVKO_SystemdTimer::UnitName(ASatz.PlanId) +
               QLatin1Char('.') + QLatin1String(AEndung);
    };

    TPlanSatz aktiv = Taeglich(QTime(6, 30));
    store.PlanSpeichern(aktiv, CKommando, false, false);
    TPlanSatz ruhend = Taeglich(QTime(6, 30));
    ruhend.Aktiv = false;
    store.PlanSpeichern(ruhend, CKommando, false, false);
    const QString name = TVKO_SystemdTimer::UnitName(aktiv.PlanId);
    const QString timerDatei = datei(aktiv, "timer");
    const QString serviceDatei = datei(aktiv, "service");

    EXPECT_EQ(timer.Synchronisieren(store), TVKO_SyncErgebnis::Abgeglichen);
    EXPECT_EQ(systemctl.Take(),
              (QStringList{QStringLiteral("show-environment"), QStringLiteral("daemon-reload"),
                           QStringLiteral("enable --now ") + name + QStringLiteral(".timer"),
                           QStringLiteral("restart ") + name + QStringLiteral(".timer")}));
    EXPECT_EQ(QDir(ordner).entryList(QDir::Files),
              (QStringList{name + QStringLiteral(".service"), name + QStringLiteral(".timer")}));
    EXPECT_TRUE(Lesen(timerDatei).contains(QStringLiteral("OnCalendar=*-*-* 06:30:00\n")));
    EXPECT_TRUE(Lesen(timerDatei).contains(QStringLiteral("Persistent=true\n")));
    EXPECT_TRUE(
        Lesen(serviceDatei)
            .contains(QStringLiteral(
                "ExecStart=\"/bin/true\" \"-RUN\" \"-PROG:PLON\" \"-REPORT:MONATSLISTE\"\n")));

    // Unchanged: enabled again, not restarted.
    timer.Synchronisieren(store);
    EXPECT_EQ(systemctl.Take().last(),
              QStringLiteral("enable --now ") + name + QStringLiteral(".timer"));

    // Changed, then drifted: a stray unit of this installation and an edited one are repaired.
    aktiv.Uhrzeit = QTime(7, 0);
    aktiv.EigenerBildschirm = true;
    store.PlanSpeichern(aktiv, CKommando, false, false);
    QFile fremd(ordner + QStringLiteral("/quandrix-plan-99.timer"));
    ASSERT_TRUE(fremd.open(QIODevice::WriteOnly));
    fremd.write((TVKO_SystemdTimer::Marke(store) + QLatin1Char('\n')).toUtf8());
    fremd.close();
    // Units an earlier build wrote without the mark: the planned one is taken over, the other
    // stays, since it may be another installation's.
    const QByteArray frueher = "[Unit]\nDescription=Quandrix Mandorel;PLON;MONATSLISTE\n";
    QFile frueherGeplant(timerDatei);
    ASSERT_TRUE(frueherGeplant.open(QIODevice::WriteOnly | QIODevice::Truncate));
    frueherGeplant.write(frueher);
    frueherGeplant.close();
    QFile frueherUngeplant(ordner + QStringLiteral("/quandrix-plan-98.timer"));
    ASSERT_TRUE(frueherUngeplant.open(QIODevice::WriteOnly));
    frueherUngeplant.write(frueher);
    frueherUngeplant.close();
    timer.Synchronisieren(store);
    const QStringList aufrufe = systemctl.Take();
    EXPECT_TRUE(aufrufe.contains(QStringLiteral("disable --now quandrix-plan-99.timer")));
    EXPECT_FALSE(aufrufe.join(QLatin1Char('|')).contains(QStringLiteral("quandrix-plan-98")));
    EXPECT_FALSE(fremd.exists());
    EXPECT_EQ(Lesen(ordner + QStringLiteral("/quandrix-plan-98.timer")),
              QString::fromUtf8(frueher));
    EXPECT_TRUE(Lesen(timerDatei).startsWith(TVKO_SystemdTimer::Marke(store)));
    EXPECT_TRUE(Lesen(timerDatei).contains(QStringLiteral("OnCalendar=*-*-* 07:00:00\n")));
    EXPECT_TRUE(
        Lesen(serviceDatei).contains(QStringLiteral("ExecStart=\"/usr/bin/xvfb-run\" \"-a\"")));
    if (!QStandardPaths::findExecutable(QStringLiteral("systemd-analyze")).isEmpty()) {
        int exit = -1;
        const QString text = Ausgabe(QStringLiteral("systemd-analyze"),
                                     {QStringLiteral("verify"), timerDatei, serviceDatei}, &exit);
        EXPECT_EQ(exit, 0) << text.toStdString();
    }

    // The display: from the session when the manager lacks one, else the manager's own.
    const QByteArray alteAnzeige = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":7");
    ruhend.Aktiv = true;
    store.PlanSpeichern(ruhend, CKommando, false, false);
    {
        TRecordingSystemctl ohneAnzeige;
        timer.Synchronisieren(store);
        EXPECT_TRUE(Lesen(serviceDatei).contains(QStringLiteral("\"/usr/bin/xvfb-run\"")));
        EXPECT_TRUE(Lesen(datei(ruhend, "service"))
                        .contains(QStringLiteral("Environment=\"DISPLAY=:7\"\n")));
    }
    {
        TRecordingSystemctl mitAnzeige(true, QStringLiteral("LANG=C\\nDISPLAY=:0"));
        timer.Synchronisieren(store);
        EXPECT_FALSE(Lesen(datei(ruhend, "service")).contains(QStringLiteral("Environment=")));
    }
    qputenv("DISPLAY", alteAnzeige);

    // Deactivated, and a machine without a service manager: nothing is touched then.
    aktiv.Aktiv = false;
    store.PlanSpeichern(aktiv, CKommando, false, false);
    systemctl.Entfernen();
    EXPECT_EQ(timer.Synchronisieren(store), TVKO_SyncErgebnis::NichtErreichbar);
    EXPECT_TRUE(QFile::exists(timerDatei));
    TRecordingSystemctl wieder;
    timer.Synchronisieren(store);
    EXPECT_TRUE(
        wieder.Take().contains(QStringLiteral("disable --now ") + name + QStringLiteral(".timer")));
    EXPECT_FALSE(QFile::exists(timerDatei));
    EXPECT_FALSE(QFile::exists(serviceDatei));
    EXPECT_TRUE(QFile::exists(datei(ruhend, "timer")));

    // A damaged record keeps its units; the synchronisation of the others goes on.
    {
        TVKO_Database db(home.DataFolder() + QStringLiteral("/quandrix.db"));
        db.Execute("UPDATE MD_PLAENE SET ZEITPLAN = 'ART=9'", QStringLiteral("Test"));
    }
    EXPECT_EQ(timer.Synchronisieren(store), TVKO_SyncErgebnis::Abgeglichen);
    EXPECT_TRUE(QFile::exists(datei(ruhend, "timer")));
}
