#include <gtest/gtest.h>

#include <QBuffer>

#include "md_mandorel.h"
#include "md_test_support.h"
#include "vko_info.h"
#include "vko_keyfeld.h"
#include "zep_multiline_stream.h"

namespace {

std::unique_ptr<TZEP_MD_Mandorel> Monatsliste() {
    auto mandorel =
        TZEP_MD_Mandorel::CreateNew(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    mandorel->Sequence().SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    mandorel->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("LISTE_A")});
    mandorel->TokenValues().insert(QStringLiteral("#VON#"),
                                   QStringLiteral("#MONAT_NAECHSTER_ANFANG#"));
    return mandorel;
}

QByteArray Saved(const TZEP_MD_Mandorel& AMandorel) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    AMandorel.SaveToStream(buffer);
    return buffer.data();
}

// The parts of a container, for building and inspecting streams.
QList<QByteArray> Parts(const QByteArray& AStream) {
    QByteArray bytes = AStream;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TZEP_MultiLine_Stream container;
    container.LoadFullData(buffer);
    QList<QByteArray> parts;
    for (int i = 0; i < container.LineCount(); ++i) {
        container.SetCurrentLine(i);
        parts.append(container.LineData());
    }
    return parts;
}

QByteArray Container(const QList<QByteArray>& AParts) {
    TZEP_MultiLine_Stream container;
    container.SetLineCount(static_cast<int>(AParts.size()));
    for (int i = 0; i < AParts.size(); ++i) {
        container.SetCurrentLine(i);
        container.Write(AParts[i]);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    container.SaveFullData(buffer);
    return buffer.data();
}

bool Load(TZEP_MD_Mandorel& AMandorel, const QByteArray& AStream, const QString& AName = {},
          const QString& AProgramm = {}) {
    QByteArray bytes = AStream;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return AMandorel.LoadFromStream(buffer, AName, AProgramm);
}

const QByteArray CDirectory =
    "content\r\nsequence\r\ndescription\r\nauswertungsgrund\r\ntokenvalues\r\nplanids\r\n"
    "program\r\nname\r\n";

}  // namespace

TEST(Mandorel, StreamHasTheEightPartsOfTheFormat) {
    const QList<QByteArray> parts = Parts(Saved(*Monatsliste()));
    ASSERT_EQ(parts.size(), 8);
    EXPECT_EQ(parts[0], CDirectory);
    EXPECT_EQ(parts[4], QByteArray("#VON#=#MONAT_NAECHSTER_ANFANG#\r\n"));
    EXPECT_EQ(parts[5], QByteArray());
    EXPECT_EQ(parts[6], QByteArray("PLON"));
    EXPECT_EQ(parts[7], QByteArray("Monatsliste"));
    EXPECT_EQ(parts[2], QByteArray());
    EXPECT_EQ(Saved(*Monatsliste()), ReadTestData(QStringLiteral("monatsliste.mdex")));
}

TEST(Mandorel, ArgumentsTakePrecedenceOverTheStoredNameAndProgram) {
    const QByteArray stream = Saved(*Monatsliste());
    TZEP_MD_Mandorel other;
    EXPECT_TRUE(Load(other, stream, QStringLiteral("Jahresliste"), QStringLiteral("KUDRE")));
    EXPECT_EQ(other.Name_Anzeige(), QStringLiteral("Jahresliste"));
    EXPECT_EQ(other.Programm(), QStringLiteral("KUDRE"));
    EXPECT_EQ(other.Name_Key(), QStringLiteral("JAHRESLISTE"));

    TZEP_MD_Mandorel own;
    EXPECT_TRUE(Load(own, stream));
    EXPECT_EQ(own.Name_Anzeige(), QStringLiteral("Monatsliste"));
    EXPECT_EQ(own.Programm(), QStringLiteral("PLON"));
    EXPECT_EQ(own.Name_Key(), QStringLiteral("MONATSLISTE"));
    EXPECT_EQ(own.TokenValues(), Monatsliste()->TokenValues());
    EXPECT_EQ(own.Sequence().Actions(), Monatsliste()->Sequence().Actions());
    EXPECT_EQ(own.Sequence().TargetProgramFile(), QStringLiteral("PLON.EXE"));
    EXPECT_EQ(own.Modify_Marker(), TZEP_DataOperation::None);

    // Blank arguments count as empty.
    TZEP_MD_Mandorel blank;
    Load(blank, stream, QStringLiteral("  "), QStringLiteral(" "));
    EXPECT_EQ(blank.Name_Anzeige(), QStringLiteral("Monatsliste"));
    EXPECT_EQ(blank.Programm(), QStringLiteral("PLON"));
}

