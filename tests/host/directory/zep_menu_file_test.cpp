#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

#include "md_test_support.h"
#include "zep_menu_file.h"

namespace {

const QString CFileName = QString::fromLatin1(CZEP_MenuFileName);

const QByteArray CDirectory =
    "; Programme dieses Rechners\n"
    "[PLON.EXE]\n"
    "NAME = Personaleinsatzplanung\n"
    "COMMAND=\"/opt/suite/plon\" -mandant 1\n"
    "\r\n"
    "[kudre.exe]\r\n"
    "name=Kundenregister\r\n"
    "[LOHN]\n"
    "NAME=Lohn und Gehalt (Übersicht)\n";

class MenuFile : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(FHome.SettingsFolder() + QLatin1Char('/') + CFileName); }

    void Write(const QByteArray& AContent) { FHome.WriteSetting(CFileName, AContent); }

    QString LoadError(const QByteArray& AContent) {
        Write(AContent);
        try {
            FMenu.Load();
        } catch (const EVKO_Error& error) {
            return error.Text();
        }
        return {};
    }

    TTempHome FHome;
    TZEP_MenuFile FMenu;
};

}  // namespace

TEST_F(MenuFile, AnswersByExeNameOrProgramCode) {
    Write(CDirectory);
    FMenu.Load();
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("PLON.EXE")),
              QStringLiteral("Personaleinsatzplanung"));
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("PLON")),
              QStringLiteral("Personaleinsatzplanung"));
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("KUDRE")),
              QStringLiteral("Kundenregister"));
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("C:\\PROG\\KUDRE.EXE")),
              QStringLiteral("Kundenregister"));
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("LOHN.EXE")),
              QStringLiteral("Lohn und Gehalt (Übersicht)"));
    EXPECT_EQ(FMenu.StartCommand_ByExeName(QStringLiteral("PLON")),
              QStringLiteral("\"/opt/suite/plon\" -mandant 1"));
    EXPECT_TRUE(FMenu.StartCommand_ByExeName(QStringLiteral("KUDRE.EXE")).isEmpty());
}

TEST_F(MenuFile, UnknownProgramsAndAMissingFileAnswerEmptyText) {
    FMenu.Load();
    EXPECT_TRUE(FMenu.ProgrammName_ByExeName(QStringLiteral("PLON.EXE")).isEmpty());
    EXPECT_FALSE(FMenu.Contains(QStringLiteral("PLON")));

    Write(CDirectory);
    FMenu.Load();
    EXPECT_TRUE(FMenu.ProgrammName_ByExeName(QStringLiteral("FIBU.EXE")).isEmpty());
    EXPECT_TRUE(FMenu.ProgrammName_ByExeName(QString()).isEmpty());
    EXPECT_TRUE(FMenu.StartCommand_ByExeName(QStringLiteral("FIBU")).isEmpty());
    EXPECT_FALSE(FMenu.Contains(QStringLiteral("FIBU")));
}

TEST_F(MenuFile, ReadsByteOrderMarks) {
    Write("\xEF\xBB\xBF[PLON.EXE]\nNAME=Planung \xC3\xA4\n");
    FMenu.Load();
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("PLON")), QStringLiteral("Planung ä"));

    const QString utf16 = QStringLiteral("\uFEFF[KUDRE.EXE]\r\nNAME=Kundenregister ö\r\n");
    Write(QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2));
    FMenu.Load();
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("KUDRE")),
              QStringLiteral("Kundenregister ö"));
}

TEST_F(MenuFile, ADamagedFileNamesFileAndLineAndKeepsWhatWasLoaded) {
    Write(CDirectory);
    FMenu.Load();

    struct TCase {
        QByteArray Content;
        int Line;
        QString Detail;
    };
    const QList<TCase> cases{
        {"[PLON.EXE]\nNAME=Planung\nPersonaleinsatzplanung\n", 3, QStringLiteral("weder")},
        {"NAME=Planung\n[PLON.EXE]\n", 1, QStringLiteral("vor dem ersten Abschnitt")},
        {"[PLON.EXE]\nBEFEHL=/opt/plon\n", 2, QStringLiteral("„BEFEHL“")},
        {"[PLON.EXE]\nNAME=a\nNAME=b\n", 3, QStringLiteral("zum zweiten Mal")},
        {"[PLON.EXE]\n\n[plon]\n", 3, QStringLiteral("schon in Zeile 1")},
        {"[PLON.EXE\n", 1, QStringLiteral("„]“")},
        {"[ ]\n", 1, QStringLiteral("kein Programm")},
        {"[PLON.EXE]\nNAME=\xE4rzte\n", 2, QStringLiteral("UTF-8")},
    };
    for (const TCase& test : cases) {
        const QString error = LoadError(test.Content);
        EXPECT_TRUE(error.contains(QStringLiteral("MD_Programme.ini"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("Zeile %1:").arg(test.Line)))
            << error.toStdString();
        EXPECT_TRUE(error.contains(test.Detail)) << error.toStdString();
        EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("PLON")),
                  QStringLiteral("Personaleinsatzplanung"));
    }
}

