#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>

#include "md_inifile.h"
#include "md_test_support.h"
#include "vko_info.h"

namespace {

TZEP_MD_IniFile Ini(const QByteArray& ABytes) {
    return TZEP_MD_IniFile::FromBytes(ABytes, QStringLiteral("test.ini"));
}

QByteArray Utf16(const QString& AText, bool ABigEndian) {
    QByteArray bytes = ABigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (const QChar c : AText) {
        const char high = static_cast<char>(c.unicode() >> 8);
        const char low = static_cast<char>(c.unicode() & 0xFF);
        bytes.append(ABigEndian ? high : low);
        bytes.append(ABigEndian ? low : high);
    }
    return bytes;
}

}  // namespace

TEST(MDIniFile, SectionsAndKeysMatchWithoutRegardToCase) {
    const TZEP_MD_IniFile ini =
        Ini("[Liste_A]\n"
            "Name=Monatsliste\n"
            "[TEMPLATES]\n"
            "liste_a\n");
    EXPECT_EQ(ini.ReadString(QStringLiteral("LISTE_A"), QStringLiteral("NAME")),
              QStringLiteral("Monatsliste"));
    EXPECT_EQ(ini.SectionLines(QStringLiteral("templates")),
              QStringList{QStringLiteral("liste_a")});
    EXPECT_TRUE(ini.ReadString(QStringLiteral("LISTE_A"), QStringLiteral("SEQUENCE")).isEmpty());
    EXPECT_TRUE(ini.ReadString(QStringLiteral("FEHLT"), QStringLiteral("NAME")).isEmpty());
    EXPECT_TRUE(ini.SectionLines(QStringLiteral("FEHLT")).isEmpty());
}

TEST(MDIniFile, DropsBlanksAroundTheFirstEqualsSignCommentsAndEmptyLines) {
    const TZEP_MD_IniFile ini =
        Ini("NAME=vor jedem Abschnitt\n"
            "[ A ]\n"
            "; Kommentar\n"
            "   ;eingerückter Kommentar\n"
            "\t NAME \t=  Wert mit = und ; darin  \t\r\n"
            "\n"
            "   \n"
            "NAME=zweiter Wert\n"
            "#VON# = Zeitraum von\n"
            "  nur ein Name  \n"
            "[B\n");
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("name")),
              QStringLiteral("Wert mit = und ; darin"));
    EXPECT_EQ(
        ini.SectionLines(QStringLiteral("A")),
        (QStringList{QStringLiteral("NAME=Wert mit = und ; darin"),
                     QStringLiteral("NAME=zweiter Wert"), QStringLiteral("#VON#=Zeitraum von"),
                     QStringLiteral("nur ein Name"), QStringLiteral("[B")}));
}

TEST(MDIniFile, ASectionNamedTwiceGivesItsLinesInTurn) {
    const TZEP_MD_IniFile ini = Ini("[T]\nA\n[X]\nY=1\n[t]\nB\n");
    EXPECT_EQ(ini.SectionLines(QStringLiteral("T")),
              (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(MDIniFile, EveryKindOfLineEndEndsALine) {
    const TZEP_MD_IniFile ini = Ini("[T]\r\nA\rB\nC\r\n\r\nD");
    EXPECT_EQ(ini.SectionLines(QStringLiteral("T")),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                           QStringLiteral("D")}));
}

TEST(MDIniFile, AByteOrderMarkSelectsTheEncodingOtherwiseWindows1252) {
    const QString name = QStringLiteral("Prüfung – Übersicht");
    const QString text = QStringLiteral("[T]\nNAME=") + name + QLatin1Char('\n');
    const auto read = [](const QByteArray& ABytes) {
        return Ini(ABytes).ReadString(QStringLiteral("T"), QStringLiteral("NAME"));
    };
    EXPECT_EQ(read(QByteArray("\xEF\xBB\xBF") + text.toUtf8()), name);
    EXPECT_EQ(read(Utf16(text, false)), name);
    EXPECT_EQ(read(Utf16(text, true)), name);
    EXPECT_EQ(read("[T]\nNAME=Pr\xFC"
                   "fung \x96 \xDC"
                   "bersicht\n"),
              name);
    // Without a byte-order mark UTF-8 is not guessed.
    EXPECT_EQ(read(text.toUtf8()), QStringLiteral("PrÃ¼fung â€“ Ãœbersicht"));
}

TEST(MDIniFile, AMissingFileIsEmptyAndAnUnreadableOneAnErrorNamingIt) {
    TTempHome home;
    const QString fehlt = home.Path() + QStringLiteral("/fehlt.ini");
    EXPECT_TRUE(TZEP_MD_IniFile::FromFile(fehlt).SectionLines(QStringLiteral("T")).isEmpty());

    const QString ordner = home.Path() + QStringLiteral("/ordner.ini");
    ASSERT_TRUE(QDir().mkpath(ordner));
    try {
        TZEP_MD_IniFile::FromFile(ordner);
        ADD_FAILURE() << "a folder was read as a file";
    } catch (const EVKO_Error& error) {
        EXPECT_TRUE(error.Text().contains(ordner)) << error.Text().toStdString();
        EXPECT_EQ(VKOInfo().FehlerInfo(std::current_exception()).Chain,
                  QStringList{QStringLiteral("TZEP_MD_IniFile.FromFile")});
    }

    home.WriteSetting(QStringLiteral("da.ini"), "[T]\nA=1\n");
    const TZEP_MD_IniFile da =
        TZEP_MD_IniFile::FromFile(home.SettingsFolder() + QStringLiteral("/da.ini"));
    EXPECT_EQ(da.ReadString(QStringLiteral("t"), QStringLiteral("a")), QStringLiteral("1"));
}

TEST(MDIniFile, ArbitraryBytesNeverBreakTheReader) {
    QRandomGenerator zufall(4711);
    const QByteArray bausteine[] = {"[",
                                    "]",
                                    "=",
                                    ";",
                                    "\n",
                                    "\r",
                                    " ",
                                    "\t",
                                    QByteArray(1, '\0'),
                                    "\xEF\xBB\xBF",
                                    "\xFF\xFE",
                                    "\xFE\xFF",
                                    "A",
                                    "\x96",
                                    "#"};
    for (int runde = 0; runde < 2000; ++runde) {
        QByteArray bytes;
        const int teile = zufall.bounded(40);
        for (int i = 0; i < teile; ++i) {
            bytes += bausteine[zufall.bounded(static_cast<int>(std::size(bausteine)))];
        }
        const TZEP_MD_IniFile ini = Ini(bytes);
        for (const QString& line : ini.SectionLines(QStringLiteral("A"))) {
            EXPECT_FALSE(line.isEmpty());
        }
        ini.ReadString(QStringLiteral("A"), QStringLiteral("A"));
    }
}