TEST(Mandorel, AllFieldsRoundTrip) {
    auto mandorel = Monatsliste();
    mandorel->SetAuswertungs_Beschreibung(QStringLiteral("Umsätze je Filiale\r\nmit Summen"));
    mandorel->SetAuswertungs_Grund(QStringLiteral("Monatsabschluss "));
    mandorel->TokenValues().insert(QStringLiteral("#P#"), QStringLiteral("x=1"));
    mandorel->TokenValues().insert(QStringLiteral("#KENNWORT#"), QStringLiteral("äöü€"));
    mandorel->PlanIds() = {TIntTrio{1, 2, 3}, TIntTrio{4, 5, 6}};
    TZEP_MD_Mandorel read;
    ASSERT_TRUE(Load(read, Saved(*mandorel)));
    EXPECT_EQ(read.Auswertungs_Beschreibung(), mandorel->Auswertungs_Beschreibung());
    EXPECT_EQ(read.Auswertungs_Grund(), mandorel->Auswertungs_Grund());
    EXPECT_EQ(read.TokenValues(), mandorel->TokenValues());
    EXPECT_EQ(read.PlanIds(), mandorel->PlanIds());
}

TEST(Mandorel, WhatTheFormatCannotCarryIsLostAsDocumented) {
    auto mandorel = Monatsliste();
    mandorel->SetAuswertungs_Beschreibung(QStringLiteral("Preis in ₽ → neu"));
    mandorel->TokenValues().insert(QStringLiteral("#ZEILEN#"), QStringLiteral("a\r\nb"));
    TZEP_MD_Mandorel read;
    Load(read, Saved(*mandorel));
    EXPECT_EQ(read.Auswertungs_Beschreibung(), QStringLiteral("Preis in ? ? neu"));
    EXPECT_EQ(read.TokenValues().value(QStringLiteral("#ZEILEN#")), QStringLiteral("a"));
    EXPECT_TRUE(read.TokenValues().contains(QStringLiteral("b")));
}

TEST(Mandorel, ReaderFollowsTheDirectoryNotThePartNumbers) {
    QList<QByteArray> parts = Parts(Saved(*Monatsliste()));
    parts[0] = "content\r\nSEQUENCE\r\nZukunft\r\nauswertungsgrund\r\ntokenvalues\r\n";
    parts[2] = "unbekannter Inhalt";
    parts[3] = "Grund";
    TZEP_MD_Mandorel read;
    read.PlanIds().append(TIntTrio{7, 7, 7});
    read.SetAuswertungs_Beschreibung(QStringLiteral("bleibt"));
    EXPECT_TRUE(Load(read, Container(parts)));
    EXPECT_EQ(read.Sequence().Count(), 1);
    EXPECT_EQ(read.Auswertungs_Grund(), QStringLiteral("Grund"));
    EXPECT_EQ(read.Auswertungs_Beschreibung(), QStringLiteral("bleibt"));
    EXPECT_EQ(read.PlanIds(), QList<TIntTrio>{(TIntTrio{7, 7, 7})});
    EXPECT_TRUE(read.Programm().isEmpty());
}

TEST(Mandorel, TokenValuesAreClearedEvenWithoutTheirPart) {
    QList<QByteArray> parts = Parts(Saved(*Monatsliste()));
    parts[0] = "content\r\nsequence\n";
    TZEP_MD_Mandorel read;
    read.TokenValues().insert(QStringLiteral("#ALT#"), QStringLiteral("1"));
    EXPECT_TRUE(Load(read, Container(parts)));
    EXPECT_TRUE(read.TokenValues().isEmpty());
}

TEST(Mandorel, TokenLinesSplitAtTheFirstEqualsAndLaterLinesWin) {
    QList<QByteArray> parts = Parts(Saved(*Monatsliste()));
    parts[4] = "\xEF\xBB\xBF#A#=1=2\r\n#B#\n#A#=3\r\n#C#=\xC3\xA4";
    TZEP_MD_Mandorel read;
    Load(read, Container(parts));
    EXPECT_EQ(read.TokenValues().value(QStringLiteral("#A#")), QStringLiteral("3"));
    EXPECT_TRUE(read.TokenValues().contains(QStringLiteral("#B#")));
    EXPECT_EQ(read.TokenValues().value(QStringLiteral("#B#")), QString());
    EXPECT_EQ(read.TokenValues().value(QStringLiteral("#C#")), QStringLiteral("ä"));

    parts[4] = "#P#=x=1\r\n";
    Load(read, Container(parts));
    EXPECT_EQ(read.TokenValues().value(QStringLiteral("#P#")), QStringLiteral("x=1"));
}

TEST(Mandorel, AStreamWithoutStepsReadsAsFalse) {
    auto empty = TZEP_MD_Mandorel::CreateNew(QStringLiteral("Leer"), QStringLiteral("PLON"));
    TZEP_MD_Mandorel read;
    EXPECT_FALSE(Load(read, Saved(*empty)));
    EXPECT_EQ(read.Name_Anzeige(), QStringLiteral("Leer"));
}