TEST_F(MenuFile, RefusesAFileFarLargerThanADirectory) {
    const QString error = LoadError(QByteArray(2 * 1024 * 1024, ';'));
    EXPECT_TRUE(error.contains(QStringLiteral("zu groß"))) << error.toStdString();
}

TEST_F(MenuFile, RefusesADirectoryAnotherUserCouldHaveWritten) {
    Write(CDirectory);
    FMenu.Load();
    const QString path = FHome.SettingsFolder() + QLatin1Char('/') + CFileName;
    const QByteArray native = QFile::encodeName(path);
    Write("[PLON.EXE]\nCOMMAND=/tmp/boese\n");
    const auto expectRefused = [&](const QString& AWhy) {
        const QString error = [&] {
            try {
                FMenu.Load();
            } catch (const EVKO_Error& exception) {
                return exception.Text();
            }
            return QString();
        }();
        EXPECT_TRUE(error.contains(AWhy)) << error.toStdString();
        EXPECT_EQ(FMenu.StartCommand_ByExeName(QStringLiteral("PLON")),
                  QStringLiteral("\"/opt/suite/plon\" -mandant 1"));
    };
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
        expectRefused(QStringLiteral("gehört nicht Ihnen"));
        ASSERT_EQ(::chown(native.constData(), 0, 0), 0);
    }
    ASSERT_EQ(::chmod(native.constData(), 0620), 0);
    expectRefused(QStringLiteral("Rechte 0620"));
    ASSERT_EQ(::chmod(native.constData(), 0600), 0);

    ASSERT_EQ(::chmod(QFile::encodeName(FHome.SettingsFolder()).constData(), 0777), 0);
    expectRefused(QStringLiteral("Den Ordner „%1“ dürfen auch andere Benutzer ändern")
                      .arg(FHome.SettingsFolder()));
    ASSERT_EQ(::chmod(QFile::encodeName(FHome.SettingsFolder()).constData(), 0700), 0);

    const QString elsewhere = FHome.Path() + QStringLiteral("/anderswo.ini");
    ASSERT_TRUE(QFile::rename(path, elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, path));
    expectRefused(QStringLiteral("symbolischer Verweis"));
}

TEST_F(MenuFile, TheInstalledSampleDirectoryStartsTheBuiltSamplePrograms) {
    const auto install = [] {
        QProcess script;
        script.start(QStringLiteral("bash"),
                     {QStringLiteral(MD_SOURCE_DIR "/scripts/install-samples.sh"),
                      QStringLiteral(MD_BUILD_DIR)});
        return script.waitForFinished(30000) && script.exitCode() == 0;
    };
    ASSERT_TRUE(install());
    FMenu.Load();
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("PLON.EXE")),
              QStringLiteral("Personaleinsatzplanung"));
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("KUDRE.EXE")),
              QStringLiteral("Kundenregister"));
    for (const QString& program : {QStringLiteral("PLON"), QStringLiteral("KUDRE")}) {
        const QStringList command = QProcess::splitCommand(FMenu.StartCommand_ByExeName(program));
        ASSERT_EQ(command.size(), 1);
        EXPECT_TRUE(QFileInfo(command.first()).isExecutable()) << command.first().toStdString();
    }

    Write("[PLON.EXE]\nNAME=Eigene Planung\n");
    ASSERT_TRUE(install());
    FMenu.Load();
    EXPECT_EQ(FMenu.ProgrammName_ByExeName(QStringLiteral("PLON")),
              QStringLiteral("Eigene Planung"));
}
