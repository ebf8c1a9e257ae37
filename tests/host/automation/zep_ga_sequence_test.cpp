#include <gtest/gtest.h>

#include <QBuffer>
#include <QRandomGenerator>
#include <iterator>

#include "vko_info.h"
#include "zep_ga_arguments.h"
#include "zep_ga_sequence.h"

namespace {

TZEP_GA_SingleAction Action(TZEP_GA_ActionKind AKind, const QString& AText = {}, qint32 AX = 0,
                            qint32 AY = 0, qint32 AMs = 0) {
    return TZEP_GA_SingleAction{AKind, AText, AX, AY, AMs};
}

TZEP_GA_Sequence Sample() {
    TZEP_GA_Sequence sequence;
    sequence.SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    sequence.Append(Action(TZEP_GA_ActionKind::StartProgram));
    sequence.Append(
        Action(TZEP_GA_ActionKind::WaitWindow, QStringLiteral("PLON – Auswertung"), 0, 0, 15000));
    sequence.Append(Action(TZEP_GA_ActionKind::Click, {}, 40, -80));
    sequence.Append(Action(TZEP_GA_ActionKind::TypeText, QStringLiteral("#VON#")));
    sequence.Append(Action(TZEP_GA_ActionKind::PressKeys, QStringLiteral("ctrl+s Tab")));
    sequence.Append(Action(TZEP_GA_ActionKind::Pause, {}, 0, 0, 500));
    sequence.Append(Action(TZEP_GA_ActionKind::Template, QStringLiteral("LISTE_A")));
    return sequence;
}

QByteArray Saved(const TZEP_GA_Sequence& ASequence) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASequence.SaveToStream(buffer);
    return buffer.data();
}

QString LoadError(const QByteArray& ABytes) {
    QByteArray bytes = ABytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TZEP_GA_Sequence sequence = Sample();
    try {
        sequence.LoadFromStream(buffer);
    } catch (const EVKO_Error& error) {
        EXPECT_EQ(sequence.Actions(), Sample().Actions()) << "a failed read changed the content";
        return error.Text();
    }
    return {};
}

QString TextError(const QString& AText) {
    TZEP_GA_Sequence sequence;
    try {
        sequence.LoadFromText(AText);
    } catch (const EVKO_Error& error) {
        return error.Text();
    }
    return {};
}

}  // namespace

TEST(GASequence, IsFirstInFirstOutAndEnumeratesCopies) {
    TZEP_GA_Sequence sequence = Sample();
    QList<TZEP_GA_SingleAction> copy = sequence.Actions();
    copy[0].Text = QStringLiteral("geändert");
    EXPECT_TRUE(sequence.Action(0).Text.isEmpty());
    EXPECT_EQ(sequence.Action(6).Text, QStringLiteral("LISTE_A"));
    sequence.Clear();
    EXPECT_EQ(sequence.Count(), 0);
    EXPECT_EQ(sequence.TargetProgramFile(), QStringLiteral("PLON.EXE"));
}

TEST(GASequence, StreamFormRoundTripsAndStopsExactlyAtItsEnd) {
    QByteArray bytes = Saved(Sample()) + "FOLGT";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TZEP_GA_Sequence read;
    read.Append(Action(TZEP_GA_ActionKind::Pause));
    read.LoadFromStream(buffer);
    EXPECT_EQ(read.Actions(), Sample().Actions());
    EXPECT_EQ(read.TargetProgramFile(), QStringLiteral("PLON.EXE"));
    EXPECT_EQ(buffer.readAll(), QByteArray("FOLGT"));
}

TEST(GASequence, DamagedStreamIsAClearErrorAndLeavesTheContent) {
    const QByteArray good = Saved(Sample());
    for (int cut = 0; cut < good.size(); ++cut) {
        EXPECT_FALSE(LoadError(good.left(cut)).isEmpty()) << cut;
    }
    EXPECT_TRUE(LoadError("NOPE").contains(QStringLiteral("GASQ")));

    QByteArray badKind = good;
    const qsizetype firstKind = 8 + 4 + 4 + 2 * QByteArrayLiteral("PLON.EXE").size() + 4;
    badKind[firstKind] = '\x09';
    EXPECT_TRUE(LoadError(badKind).contains(QStringLiteral("unbekannte Art 9")));

    QByteArray hugeCount = good;
    hugeCount[firstKind - 1] = '\x7F';
    EXPECT_TRUE(LoadError(hugeCount).contains(QStringLiteral("Aktionen angegeben")));

    QByteArray hugeBody = good;
    hugeBody[7] = '\x7F';
    EXPECT_TRUE(LoadError(hugeBody).contains(QStringLiteral("unvollständig")));
}

