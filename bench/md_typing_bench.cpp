// Fills the store and the program directory of $HOME for the typing comparison of
// scripts/bench.sh: "Tippen" (program XTERM) starts an xterm that reads one line, waits for it
// and types the text this program prints, then Return.
//   md_typing_bench <characters>
#include <stdexcept>

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "md_mandorel.h"
#include "md_processor.h"
#include "vko_folder.h"
#include "zep_ga_player.h"
#include "zep_menu_file.h"

namespace {

class TSilentPlayer : public TZEP_GA_Player {
public:
    void PlaySequence(const TZEP_GA_Sequence&) override {}
};

// Letters, digits, capitals and punctuation, as a report's input mixes them; no quote, so the
// text stands in a TYPE step and on a shell's command line as it is.
QString Text(int ACount) {
    const QString pattern = QStringLiteral("Bericht 2025-03, Filiale Nord: 17 Posten. ");
    QString text;
    while (text.size() < ACount) {
        text += pattern;
    }
    return text.left(ACount);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    QFile directory(
        VKO_FilePath(TVKOFolder::Einstellungen, QString::fromLatin1(CZEP_MenuFileName), true));
    if (!directory.open(QIODevice::WriteOnly)) {
        throw std::runtime_error("the program directory cannot be written");
    }
    directory.write("[XTERM]\nNAME=Terminal\nCOMMAND=xterm -T Tippziel -e sh -c \"read zeile\"\n");
    directory.close();

    TZEP_MD_Processor processor(std::make_unique<TSilentPlayer>());
    processor.Load_Reports();
    auto tippen = TZEP_MD_Mandorel::CreateNew(QStringLiteral("Tippen"), QStringLiteral("XTERM"));
    tippen->Sequence().SetTargetProgramFile(QStringLiteral("XTERM"));
    tippen->Sequence().LoadFromText(
        QStringLiteral("START; WAIT \"Tippziel\" ms=20000; TYPE \"%1\"; KEYS \"Return\"")
            .arg(Text(count)));
    if (!processor.Add_Mandorel(tippen, nullptr)) {
        throw std::runtime_error("the typing Mandorel is stored already");
    }
    processor.Save_Reports();
    std::printf("%s\n", Text(count).toUtf8().constData());
    return 0;
}
