#include <QDir>
#include <QFile>

#include "md_gui_controller.h"
#include "md_process_support.h"
#include "md_recording_progress.h"
#include "md_store_fixture.h"
#include "vko_database.h"
#include "vko_info.h"
#include "vko_statement.h"
#include "zep_run_history.h"

namespace {

const QString CKennwort = QStringLiteral("Geh31m!");

// Keeps the raw pixels; the format of the picture is the window library's business.
class TRawWriter : public IZEP_BildWriter {
public:
    QByteArray Png(const TZEP_GA_Bildschirm& ABild) override { return ABild.Pixel; }
};

class RunHistoryTest : public TStoreTest {
protected:
    RunHistoryTest() {
        auto mandorel = Mandorel(QStringLiteral("Monatsliste"), {QStringLiteral("PLON_ZEITRAUM"),
                                                                 QStringLiteral("PLON_ANMELDUNG")});
        mandorel->TokenValues().insert(QStringLiteral("#BIS#"), QStringLiteral("#HEUTE#"));
        mandorel->TokenValues().insert(QStringLiteral("#KENNWORT#"), CKennwort);
        Store(std::move(mandorel));
    }

    // Runs unattended and answers the error text of a failed run.
    QString AutoExecute(const char* AReport, TZEP_MD_AutoExecuteErgebnis AErwartet) {
        auto controller = std::make_unique<TZEP_MD_GUI_Controller_Impl>(
            NewPlayer(),
            QStringList{QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                        QStringLiteral("-REPORT:") + QString::fromUtf8(AReport)},
            std::make_unique<TRecordingProgress>(std::make_shared<TRecordingProgress::TShared>()));
        controller->SetBildWriter(std::make_unique<TRawWriter>());
        QString fehler;
        try {
            controller->Mandorel_AutoExecute();
        } catch (...) {
            fehler = VKOInfo().FehlerInfo(std::current_exception()).Text;
            VKOInfo().ResetErrorSpezNoWrite();
        }
        EXPECT_EQ(controller->AutoExecuteErgebnis(), AErwartet) << fehler.toStdString();
        return fehler;
    }

    QList<TZEP_RunEntry> Entries(const QString& ANameKey) {
        return TZEP_RunHistory(DatabaseIn(FHome)).Entries(QStringLiteral("PLON"), ANameKey);
    }

    // Every text the history table holds, whatever its column.
    QString TableText() {
        TVKO_Database database(DatabaseIn(FHome));
        TVKO_Statement alles(database,
                             "SELECT group_concat(PROGRAMM || NAME_KEY || MELDUNG || TOKENWERTE "
                             "|| BILD, '|') FROM ZEP_AUSFUEHRUNG");
        alles.Step();
        return alles.Text(0);
    }
};

}  // namespace