TEST(GASequence, TextFormIsReadableAndRoundTrips) {
    const QString text = Sample().ToText();
    EXPECT_EQ(text, QStringLiteral("START; WAIT \"PLON – Auswertung\" ms=15000; CLICK x=40 y=-80; "
                                   "TYPE \"#VON#\"; KEYS \"ctrl+s Tab\"; PAUSE ms=500; "
                                   "TEMPLATE \"LISTE_A\""));
    TZEP_GA_Sequence read;
    read.LoadFromText(text);
    EXPECT_EQ(read.Actions(), Sample().Actions());
    read.LoadFromText(QStringLiteral("  "));
    EXPECT_EQ(read.Count(), 0);
    read.LoadFromText(QStringLiteral("type   \"a\"  ;pause ms=1"));
    EXPECT_EQ(read.Count(), 2);
}

TEST(GASequence, EveryTextSurvivesTheTextForm) {
    const QString awkward[] = {QStringLiteral("a;b \"c\" \\d"),
                               QStringLiteral("Zeile 1\r\nZeile 2\tTab"),
                               QString(QChar(0x01)) + QChar(0x7F) + QStringLiteral(" x=1 ms=2"),
                               QString(QChar(0xD800)) + QStringLiteral("lone") + QChar(0xDC00),
                               QStringLiteral("😀 äöü € ;#"),
                               QStringLiteral(" leading and trailing ")};
    for (const QString& text : awkward) {
        TZEP_GA_Sequence sequence;
        sequence.Append(Action(TZEP_GA_ActionKind::TypeText, text, 1, 2, 3));
        const QString form = sequence.ToText();
        EXPECT_FALSE(form.contains(QLatin1Char('\n')) || form.contains(QLatin1Char('\r')));
        TZEP_GA_Sequence read;
        read.LoadFromText(form);
        ASSERT_EQ(read.Count(), 1);
        EXPECT_EQ(read.Action(0), sequence.Action(0)) << form.toStdString();
    }
}

TEST(GASequence, InvalidTextFormIsAClearErrorNamingThePlace) {
    EXPECT_TRUE(TextError(QStringLiteral("JUMP \"x\"")).contains(QStringLiteral("keine bekannte")));
    EXPECT_TRUE(TextError(QStringLiteral("TYPE \"offen")).contains(QStringLiteral("schließende")));
    EXPECT_TRUE(TextError(QStringLiteral("TYPE \"\\q\"")).contains(QStringLiteral("\\q")));
    EXPECT_TRUE(TextError(QStringLiteral("TYPE \"\\u{12345}\"")).contains(QStringLiteral("Hexa")));
    EXPECT_TRUE(TextError(QStringLiteral("PAUSE ms=")).contains(QStringLiteral("ganze Zahl")));
    EXPECT_TRUE(
        TextError(QStringLiteral("PAUSE ms=99999999999")).contains(QStringLiteral("ganze")));
    EXPECT_TRUE(TextError(QStringLiteral("CLICK z=3")).contains(QStringLiteral("x=, y=")));
    EXPECT_TRUE(TextError(QStringLiteral("START;")).contains(QStringLiteral("Stelle 7")));
    EXPECT_TRUE(TextError(QStringLiteral("TYPE \"a\" \"b\"")).contains(QStringLiteral("x=")));
}

TEST(GASequence, ToStringDescribesEachActionOnOneLine) {
    const QString text = Sample().ToString();
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));
    EXPECT_TRUE(text.contains(QStringLiteral("Text eingeben: „#VON#“")));
    EXPECT_TRUE(text.contains(QStringLiteral("PLON.EXE (7 Aktionen)")));
    // A placeholder of QString::arg in a text is no placeholder of the description.
    EXPECT_EQ(
        Action(TZEP_GA_ActionKind::WaitWindow, QStringLiteral("50%1 %2"), 0, 0, 300).ToString(),
        QStringLiteral("Auf das Fenster „50%1 %2“ warten (höchstens 300 ms)"));
}

TEST(GAArguments, EveryArgumentListSurvivesJoiningAndSplitting) {
    EXPECT_EQ(ZEP_GA_SplitArguments(u"\"/opt/suite/plon\" -mandant \"1 2\"  \"\" a\"\"\"b"),
              (QStringList{QStringLiteral("/opt/suite/plon"), QStringLiteral("-mandant"),
                           QStringLiteral("1 2"), QString(), QStringLiteral("a\"b")}));
    const QString pieces[] = {
        QStringLiteral("\""), QStringLiteral(" "), QStringLiteral("\t"),   QStringLiteral("\n"),
        QStringLiteral("a"),  QStringLiteral("#"), QStringLiteral("\"\""), QString()};
    QRandomGenerator random(4711);
    for (int round = 0; round < 3000; ++round) {
        QStringList arguments;
        for (int a = random.bounded(5); a >= 0; --a) {
            QString argument;
            for (int p = random.bounded(6); p > 0; --p) {
                argument += pieces[random.bounded(static_cast<int>(std::size(pieces)))];
            }
            arguments.append(argument);
        }
        const QString joined = ZEP_GA_JoinArguments(arguments);
        ASSERT_EQ(ZEP_GA_SplitArguments(joined), arguments) << joined.toStdString();
    }
}
