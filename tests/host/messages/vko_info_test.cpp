#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>

#include "md_test_support.h"
#include "vko_info.h"
#include "vko_meldungsliste.h"
#include "vko_programm.h"

namespace {

mode_t ModeOf(const QString& APath) {
    struct stat status {};
    return ::lstat(QFile::encodeName(APath).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

void Inner() try { throw EVKO_Error(QStringLiteral("Die Datei fehlt.")); } catch (...) {
    RethrowRegistered("TInner.Run");
}

void Outer() try { Inner(); } catch (...) {
    RethrowRegistered("TOuter.Run");
}

TVKO_FehlerInfo Caught(const std::function<void()>& AAction) {
    try {
        AAction();
    } catch (...) {
        return VKOInfo().FehlerInfo(std::current_exception());
    }
    ADD_FAILURE() << "no exception";
    return {};
}

}  // namespace

TEST(VKOInfo, ErrorCarriesItsTextAndTheChainOfNamesItPassed) {
    const TVKO_FehlerInfo info = Caught(Outer);
    EXPECT_EQ(info.Text, QStringLiteral("Die Datei fehlt."));
    EXPECT_EQ(info.Chain,
              (QStringList{QStringLiteral("TInner.Run"), QStringLiteral("TOuter.Run")}));
    EXPECT_TRUE(info.ToDisplayText().contains(QStringLiteral("TInner.Run → TOuter.Run")));
}

TEST(VKOInfo, ForeignExceptionsKeepTheirTypeAndText) {
    bool caughtAsRuntimeError = false;
    try {
        try {
            throw std::runtime_error("kaputt");
        } catch (...) {
            RethrowRegistered("TForeign.Run");
        }
    } catch (const std::runtime_error& error) {
        caughtAsRuntimeError = true;
        const TVKO_FehlerInfo info = VKOInfo().FehlerInfo(std::current_exception());
        EXPECT_EQ(info.Text, QStringLiteral("kaputt"));
        EXPECT_EQ(info.Chain, QStringList{QStringLiteral("TForeign.Run")});
    }
    EXPECT_TRUE(caughtAsRuntimeError);
}

TEST(VKOInfo, FehlerRaiseRaisesTheCatalogueTextWithItsArguments) {
    const TVKO_FehlerInfo info = Caught([] {
        VKOInfo().FehlerRaise("TZEP_Test.Run", MD_Koord(1001),
                              {QStringLiteral("Monatsliste"), QStringLiteral("PLON")});
    });
    EXPECT_TRUE(info.Text.contains(QStringLiteral("„Monatsliste“")));
    EXPECT_TRUE(info.Text.contains(QStringLiteral("PLON")));
    EXPECT_EQ(info.Chain, QStringList{QStringLiteral("TZEP_Test.Run")});
}

TEST(VKOInfo, ArgumentsAreFilledInOnePassSoTheirOwnPlaceholdersStayText) {
    const TVKO_FehlerInfo info = Caught([] {
        VKOInfo().FehlerRaise("TZEP_Test.Run", MD_Koord(1001),
                              {QStringLiteral("Liste %2 %1 %10"), QStringLiteral("PLON")});
    });
    EXPECT_TRUE(info.Text.startsWith(QStringLiteral(
        "Für das Programm PLON gibt es bereits einen Mandorel mit dem Namen „Liste %2 %1 %10“.")))
        << info.Text.toStdString();
    EXPECT_EQ(
        VKO_FillArgs(QStringLiteral("%1%%2 %3 %12 %0"), {QStringLiteral("a"), QStringLiteral("b")}),
        QStringLiteral("a%b %3 %12 %0"));
}

TEST(VKOInfo, EveryCatalogueEntryHasAGermanText) {
    QList<int> nummern;
    for (int nummer = 1001; nummer <= 1019; ++nummer) {
        nummern.append(nummer);
    }
    nummern << 1025 << 1026 << 1027 << 1028 << 1029;
    for (int nummer = 1040; nummer <= 1049; ++nummer) {
        nummern.append(nummer);
    }
    for (const int nummer : nummern) {
        const QString text = VKOInfo().MeldungText(MD_Koord(nummer));
        EXPECT_FALSE(text.startsWith(QStringLiteral("Meldung"))) << nummer;
        EXPECT_GT(text.size(), 20) << nummer;
    }
    EXPECT_TRUE(VKOInfo()
                    .MeldungText(MD_Koord(1010), {QStringLiteral("Zeitüberschreitung")})
                    .contains(QStringLiteral("Zeitüberschreitung")));
    EXPECT_TRUE(
        VKOInfo()
            .MeldungText(CVKO_Info_Fehler_Standard_IllegalerParameter, {QStringLiteral("Marker 9")})
            .contains(QStringLiteral("Marker 9")));
}

TEST(VKOInfo, AnErrorRecordedWithTheFlagFalseIsLoggedAndRaisedByTheDestructorCheck) {
    TTempHome home;
    ReleaseGuarded("TZEP_Test.Destroy", [] { throw EVKO_Error(QStringLiteral("Freigabe")); });
    EXPECT_TRUE(home.ReadLog().contains(QStringLiteral("Freigabe")));
    const TVKO_FehlerInfo info =
        Caught([] { VKOInfo().FehlerRaise("TZEP_Test.Destroy.Kontrolle", TInfoKoord{}); });
    EXPECT_EQ(info.Text, QStringLiteral("Freigabe"));
    EXPECT_EQ(info.Chain.constLast(), QStringLiteral("TZEP_Test.Destroy.Kontrolle"));

    // Nothing recorded: the check raises nothing.
    VKOInfo().FehlerTerminate();
    EXPECT_NO_THROW(VKOInfo().FehlerRaise("TZEP_Test.Destroy.Kontrolle", TInfoKoord{}));
}

TEST(VKOInfo, WriteTextWithStampAppendsOneStampedLine) {
    TTempHome home;
    TFixedClock clock(QDateTime(QDate(2026, 3, 1), QTime(6, 5, 4)));
    VKOInfo().WriteTextWithStamp(QStringLiteral("erste Zeile"));
    VKOInfo().WriteTextWithStamp(QStringLiteral("zweite Zeile"));
    EXPECT_EQ(home.ReadLog(), QStringLiteral("2026-03-01 06:05:04 erste Zeile\n"
                                             "2026-03-01 06:05:04 zweite Zeile\n"));
}

TEST(VKOInfo, PresenterAnswersAndRecords) {
    TScriptedPresenterScope presenter;
    presenter->Answers = {CVKO_Antwort_Ja};
    EXPECT_EQ(VKOInfo().ShowMeldung(CVKO_Buttons_JaNein, MD_Koord(1002)), CVKO_Antwort_Ja);
    EXPECT_EQ(VKOInfo().ShowDlgMeldung(CVKO_Buttons_JaNein, MD_Koord(1006)), CVKO_Antwort_Nein);
    ASSERT_EQ(presenter->Meldungen.size(), 2);
    EXPECT_EQ(presenter->Meldungen[0].Koord, MD_Koord(1002));
    EXPECT_FALSE(presenter->Meldungen[0].Dialog);
    EXPECT_TRUE(presenter->Meldungen[1].Dialog);
}

TEST(VKOInfo, TheLogPresenterNeverWaitsAndDeclinesQuestions) {
    TTempHome home;
    TVKO_LogPresenter presenter;
    EXPECT_EQ(presenter.Present({MD_Koord(1008), QStringLiteral("Beenden?"), CVKO_Buttons_JaNein}),
              CVKO_Antwort_Nein);
    EXPECT_EQ(presenter.Present({MD_Koord(1011), QStringLiteral("Hinweis"), CVKO_Buttons_OK}),
              CVKO_Antwort_OK);
    EXPECT_TRUE(home.ReadLog().contains(QStringLiteral("Meldung QUANDRIX 1008: Beenden?")));
}

TEST(VKOInfo, ShowExceptionShowsTheChainAndLogsIt) {
    TTempHome home;
    TScriptedPresenterScope presenter;
    try {
        Outer();
    } catch (...) {
        VKOProgramm().ShowException(std::current_exception(), false);
    }
    ASSERT_EQ(presenter->Fehler.size(), 1);
    EXPECT_EQ(presenter->Fehler[0].Chain.size(), 2);
    EXPECT_TRUE(
        home.ReadLog().contains(QStringLiteral("Die Datei fehlt. (TInner.Run → TOuter.Run)")));
}

TEST(VKOInfo, SecretsNeverReachTheLogOrAShownError) {
    TTempHome home;
    TScriptedPresenterScope presenter;
    VKOInfo().AddSecret(QStringLiteral("geheim123"));
    VKOInfo().WriteTextWithStamp(QStringLiteral("Passwort geheim123 getippt"));
    try {
        throw EVKO_Error(QStringLiteral("Tippen von geheim123 fehlgeschlagen"));
    } catch (...) {
        VKOProgramm().ShowException(std::current_exception(), false);
    }
    VKOInfo().ClearSecrets();
    EXPECT_FALSE(home.ReadLog().contains(QStringLiteral("geheim123")));
    ASSERT_EQ(presenter->Fehler.size(), 1);
    EXPECT_FALSE(presenter->Fehler[0].Text.contains(QStringLiteral("geheim123")));
}

TEST(VKOInfo, TheLogFollowsNoLinkAndIsForItsOwnerOnly) {
    TTempHome home;
    const QString log = VKOInfo().LogFilePath();
    const QString elsewhere = home.Path() + QStringLiteral("/anderswo.txt");
    {
        QFile target(elsewhere);
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        target.write("unberührt\n");
    }
    ASSERT_TRUE(QFile::link(elsewhere, log));
    VKOInfo().WriteTextWithStamp(QStringLiteral("Eintrag"));
    QFile target(elsewhere);
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), QByteArray("unberührt\n"));

