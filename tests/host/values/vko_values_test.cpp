#include <gtest/gtest.h>

#include <cctype>
#include <string_view>

#include "vko_ansi.h"
#include "vko_info.h"
#include "vko_inttrio.h"
#include "vko_keyfeld.h"
#include "vko_stringpool.h"
#include "vko_textlines.h"

TEST(IntTrio, TextFormRoundTripsAndBadTextIsAClearError) {
    for (const TIntTrio trio : {TIntTrio{1, 2, 3}, TIntTrio{-2147483647 - 1, 0, 2147483647}}) {
        EXPECT_EQ(vko_String2TIntTrio(vko_TIntTrio2String(trio)), trio);
    }
    EXPECT_FALSE(TIntTrio{}.Defined());
    EXPECT_TRUE((TIntTrio{0, 0, 7}.Defined()));
    TIntTrio trio{4, 5, 6};
    trio.Clear();
    EXPECT_FALSE(trio.Defined());

    for (const char* bad : {"", "1;2", "1;2;3;4", "a;b;c", "1;2;99999999999", "1,2,3"}) {
        try {
            vko_String2TIntTrio(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const EVKO_Error& error) {
            EXPECT_TRUE(error.Text().contains(QStringLiteral("Plan-Id"))) << bad;
            // Stored texts can hold passwords; the error never quotes them.
            EXPECT_TRUE(std::string_view(bad).empty() ||
                        !error.Text().contains(QString::fromLatin1(bad)))
                << bad;
        }
    }
}

TEST(IntPair, TextFormRoundTrips) {
    const TIntPair pair{1000, 0};
    EXPECT_EQ(vko_String2TIntPair(vko_TIntPair2String(pair)), pair);
    EXPECT_THROW(vko_String2TIntPair(QStringLiteral("1;2;3")), EVKO_Error);
}

TEST(KeyFeld, TransliteratesUpperCasesAndReplaces) {
    EXPECT_EQ(Wert_2_Wert4KeyFeld(QStringLiteral("  Monatsliste ")), QStringLiteral("MONATSLISTE"));
    EXPECT_EQ(Wert_2_Wert4KeyFeld(QStringLiteral("Größe Übersicht")),
              QStringLiteral("GROESSE_UEBERSICHT"));
    EXPECT_EQ(Wert_2_Wert4KeyFeld(QStringLiteral("a-b/c;d\"e'f$g")),
              QStringLiteral("A_B_C_D_E_F_G"));
    EXPECT_EQ(Wert_2_Wert4KeyFeld(QString()), QString());
}

TEST(KeyFeld, EveryAsciiCharacterBecomesItsCapitalDigitOrAnUnderscore) {
    for (int i = 1; i < 0x80; ++i) {
        const char c = static_cast<char>(i);
        const QString name = QLatin1String("x") + QLatin1Char(c) + QLatin1String("y");
        const char expected = std::isalnum(static_cast<unsigned char>(c)) || c == '_'
                                  ? static_cast<char>(std::toupper(c))
                                  : '_';
        EXPECT_EQ(Wert_2_Wert4KeyFeld(name),
                  QLatin1String("X") + QLatin1Char(expected) + QLatin1String("Y"))
            << int(c);
    }
}

TEST(KeyFeld, IsIdempotentAndCommandLineSafe) {
    for (const QString& name : {QStringLiteral("Jahres liste 2026"), QStringLiteral("Ärger & Öl"),
                                QStringLiteral("x😀y"), QStringLiteral("é\tñ")}) {
        const QString key = Wert_2_Wert4KeyFeld(name);
        EXPECT_EQ(Wert_2_Wert4KeyFeld(key), key);
        for (const QChar c : key) {
            EXPECT_TRUE((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                        (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_'))
                << key.toStdString();
        }
    }
}

TEST(Ansi, Windows1252RoundTripsItsCharactersAndLosesOthers) {
    const QString text = QStringLiteral("Grüße € „Zitat“ – ß");
    EXPECT_EQ(VKO_AnsiToString(VKO_AnsiFromString(text)), text);
    EXPECT_EQ(VKO_AnsiFromString(QStringLiteral("€")), QByteArray("\x80"));
    EXPECT_EQ(VKO_AnsiFromString(QStringLiteral("a😀b→c")), QByteArray("a?b?c"));
    QByteArray all;
    for (int i = 0; i < 256; ++i) {
        all.append(static_cast<char>(i));
    }
    EXPECT_EQ(VKO_AnsiFromString(VKO_AnsiToString(all)), all);
}

TEST(Ansi, DecodeTextHonoursAByteOrderMark) {
    EXPECT_EQ(VKO_DecodeText(QByteArray("\xEF\xBB\xBFgr\xC3\xBC\xC3\x9F")), QStringLiteral("grüß"));
    EXPECT_EQ(VKO_DecodeText(QByteArray("gr\xFC\xDF")), QStringLiteral("grüß"));
    EXPECT_EQ(VKO_DecodeText(QByteArray("\xFF\xFE"
                                        "a\0b\0",
                                        6)),
              QStringLiteral("ab"));
}

TEST(TextLines, EveryLineBreakEndsALineAndTheLastOpensNone) {
    EXPECT_EQ(VKO_TextLines(QStringLiteral("a\r\nb\nc\rd")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                           QStringLiteral("d")}));
    EXPECT_EQ(VKO_TextLines(QStringLiteral("a\r\n")), QStringList{QStringLiteral("a")});
    EXPECT_EQ(VKO_TextLines(QStringLiteral("a\r\n\r\nb")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_TRUE(VKO_TextLines(QString()).isEmpty());
    EXPECT_EQ(VKO_DecodeUtf8Text(QByteArray("\xEF\xBB\xBFx=\xC3\xA4")), QStringLiteral("x=ä"));
}

TEST(IntTrio, ParsesPlainDecimalsWithinThirtyTwoBits) {
    EXPECT_EQ(vko_String2TIntTrio(QStringLiteral(" +1 ; -0 ;2147483647 ")),
              (TIntTrio{1, 0, 2147483647}));
    EXPECT_THROW(vko_String2TIntTrio(QStringLiteral("1;2;2147483648")), EVKO_Error);
    EXPECT_THROW(vko_String2TIntTrio(QStringLiteral("1;2;-")), EVKO_Error);
    EXPECT_THROW(vko_String2TIntTrio(QStringLiteral("1;2;٣")), EVKO_Error);
}

TEST(StringPool, ActiveScopesShareEqualTextsAndNothingElseChanges) {
    const QString outside = VKO_Intern(u"#VON#");
    TVKO_StringPool pool;
    {
        const TVKO_StringPoolScope scope(pool);
        QString first = VKO_Intern(u"#VON#");
        const QString second = VKO_Intern(QStringLiteral("x#VON#").mid(1));
        EXPECT_TRUE(first.isSharedWith(second));
        EXPECT_FALSE(first.isSharedWith(outside));
        first.append(QLatin1Char('!'));
        EXPECT_EQ(second, QStringLiteral("#VON#"));
        const QString longText(TVKO_StringPool::CMaxLength + 1, QLatin1Char('x'));
        EXPECT_FALSE(VKO_Intern(longText).isSharedWith(VKO_Intern(longText)));
    }
    EXPECT_FALSE(VKO_Intern(u"#VON#").isSharedWith(VKO_Intern(u"#VON#")));
}
