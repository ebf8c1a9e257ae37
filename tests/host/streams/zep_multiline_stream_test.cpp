#include <gtest/gtest.h>

#include <QBuffer>

#include "vko_info.h"
#include "zep_multiline_stream.h"

namespace {

QByteArray Saved(const TZEP_MultiLine_Stream& AContainer) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    AContainer.SaveFullData(buffer);
    return buffer.data();
}

void Load(TZEP_MultiLine_Stream& AContainer, const QByteArray& ABytes) {
    QBuffer buffer;
    buffer.setData(ABytes);
    buffer.open(QIODevice::ReadOnly);
    AContainer.LoadFullData(buffer);
}

QString ErrorOf(const QByteArray& ABytes) {
    TZEP_MultiLine_Stream container;
    try {
        Load(container, ABytes);
    } catch (const EVKO_Error& error) {
        return error.Text();
    }
    return {};
}

}  // namespace

TEST(MultiLineStream, PartsRoundTripWithTheirCountAndStopAtTheirEnd) {
    TZEP_MultiLine_Stream container;
    container.SetLineCount(3);
    container.SetCurrentLine(0);
    container.Write("null");
    container.SetCurrentLine(2);
    container.Write("zwei");
    container.Seek(1);
    container.Write("WEIX");
    container.Stream().write("!");

    QByteArray bytes = Saved(container) + "danach";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TZEP_MultiLine_Stream read;
    read.LoadFullData(buffer);
    EXPECT_EQ(buffer.readAll(), QByteArray("danach"));
    ASSERT_EQ(read.LineCount(), 3);
    read.SetCurrentLine(0);
    EXPECT_EQ(read.ReadAll(), QByteArray("null"));
    read.SetCurrentLine(1);
    EXPECT_EQ(read.Size(), 0);
    read.SetCurrentLine(2);
    EXPECT_EQ(read.LineData(), QByteArray("zWEIX!"));
    EXPECT_EQ(read.Read(2), QByteArray("zW"));
    EXPECT_EQ(read.Position(), 2);
}

TEST(MultiLineStream, SelectingAPartThatDoesNotExistIsAnError) {
    TZEP_MultiLine_Stream container;
    container.SetLineCount(2);
    EXPECT_THROW(container.SetCurrentLine(2), EVKO_Error);
    EXPECT_THROW(container.SetCurrentLine(-1), EVKO_Error);
    EXPECT_THROW(container.SetLineCount(-1), EVKO_Error);
}

TEST(MultiLineStream, DamagedDataIsAClearErrorWithoutALargeAllocation) {
    TZEP_MultiLine_Stream container;
    container.SetLineCount(2);
    container.SetCurrentLine(1);
    container.Write("Inhalt");
    const QByteArray good = Saved(container);

    EXPECT_TRUE(ErrorOf(QByteArray()).contains(QStringLiteral("unvollständig")));
    EXPECT_TRUE(ErrorOf("XXXX").contains(QStringLiteral("ZMLS")));
    for (int cut = 1; cut < good.size(); ++cut) {
        EXPECT_FALSE(ErrorOf(good.left(cut)).isEmpty()) << cut;
    }
    // A part claiming 4 GiB with six bytes present.
    QByteArray huge = good;
    huge[12] = '\xFF';
    huge[13] = '\xFF';
    huge[14] = '\xFF';
    huge[15] = '\xFF';
    EXPECT_TRUE(ErrorOf(huge).contains(QStringLiteral("unvollständig")));
    QByteArray manyParts = good;
    manyParts[7] = '\x7F';
    EXPECT_TRUE(ErrorOf(manyParts).contains(QStringLiteral("beschädigt")));
}
