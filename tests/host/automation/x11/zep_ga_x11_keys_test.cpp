#include <gtest/gtest.h>

#include "vko_info.h"
#include "zep_ga_x11_keys.h"

namespace {

QString KeysError(const QString& AKeys) {
    try {
        ZEP_GA_KeyCombinations(AKeys);
    } catch (const EVKO_Error& error) {
        return error.Text();
    }
    return {};
}

}  // namespace

TEST(GAKeys, SplitsCombinationsAtBlanksAndFixesTheCaseOfKeyNames) {
    EXPECT_EQ(ZEP_GA_KeyCombinations(QStringLiteral("  alt+v ctrl+q\tTab ")),
              (QList<QByteArray>{"alt+v", "ctrl+q", "Tab"}));
    EXPECT_EQ(ZEP_GA_KeyCombinations(QStringLiteral("tab return CTRL+shift+s f5")),
              (QList<QByteArray>{"Tab", "Return", "CTRL+shift+s", "F5"}));
}

TEST(GAKeys, AnUnknownKeyIsNamedByItsPositionNeverByItsText) {
    // The text of a KEYS step may be a masked value: no part of it may reach an error.
    const QString error = KeysError(QStringLiteral("Tab Sommer2024+x"));
    EXPECT_TRUE(error.contains(QStringLiteral("Die 1. Taste der 2. Tastenkombination")))
        << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("Sommer"))) << error.toStdString();
    EXPECT_TRUE(KeysError(QStringLiteral("ctrl+")).contains(QStringLiteral("Die 2. Taste der 1.")));
    EXPECT_TRUE(KeysError(QStringLiteral("ä")).contains(QStringLiteral("Die 1. Taste der 1.")));
    EXPECT_FALSE(KeysError(QStringLiteral("   ")).isEmpty());
}

TEST(GAKeys, CharactersBecomeKeyNames) {
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'a'), QByteArray("a"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'A'), QByteArray("A"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U' '), QByteArray("space"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'/'), QByteArray("slash"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'ä'), QByteArray("adiaeresis"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'ß'), QByteArray("ssharp"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'€'), QByteArray("U20AC"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'\n'), QByteArray("Return"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'\t'), QByteArray("Tab"));
}

TEST(GAKeys, CapitalsKeepTheirOwnKeySymbol) {
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'Ä'), QByteArray("Adiaeresis"));
    EXPECT_EQ(ZEP_GA_CharacterKeysym(U'Ä'), 0xC4u);
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'Ü'), QByteArray("Udiaeresis"));
    EXPECT_EQ(ZEP_GA_CharacterKeys(U'Ł'), QByteArray("U0141"));
    EXPECT_EQ(ZEP_GA_CharacterKeysym(U'Ł'), 0x1000141u);
}

TEST(GAKeys, ControlCharactersAndSurrogatesCannotBeTyped) {
    EXPECT_EQ(ZEP_GA_CharacterKeysym(U'\x01'), 0u);
    EXPECT_TRUE(ZEP_GA_CharacterKeys(U'\x01').isEmpty());
    EXPECT_TRUE(ZEP_GA_CharacterKeys(U'\r').isEmpty());
    EXPECT_TRUE(ZEP_GA_CharacterKeys(U'\x7F').isEmpty());
    EXPECT_TRUE(ZEP_GA_CharacterKeys(0x85).isEmpty());
    EXPECT_TRUE(ZEP_GA_CharacterKeys(0xD800).isEmpty());
    EXPECT_TRUE(ZEP_GA_CharacterKeys(0x110000).isEmpty());
}
