// Replays the seed corpus and every input a fuzzer once found a fault with; each must be read
// or refused with a clear error, never crash.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "md_fuzz_targets.h"

namespace {

int ReplayFolder(const QString& AFolder, const std::function<void(const QByteArray&)>& ATarget) {
    int count = 0;
    for (const QFileInfo& entry : QDir(AFolder).entryInfoList(QDir::Files)) {
        QFile file(entry.filePath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << entry.filePath().toStdString();
        SCOPED_TRACE(entry.filePath().toStdString());
        ATarget(file.readAll());
        ++count;
    }
    return count;
}

void Replay(const char* AName, const std::function<void(const QByteArray&)>& ATarget) {
    const QString name = QString::fromLatin1(AName);
    EXPECT_GT(ReplayFolder(QStringLiteral(MD_FUZZ_CORPUS_DIR "/") + name, ATarget), 0);
    ReplayFolder(QStringLiteral(MD_TEST_DATA_DIR "/fuzz_regressions/") + name, ATarget);
}

}  // namespace

TEST(FuzzRegression, MandorelStream) {
    Replay("mandorel_stream", MD_Fuzz_MandorelStream);
}

TEST(FuzzRegression, MultiLineStream) {
    Replay("multiline_stream", MD_Fuzz_MultiLineStream);
}

TEST(FuzzRegression, SequenceText) {
    Replay("sequence_text", MD_Fuzz_SequenceText);
}

TEST(FuzzRegression, SequenceStream) {
    Replay("sequence_stream", MD_Fuzz_SequenceStream);
}

TEST(FuzzRegression, CatalogueIni) {
    Replay("catalogue_ini", MD_Fuzz_CatalogueIni);
}
