#include <gtest/gtest.h>

#include "md_test_support.h"
#include "vko_simplemask.h"

TEST(SimpleMaskTest, ValuesAreKeptPerFormAndWorkstationAndDeletedOnlyThere) {
    TTempHome home;
    TSimpleMask hier(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                     QStringLiteral("MASKCFG"), QStringLiteral("PC1"));
    TSimpleMask dort(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                     QStringLiteral("MASKCFG"), QStringLiteral("PC2"));
    EXPECT_EQ(hier.ReadLocalDef(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("leer")),
              QStringLiteral("leer"));
    hier.WriteLocal(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("eins"));
    hier.WriteLocal(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("zwei"));
    dort.WriteLocal(QStringLiteral("DOCKINGLAYOUT"), QString());

    TSimpleMask wieder(QStringLiteral("quandrix"), QStringLiteral("MAINFORM"),
                       QStringLiteral("MASKCFG"), QStringLiteral("PC1"));
    EXPECT_EQ(wieder.ReadLocalDef(QStringLiteral("dockinglayout"), QString()),
              QStringLiteral("zwei"));
    EXPECT_EQ(dort.ReadLocalDef(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("x")), QString());

    hier.DeleteLocal();
    EXPECT_EQ(wieder.ReadLocalDef(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("weg")),
              QStringLiteral("weg"));
    EXPECT_EQ(dort.ReadLocalDef(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("x")), QString());
}
