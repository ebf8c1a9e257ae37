// Test runs beside the user, against the sample program PLON on the display of the run
// (scripts/bench.sh starts it under xvfb-run):
// - extra start time of a run on a private display against one on the user's display;
// - CPU taken by the live picture while a run types (/proc/self/stat over the run);
// - keystrokes per second with and without the live picture.
//   md_beside_bench <plon_sample> [runs, default 5]
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <thread>

#include "vko_error.h"
#include "zep_ga_begleitung.h"
#include "zep_ga_player_x11.h"
#include "zep_ga_private_display.h"
#include "zep_ga_x11_bildquelle.h"

namespace {

const QString CStart = QStringLiteral("START; WAIT \"PLON – Personaleinsatzplanung\" ms=20000");
constexpr int CZeichen = 1000;

// User and system time of this process so far, in milliseconds.
double CpuMs() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray line = stat.readAll();
    const QList<QByteArray> felder = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = felder.value(11).toDouble() + felder.value(12).toDouble();
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

TZEP_GA_Sequence Folge(const QString& AText) {
    TZEP_GA_Sequence sequence;
    sequence.SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    sequence.LoadFromText(AText);
    return sequence;
}

struct TMessung {
    double WandMs = 0;
    double CpuMs = 0;
};

template <typename TFn>
TMessung Miss(TFn&& APlay) {
    QElapsedTimer timer;
    const double cpu = CpuMs();
    timer.start();
    APlay();
    return {static_cast<double>(timer.nsecsElapsed()) / 1e6, CpuMs() - cpu};
}

}  // namespace

int main(int argc, char** argv) try {
    QCoreApplication application(argc, argv);
    if (argc < 2 || qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "md_beside_bench <plon_sample> [runs], on an X display\n");
        return 2;
    }
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 5;
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    QDir().mkpath(home.filePath(QStringLiteral(".config/quandrix")));
    QFile directory(home.filePath(QStringLiteral(".config/quandrix/MD_Programme.ini")));
    directory.open(QIODevice::WriteOnly);
    directory.write(QStringLiteral("[PLON.EXE]\nNAME=Personaleinsatzplanung\nCOMMAND=\"%1\"\n")
                        .arg(QString::fromLocal8Bit(argv[1]))
                        .toUtf8());
    directory.close();

    TZEP_GA_Player_X11 player;
    const TZEP_GA_Sequence startStop = Folge(CStart + QStringLiteral("; KEYS \"ctrl+q\""));
    double eigen = 0;
    double benutzer = 0;
    for (int i = 0; i < runs; ++i) {
        benutzer += Miss([&] { player.PlaySequence(startStop); }).WandMs;
        TZEP_GA_Begleitung begleitung(QSize(1280, 1024));
        eigen += Miss([&] { player.PlayBeside(startStop, begleitung); }).WandMs;
    }
    std::printf(
        "Start and end of PLON, mean of %d: user's display %.0f ms, private display "
        "%.0f ms, extra %.0f ms\n",
        runs, benutzer / runs, eigen / runs, (eigen - benutzer) / runs);

    // The same typing on one private display, without and with its live picture.
    QString text;
    for (int i = 0; i < CZeichen; ++i) {
        text.append(QChar(u'a' + i % 26));
    }
    const TZEP_GA_Sequence tippen =
        Folge(CStart + QStringLiteral("; KEYS \"alt+a\"; TYPE \"%1\"; KEYS \"ctrl+q\"").arg(text));
    const TZEP_GA_PrivateDisplay display(QSize(1920, 1200));
    qputenv("DISPLAY", display.Name());
    TMessung ohne;
    TMessung mit;
    int bilder = 0;
    for (int i = 0; i < runs; ++i) {
        const TMessung a = Miss([&] { player.PlaySequence(tippen); });
        ohne.WandMs += a.WandMs;
        ohne.CpuMs += a.CpuMs;
        TZEP_GA_Begleitung begleitung;
        std::atomic<bool> ende{false};
        // The window's side: it takes each picture as it comes.
        std::thread fenster([&] {
            TZEP_GA_Bildschirm bild;
            while (!ende.load()) {
                bilder += begleitung.TakeBild(bild) ? 1 : 0;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        const TMessung b = Miss([&] {
            const TZEP_GA_X11Bildquelle quelle(display.Name(), begleitung);
            player.PlaySequence(tippen);
        });
        ende.store(true);
        fenster.join();
        mit.WandMs += b.WandMs;
        mit.CpuMs += b.CpuMs;
    }
    const double proSekundeOhne = CZeichen * runs / (ohne.WandMs / 1000.0);
    const double proSekundeMit = CZeichen * runs / (mit.WandMs / 1000.0);
    std::printf(
        "Typing %d characters, %d runs: %.0f keystrokes/s without the picture, %.0f with "
        "it (%+.1f %%)\n",
        CZeichen, runs, proSekundeOhne, proSekundeMit, (proSekundeMit / proSekundeOhne - 1) * 100);
    std::printf(
        "Live picture: %.1f pictures/s, CPU %.1f %% of one core (process %.1f %% with, "
        "%.1f %% without)\n",
        bilder / (mit.WandMs / 1000.0), (mit.CpuMs / mit.WandMs - ohne.CpuMs / ohne.WandMs) * 100,
        mit.CpuMs / mit.WandMs * 100, ohne.CpuMs / ohne.WandMs * 100);
    return 0;
} catch (const EVKO_Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
}
