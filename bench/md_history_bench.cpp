// Figures of the run history, printed for the closing notes; never a pass/fail test.
//   md_history_bench
// The time of one Add (which keeps every bound) with an empty history and with one filled to
// its bound of 50 MB of rows, best of 5.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "vko_database.h"
#include "zep_run_history.h"

namespace {

TZEP_RunEntry Entry(int ANumber) {
    TZEP_RunEntry entry;
    entry.Programm = QStringLiteral("PLON");
    entry.NameKey = QStringLiteral("LISTE_%1").arg(ANumber % 2000);
    entry.Meldung = QString(10000, QLatin1Char('m'));
    return entry;
}

double BestAddMs(TZEP_RunHistory& AHistory, int& ANumber) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        AHistory.Add(Entry(ANumber++));
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    TZEP_RunHistory history(folder.filePath(QStringLiteral("quandrix.db")));
    int number = 0;
    const double leer = BestAddMs(history, number);
    // Rows of about 10 KB: 5,300 of them pass the bound.
    while (number < 5300) {
        history.Add(Entry(number++));
    }
    const double voll = BestAddMs(history, number);
    std::printf("history Add: %.2f ms empty, %.2f ms at the bound of 50 MB of rows\n", leer, voll);
    return 0;
}