TEST_F(RunHistoryTest, PlayedFailedAndNotFoundRunsEachLeaveTheirEntry) {
    AutoExecute("MONATSLISTE", TZEP_MD_AutoExecuteErgebnis::Gespielt);

    FPlayed->FailWith = QStringLiteral("Das Fenster „PLON ") + CKennwort +
                        QStringLiteral("“ erschien nicht innerhalb von 5 s.");
    FPlayed->FailAtStep = 4;
    FPlayed->FailScreen = TZEP_GA_Bildschirm{2, 1, QByteArray(8, '\x7f')};
    const QString fehler = AutoExecute("Monatsliste", TZEP_MD_AutoExecuteErgebnis::Fehlgeschlagen);
    EXPECT_TRUE(fehler.contains(QStringLiteral("erschien nicht"))) << fehler.toStdString();

    AutoExecute("Jahresliste", TZEP_MD_AutoExecuteErgebnis::NichtGefunden);

    const QList<TZEP_RunEntry> runs = Entries(QStringLiteral("MONATSLISTE"));
    ASSERT_EQ(runs.size(), 2);
    const TZEP_RunEntry& fehlgeschlagen = runs[0];
    EXPECT_EQ(fehlgeschlagen.Ergebnis, TZEP_RunErgebnis::Fehlgeschlagen);
    EXPECT_EQ(fehlgeschlagen.Schritt, 4);
    EXPECT_EQ(fehlgeschlagen.ExitCode, 1);
    EXPECT_TRUE(fehlgeschlagen.Meldung.contains(QStringLiteral("erschien nicht")));
    EXPECT_EQ(FileBytes(fehlgeschlagen.Bild), QByteArray(8, '\x7f'));
    const TZEP_RunEntry& gespielt = runs[1];
    EXPECT_EQ(gespielt.Ergebnis, TZEP_RunErgebnis::Gespielt);
    EXPECT_TRUE(gespielt.Bild.isEmpty());
    EXPECT_EQ(gespielt.ExitCode, 0);
    EXPECT_EQ(gespielt.Start, QDateTime(QDate(2025, 1, 15), QTime(10, 30)));
    const QList<QPair<QString, QString>> werte{
        {QStringLiteral("#BIS#"), QStringLiteral("15.01.2025")},
        {QStringLiteral("#KENNWORT#"), QStringLiteral("***")},
        {QStringLiteral("#VON#"), QStringLiteral("01.02.2025")}};
    EXPECT_EQ(gespielt.TokenWerte, werte);
    EXPECT_EQ(fehlgeschlagen.TokenWerte, werte);

    const QList<TZEP_RunEntry> nichtGefunden = Entries(QStringLiteral("JAHRESLISTE"));
    ASSERT_EQ(nichtGefunden.size(), 1);
    EXPECT_EQ(nichtGefunden[0].Ergebnis, TZEP_RunErgebnis::NichtGefunden);
    EXPECT_EQ(nichtGefunden[0].ExitCode, 2);
    EXPECT_FALSE(TableText().contains(CKennwort)) << TableText().toStdString();

    // A history that cannot be written changes no run and costs a log line.
    FPlayed->FailWith.clear();
    TVKO_Database(DatabaseIn(FHome))
        .Execute(
            "CREATE TRIGGER NUR_LESEN BEFORE INSERT ON ZEP_AUSFUEHRUNG BEGIN SELECT "
            "RAISE(ABORT, 'schreibgeschützt'); END",
            QStringLiteral("Test"));
    AutoExecute("MONATSLISTE", TZEP_MD_AutoExecuteErgebnis::Gespielt);
    FPlayed->FailWith = QStringLiteral("Das Fenster „PLON“ erschien nicht.");
    EXPECT_TRUE(AutoExecute("MONATSLISTE", TZEP_MD_AutoExecuteErgebnis::Fehlgeschlagen)
                    .contains(QStringLiteral("erschien nicht")));
    AutoExecute("JAHRESLISTE", TZEP_MD_AutoExecuteErgebnis::NichtGefunden);
    EXPECT_EQ(FHome.ReadLog().count(QStringLiteral("nicht im Protokoll der Ausführungen")), 3)
        << FHome.ReadLog().toStdString();
    EXPECT_EQ(Entries(QStringLiteral("MONATSLISTE")).size(), 2);
}