TEST(Mandorel, DamagedStreamsAreClearErrorsRegisteredUnderLoadFromStream) {
    const QByteArray good = Saved(*Monatsliste());
    QList<QByteArray> badPlan = Parts(good);
    badPlan[5] = "1;2;3\r\nkeine Id\r\n";
    QList<QByteArray> shortDirectory = Parts(good).mid(0, 3);
    QList<QByteArray> garbage = Parts(good);
    garbage[0] = QByteArray(40, '\x01') + "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
    QList<QByteArray> badSequence = Parts(good);
    badSequence[1] = "GASQ\x02\0\0\0xx";

    const QByteArray bad[] = {QByteArray(),
                              good.left(good.size() - 1),
                              "ZMLS\xFF\xFF\xFF\xFF",
                              Container(badPlan),
                              Container(shortDirectory),
                              Container(garbage),
                              Container(badSequence),
                              Container({})};
    for (const QByteArray& stream : bad) {
        TZEP_MD_Mandorel read;
        try {
            Load(read, stream);
            ADD_FAILURE() << "no error for " << stream.toHex().left(60).toStdString();
        } catch (const EVKO_Error& error) {
            EXPECT_FALSE(error.Text().isEmpty());
            const TVKO_FehlerInfo info = VKOInfo().FehlerInfo(std::current_exception());
            EXPECT_EQ(info.Chain.constLast(), QStringLiteral("TZEP_MD_Mandorel.LoadFromStream"));
        }
    }
}

TEST(Mandorel, ADamagedPlanIdNamesItsLineButNeverQuotesTheStoredText) {
    // A damaged directory can make the reader take token values, passwords among them, for
    // plan ids; the error reaches the log.
    QList<QByteArray> parts = Parts(Saved(*Monatsliste()));
    parts[5] = "1;2;3\r\n#KENNWORT#=Sesam-4711\r\n";
    TZEP_MD_Mandorel read;
    try {
        Load(read, Container(parts));
        ADD_FAILURE() << "a token line passed for a plan id";
    } catch (const EVKO_Error& error) {
        EXPECT_TRUE(error.Text().contains(QStringLiteral("Plan-Ids")))
            << error.Text().toStdString();
        EXPECT_TRUE(error.Text().contains(QStringLiteral("Zeile 2"))) << error.Text().toStdString();
        EXPECT_FALSE(error.Text().contains(QStringLiteral("Sesam"))) << error.Text().toStdString();
    }
}

TEST(Mandorel, CloneCopiesEverythingButTheMarkerAndIsIndependent) {
    auto mother = Monatsliste();
    mother->PlanIds().append(TIntTrio{1, 1, 1});
    mother->SetAuswertungs_Grund(QStringLiteral("Grund"));
    auto clone = TZEP_MD_Mandorel::Clone(*mother);
    EXPECT_EQ(clone->Modify_Marker(), TZEP_DataOperation::None);
    EXPECT_EQ(Saved(*clone), Saved(*mother));
    clone->Sequence().Clear();
    clone->TokenValues().clear();
    EXPECT_EQ(mother->Sequence().Count(), 1);
    EXPECT_EQ(mother->TokenValues().size(), 1);
}

TEST(Mandorel, CreateNewSetsTheKeyAndMarksAnInsert) {
    auto mandorel =
        TZEP_MD_Mandorel::CreateNew(QStringLiteral("Größe Übersicht"), QStringLiteral("KUDRE"));
    EXPECT_EQ(mandorel->Name_Key(), QStringLiteral("GROESSE_UEBERSICHT"));
    EXPECT_EQ(mandorel->Modify_Marker(), TZEP_DataOperation::Insert);
    TZEP_MD_Mandorel empty;
    EXPECT_EQ(empty.Modify_Marker(), TZEP_DataOperation::None);
    EXPECT_TRUE(empty.Name_Key().isEmpty());
}

namespace {

bool LoadBytes(TZEP_MD_Mandorel& AMandorel, const QByteArray& AStream) {
    return AMandorel.LoadFromBytes(AStream, QString(), QString());
}

}  // namespace