    ASSERT_TRUE(QFile::remove(log));
    const mode_t previousMask = ::umask(0);
    VKOInfo().WriteTextWithStamp(QStringLiteral("Erster\tEintrag\u2028"));
    ::umask(previousMask);
    EXPECT_EQ(ModeOf(log), 0600u);
    EXPECT_TRUE(home.ReadLog().endsWith(QStringLiteral(" Erster\\tEintrag\\u{2028}\n")))
        << home.ReadLog().toStdString();
    ASSERT_EQ(::chmod(QFile::encodeName(log).constData(), 0644), 0);
    VKOInfo().WriteTextWithStamp(QStringLiteral("Zweiter"));
    EXPECT_EQ(ModeOf(log), 0600u);
    EXPECT_TRUE(home.ReadLog().endsWith(QStringLiteral(" Zweiter\n")));
}

TEST(VKOInfo, MeldungsListeCollectsMessagesWithTheirTexts) {
    TVKO_InfoMeldungListe liste;
    liste.Meldung_Add(MD_Koord(1001), {QStringLiteral("Monatsliste"), QStringLiteral("PLON")});
    ASSERT_EQ(liste.Meldungen().size(), 1);
    EXPECT_EQ(liste.Meldungen()[0].Koord, MD_Koord(1001));
    EXPECT_TRUE(liste.Meldungen()[0].Text.contains(QStringLiteral("Monatsliste")));
}
