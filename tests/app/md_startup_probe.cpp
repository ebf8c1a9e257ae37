// Starts Mandorel with the real start-up code, but plays into the file "gespielt.txt" of the
// data folder instead of driving windows. With MD_PROBE_FAIL set, every run fails.
#include <QFile>

#include "md_startup.h"
#include "vko_folder.h"
#include "vko_info.h"
#include "zep_ga_player.h"

namespace {

class TFilePlayer : public TZEP_GA_Player {
public:
    void PlaySequence(const TZEP_GA_Sequence& ASequence) override {
        if (!qEnvironmentVariableIsEmpty("MD_PROBE_FAIL")) {
            throw EVKO_Error(qEnvironmentVariable("MD_PROBE_FAIL"));
        }
        QFile file(VKO_FilePath(TVKOFolder::Daten, QStringLiteral("gespielt.txt")));
        if (!file.open(QIODevice::Append)) {
            throw EVKO_Error(file.errorString());
        }
        file.write((ASequence.TargetProgramFile() + QLatin1Char('\n') + ASequence.ToText() +
                    QLatin1Char('\n'))
                       .toUtf8());
    }
};

}  // namespace

int main(int argc, char** argv) {
    return MD_Programmstart(argc, argv, [] { return std::make_unique<TFilePlayer>(); });
}