TEST(Mandorel, ReadingFromBytesGivesWhatReadingFromAStreamGives) {
    auto mandorel = Monatsliste();
    mandorel->SetAuswertungs_Beschreibung(QStringLiteral("Umsätze"));
    mandorel->PlanIds() = {TIntTrio{1, 2, 3}};
    const QByteArray stream = Saved(*mandorel);
    TZEP_MD_Mandorel fromBytes;
    TZEP_MD_Mandorel fromStream;
    EXPECT_TRUE(LoadBytes(fromBytes, stream));
    EXPECT_TRUE(Load(fromStream, stream));
    EXPECT_EQ(fromBytes.Name_Key(), QStringLiteral("MONATSLISTE"));
    EXPECT_EQ(Saved(fromBytes), Saved(fromStream));
    EXPECT_EQ(Saved(*TZEP_MD_Mandorel::Clone(fromBytes)), stream);

    TZEP_MD_Mandorel empty;
    EXPECT_FALSE(LoadBytes(empty, Saved(*TZEP_MD_Mandorel::CreateNew(QStringLiteral("Leer"),
                                                                     QStringLiteral("PLON")))));
}

TEST(Mandorel, AChangeBeforeTheFirstReadIsNotOverwrittenByTheStoredFields) {
    TZEP_MD_Mandorel mandorel;
    auto stored = Monatsliste();
    stored->SetAuswertungs_Grund(QStringLiteral("alt"));
    ASSERT_TRUE(LoadBytes(mandorel, Saved(*stored)));
    mandorel.SetAuswertungs_Grund(QStringLiteral("neu"));
    EXPECT_EQ(mandorel.Auswertungs_Grund(), QStringLiteral("neu"));
    EXPECT_EQ(mandorel.Sequence().Count(), 1);
    EXPECT_EQ(mandorel.TokenValues().size(), 1);

    // A second stream without plan ids keeps those of the first, read or not.
    stored->PlanIds() = {TIntTrio{9, 9, 9}};
    TZEP_MD_Mandorel twice;
    ASSERT_TRUE(LoadBytes(twice, Saved(*stored)));
    QList<QByteArray> parts = Parts(Saved(*stored));
    parts[0] = "content\r\nsequence\r\n";
    EXPECT_TRUE(LoadBytes(twice, Container(parts)));
    EXPECT_EQ(twice.PlanIds(), QList<TIntTrio>{(TIntTrio{9, 9, 9})});
}

TEST(Mandorel, ReadingFromBytesFindsEveryDamageAtOnce) {
    const QByteArray good = Saved(*Monatsliste());
    QList<QByteArray> badSequence = Parts(good);
    badSequence[1][36] = '\x09';
    QList<QByteArray> oddText = Parts(good);
    oddText[1][12] = '\x07';
    QList<QByteArray> badPlan = Parts(good);
    badPlan[5] = "1;2\r\n";
    for (const QByteArray& stream :
         {Container(badSequence), Container(oddText), Container(badPlan), good.left(40)}) {
        TZEP_MD_Mandorel read;
        EXPECT_THROW(LoadBytes(read, stream), EVKO_Error) << stream.toHex().toStdString();
    }
}

TEST(Mandorel, PlanIdsInEveryFormAreJudgedAtLoadAsTheyAreWhenDecoded) {
    const QList<QByteArray> parts = Parts(Saved(*Monatsliste()));
    const auto withPlanIds = [&parts](const QByteArray& APlanIds) {
        QList<QByteArray> changed = parts;
        changed[5] = APlanIds;
        return Container(changed);
    };
    const std::vector<std::pair<QByteArray, QList<TIntTrio>>> valid{
        {"1;2;3\r\n4;5;6\r\n", {TIntTrio{1, 2, 3}, TIntTrio{4, 5, 6}}},
        {"1;2;3\n\n4;5;6", {TIntTrio{1, 2, 3}, TIntTrio{4, 5, 6}}},
        {"999999999;0;000000007\r", {TIntTrio{999999999, 0, 7}}},
        {" 1 ; 2 ; 3 \r\n", {TIntTrio{1, 2, 3}}},
        {"-1;+2;2147483647\r\n", {TIntTrio{-1, 2, 2147483647}}},
        {"\r\n", {}},
    };
    for (const auto& [planIds, expected] : valid) {
        TZEP_MD_Mandorel read;
        ASSERT_TRUE(LoadBytes(read, withPlanIds(planIds))) << planIds.toStdString();
        EXPECT_EQ(read.PlanIds(), expected) << planIds.toStdString();
    }
    for (const QByteArray planIds :
         {"123\r\n", "1;2;\r\n", ";1;2\r\n", "1;;3\r\n", "1;2;3;4\r\n", "1;2\r\n",
          "1;2;9999999999\r\n", "1;2;3\r\n4;5\r\n", "1;2;3x\r\n", "1;2;2147483648\r\n"}) {
        TZEP_MD_Mandorel read;
        try {
            std::ignore = LoadBytes(read, withPlanIds(planIds));
            ADD_FAILURE() << "no error for " << planIds.toStdString();
        } catch (const EVKO_Error& error) {
            EXPECT_TRUE(error.Text().contains(QStringLiteral("Plan-Ids")))
                << error.Text().toStdString();
        }
    }
}
