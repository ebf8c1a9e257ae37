#include <gtest/gtest.h>

#include "md_commandline.h"

namespace {

TZEP_MD_CommandLine Line(std::initializer_list<const char*> AArguments) {
    QStringList arguments;
    for (const char* argument : AArguments) {
        arguments.append(QString::fromUtf8(argument));
    }
    return TZEP_MD_CommandLine(arguments);
}

}  // namespace

TEST(CommandLine, RunSwitchIsTheWholeArgumentInAnyCase) {
    EXPECT_TRUE(Line({"-run"}).RunSwitch());
    EXPECT_TRUE(Line({"/RUN"}).RunSwitch());
    EXPECT_TRUE(Line({"-PROG:PLON", "\\Run"}).RunSwitch());
    EXPECT_FALSE(Line({"-RUNX"}).RunSwitch());
    EXPECT_FALSE(Line({"-RUN:1"}).RunSwitch());
    EXPECT_FALSE(Line({"RUN"}).RunSwitch());
    EXPECT_FALSE(Line({"--RUN"}).RunSwitch());
    EXPECT_FALSE(Line({}).RunSwitch());
}

TEST(CommandLine, ValuesFollowTheNameInTheSameArgument) {
    const auto line = Line({"-prog:plon", "-report:Monatsliste"});
    EXPECT_EQ(line.Programm(), QStringLiteral("plon"));
    EXPECT_EQ(line.Report(), QStringLiteral("Monatsliste"));

    EXPECT_EQ(Line({"-PROGPLON"}).Programm(), QStringLiteral("PLON"));
    EXPECT_EQ(Line({"/PROG::X"}).Programm(), QStringLiteral(":X"));
    EXPECT_EQ(Line({"\\PROG:PLON"}).Programm(), QString());
}

TEST(CommandLine, ASeparateArgumentIsNeverTheValue) {
    const auto line = Line({"-RUN", "-PROG", "PLON", "-REPORT"});
    EXPECT_EQ(line.Programm(), QString());
    EXPECT_EQ(line.Report(), QString());
}

TEST(CommandLine, TheFirstMatchingArgumentWins) {
    EXPECT_EQ(Line({"-PROG:A", "-PROG:B"}).Programm(), QStringLiteral("A"));
    // The name is compared with as many characters as it has.
    EXPECT_EQ(Line({"-PROGRAMM:X"}).Programm(), QStringLiteral("RAMM:X"));
    EXPECT_EQ(Line({"-RUN"}).Report(), QString());
}

// Exactly what the reading above takes is kept from the toolkit; its own options pass.
TEST(CommandLine, OwnSwitchesAreTheOnesThisClassReads) {
    for (const char* eigener : {"-RUN", "/run", "\\Run", "-PROG:PLON", "/prog", "-PROGRAMM:X",
                                "-REPORT:Monatsliste", "-report"}) {
        EXPECT_TRUE(TZEP_MD_CommandLine::IsOwnSwitch(QString::fromLatin1(eigener))) << eigener;
    }
    for (const char* fremd :
         {"-platform", "-platformpluginpath", "PLON", "-RUNX", "--RUN", "\\PROG:PLON", "-", ""}) {
        EXPECT_FALSE(TZEP_MD_CommandLine::IsOwnSwitch(QString::fromLatin1(fremd))) << fremd;
    }
}
