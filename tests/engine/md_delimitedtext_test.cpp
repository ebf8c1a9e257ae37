#include <gtest/gtest.h>

#include "md_delimitedtext.h"

namespace {

QStringList Split(const char* AText) {
    return MD_SplitDelimited(QString::fromUtf8(AText), QLatin1Char(';'));
}

QStringList List(std::initializer_list<const char*> AItems) {
    QStringList list;
    for (const char* item : AItems) {
        list.append(QString::fromUtf8(item));
    }
    return list;
}

}  // namespace

TEST(MDDelimitedText, SemicolonsBlanksAndControlCharactersEndAnItem) {
    EXPECT_EQ(Split("LISTE_B;LISTE_C"), List({"LISTE_B", "LISTE_C"}));
    EXPECT_EQ(Split("LISTE_B LISTE_C"), List({"LISTE_B", "LISTE_C"}));
    EXPECT_EQ(Split("  LISTE_B ;\tLISTE_C  "), List({"LISTE_B", "LISTE_C"}));
    EXPECT_EQ(Split("A\x01"
                    "B"),
              List({"A", "B"}));
    EXPECT_EQ(Split("liste_b"), List({"liste_b"}));
}

TEST(MDDelimitedText, EmptyItems) {
    EXPECT_EQ(Split(""), QStringList());
    EXPECT_EQ(Split("   "), QStringList());
    EXPECT_EQ(Split("A;;B"), List({"A", "", "B"}));
    EXPECT_EQ(Split("A;"), List({"A", ""}));
    EXPECT_EQ(Split(";"), List({"", ""}));
    EXPECT_EQ(Split(";A"), List({"", "A"}));
}

TEST(MDDelimitedText, QuotedItemsHoldBlanksSemicolonsAndDoubledQuotes) {
    EXPECT_EQ(Split("\"Liste A\";B"), List({"Liste A", "B"}));
    EXPECT_EQ(Split("\"A;B\" C"), List({"A;B", "C"}));
    EXPECT_EQ(Split("\"sagt \"\"ja\"\"\""), List({"sagt \"ja\""}));
    EXPECT_EQ(Split("\"\";B"), List({"", "B"}));
    EXPECT_EQ(Split("\"offen; bis zum Ende"), List({"offen; bis zum Ende"}));
    EXPECT_EQ(Split("\"A\"B"), List({"A", "B"}));
}