TEST_F(RunHistoryTest, RetentionDropsTheOldestEntriesThenTheOldestPictures) {
    TZEP_RunHistory history(DatabaseIn(FHome));
    history.SetGrenzen(3, 250);
    const auto add = [&history](const char* ANameKey) {
        TZEP_RunEntry entry;
        entry.Programm = QStringLiteral("PLON");
        entry.NameKey = QString::fromUtf8(ANameKey);
        return history.Add(entry);
    };
    const auto picture = [&](qint64 AId) {
        history.SetBild(AId, QByteArray(100, 'x'));
        return history.BildOrdner() + QStringLiteral("/ausfuehrung-%1.png").arg(AId);
    };

    const qint64 ersteB = add("B");
    const QString bildErste = picture(add("A"));
    const QList<qint64> a{add("A"), add("A"), add("A")};
    // The first entry of A went, and its picture with it.
    EXPECT_FALSE(QFile::exists(bildErste));
    QStringList bilder;
    for (const qint64 id : a) {
        bilder.append(picture(id));
    }
    EXPECT_EQ(
        (QList<bool>{QFile::exists(bilder[0]), QFile::exists(bilder[1]), QFile::exists(bilder[2])}),
        (QList<bool>{false, true, true}));

    const QList<TZEP_RunEntry> entries =
        history.Entries(QStringLiteral("PLON"), QStringLiteral("A"));
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].Id, a[2]);
    EXPECT_EQ(entries[0].Bild, bilder[2]);
    EXPECT_EQ(entries[2].Id, a[0]);
    EXPECT_TRUE(entries[2].Bild.isEmpty());
    const QList<TZEP_RunEntry> b = history.Entries(QStringLiteral("plon"), QStringLiteral("b"));
    ASSERT_EQ(b.size(), 1);
    EXPECT_EQ(b[0].Id, ersteB);
}

TEST_F(RunHistoryTest, AnEntryKeepsOnlyTheValuesOfTokensTheRunUsed) {
    auto mandorel = Mandorel(QStringLiteral("Nur Anmeldung"), {QStringLiteral("PLON_ANMELDUNG")});
    mandorel->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::TypeText, QStringLiteral("bis #BIS#")});
    mandorel->TokenValues().insert(QStringLiteral("#KENNWORT#"), CKennwort);
    mandorel->TokenValues().insert(QStringLiteral("#BIS#"), QStringLiteral("31.12.2025"));
    for (int i = 0; i < 20; ++i) {
        mandorel->TokenValues().insert(QStringLiteral("#UNBENUTZT_%1#").arg(i),
                                       QString(300, QLatin1Char('u')));
    }
    Store(std::move(mandorel));
    AutoExecute("NUR_ANMELDUNG", TZEP_MD_AutoExecuteErgebnis::Gespielt);
    const QList<TZEP_RunEntry> runs = Entries(QStringLiteral("NUR_ANMELDUNG"));
    ASSERT_EQ(runs.size(), 1);
    // #VON# of the fixture names no action of these steps either.
    EXPECT_EQ(runs[0].TokenWerte, (QList<QPair<QString, QString>>{
                                      {QStringLiteral("#BIS#"), QStringLiteral("31.12.2025")},
                                      {QStringLiteral("#KENNWORT#"), QStringLiteral("***")}}));
    EXPECT_FALSE(TableText().contains(QStringLiteral("UNBENUTZT")));
}

TEST_F(RunHistoryTest, TheRowsOfAllMandoreleStayWithinTheirBoundOldestFirst) {
    TZEP_RunHistory history(DatabaseIn(FHome));
    // Rows of about 510 bytes of text: three fit into 2,000, a fourth does not.
    history.SetGrenzen(50, TZEP_RunHistory::CMaxBildBytes, 2000);
    QList<qint64> ids;
    for (const char* name : {"A", "B", "A", "B", "A", "B"}) {
        TZEP_RunEntry entry;
        entry.Programm = QStringLiteral("PLON");
        entry.NameKey = QString::fromUtf8(name);
        entry.Meldung = QString(500, QLatin1Char('m'));
        ids.append(history.Add(entry));
    }
    const QList<TZEP_RunEntry> a = history.Entries(QStringLiteral("PLON"), QStringLiteral("A"));
    const QList<TZEP_RunEntry> b = history.Entries(QStringLiteral("PLON"), QStringLiteral("B"));
    ASSERT_EQ(a.size(), 1);
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(a[0].Id, ids[4]);
    EXPECT_EQ(b[0].Id, ids[5]);
    EXPECT_EQ(b[1].Id, ids[3]);
}
