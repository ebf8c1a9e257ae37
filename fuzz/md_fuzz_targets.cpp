#include "md_fuzz_targets.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "md_mandorel.h"
#include "md_templates.h"
#include "md_tokenlist.h"
#include "vko_folder.h"
#include "vko_info.h"
#include "zep_ga_sequence.h"
#include "zep_multiline_stream.h"

namespace {

void Require(bool ACondition, const char* AWhat) {
    if (!ACondition) {
        std::fprintf(stderr, "fuzz property violated: %s\n", AWhat);
        std::abort();
    }
}

template <typename TWrite>
QByteArray Written(TWrite&& AWrite) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    AWrite(buffer);
    return buffer.data();
}

template <typename TRead>
bool ReadsWithoutError(const QByteArray& ABytes, TRead&& ARead) {
    QByteArray bytes = ABytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        ARead(buffer);
        return true;
    } catch (const EVKO_Error&) {
        VKOInfo().ResetErrorSpezNoWrite();
        return false;
    }
}

}  // namespace

void MD_Fuzz_MandorelStream(const QByteArray& ABytes) {
    TZEP_MD_Mandorel mandorel;
    bool hasStep = false;
    const bool read = ReadsWithoutError(ABytes, [&](QIODevice& AStream) {
        hasStep = mandorel.LoadFromStream(AStream, QString(), QString());
    });
    // The store reads from bytes and decodes later; it must accept exactly the same streams.
    TZEP_MD_Mandorel fromBytes;
    bool bytesHaveStep = false;
    bool bytesRead = true;
    try {
        bytesHaveStep = fromBytes.LoadFromBytes(ABytes, QString(), QString());
    } catch (const EVKO_Error&) {
        VKOInfo().ResetErrorSpezNoWrite();
        bytesRead = false;
    }
    Require(read == bytesRead, "bytes and stream readers disagree on a stream");
    if (!read) {
        return;
    }
    Require(hasStep == bytesHaveStep, "bytes and stream readers disagree on the steps");
    Require(Written([&](QIODevice& AStream) { fromBytes.SaveToStream(AStream); }) ==
                Written([&](QIODevice& AStream) { mandorel.SaveToStream(AStream); }),
            "bytes and stream readers read different Mandorele");
    // What was read once is written and read again to the same stream.
    const QByteArray first = Written([&](QIODevice& AStream) { mandorel.SaveToStream(AStream); });
    TZEP_MD_Mandorel again;
    bool againHasStep = false;
    Require(ReadsWithoutError(first,
                              [&](QIODevice& AStream) {
                                  againHasStep =
                                      again.LoadFromStream(AStream, QString(), QString());
                              }),
            "a written Mandorel does not read back");
    Require(againHasStep == hasStep, "a written Mandorel reads back with other steps");
    const QByteArray second = Written([&](QIODevice& AStream) { again.SaveToStream(AStream); });
    Require(first == second, "a Mandorel changes on its second round trip");
}

void MD_Fuzz_MultiLineStream(const QByteArray& ABytes) {
    TZEP_MultiLine_Stream container;
    qint64 consumed = 0;
    if (!ReadsWithoutError(ABytes, [&](QIODevice& AStream) {
            container.LoadFullData(AStream);
            consumed = AStream.pos();
        })) {
        return;
    }
    const QByteArray written =
        Written([&](QIODevice& AStream) { container.SaveFullData(AStream); });
    Require(written == ABytes.left(consumed), "the container does not write what it read");
}

void MD_Fuzz_SequenceText(const QByteArray& ABytes) {
    TZEP_GA_Sequence sequence;
    try {
        sequence.LoadFromText(QString::fromUtf8(ABytes));
    } catch (const EVKO_Error&) {
        VKOInfo().ResetErrorSpezNoWrite();
        return;
    }
    TZEP_GA_Sequence again;
    again.LoadFromText(sequence.ToText());
    Require(again.Actions() == sequence.Actions(), "the text form does not round-trip");
}

void MD_Fuzz_SequenceStream(const QByteArray& ABytes) {
    TZEP_GA_Sequence sequence;
    qint64 consumed = 0;
    if (!ReadsWithoutError(ABytes, [&](QIODevice& AStream) {
            sequence.LoadFromStream(AStream);
            consumed = AStream.pos();
        })) {
        return;
    }
    const QByteArray written = Written([&](QIODevice& AStream) { sequence.SaveToStream(AStream); });
    Require(written == ABytes.left(consumed), "the sequence does not write what it read");
}

void MD_Fuzz_CatalogueIni(const QByteArray& ABytes) {
    // The catalogue is read from the settings folder, so the fuzzer gets a HOME of its own.
    static QTemporaryDir home;
    static const bool homeSet = [] {
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        return true;
    }();
    Require(homeSet && home.isValid(), "no temporary HOME");
    QFile file(VKO_FilePath(TVKOFolder::Einstellungen, QStringLiteral("MD_Templates.ini")));
    Require(file.open(QIODevice::WriteOnly) && file.write(ABytes) == ABytes.size(),
            "the catalogue cannot be written");
    file.close();
    try {
        const TZEP_MD_Tokenlist tokens;
        TZEP_MD_TemplateList catalogue;
        catalogue.LoadTemplates();
        catalogue.Enum_Templates(
            [&](const TZEP_MD_Template& ATemplate) {
                TZEP_GA_Sequence target;
                Require(catalogue.Expand_Template(ATemplate.Kennung(), target, tokens),
                        "a listed template does not expand");
                Require(target.Count() == ATemplate.Count(), "expansion lost actions");
                catalogue.Enum_FolgeTemplates([](const TZEP_MD_Template&) {}, ATemplate.Kennung());
            },
            false, QString());
    } catch (const EVKO_Error&) {
        VKOInfo().ResetErrorSpezNoWrite();
    }
}
