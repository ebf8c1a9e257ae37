// Figures of the main window, printed for the closing notes; never a pass/fail test. Runs on
// the display of the run (scripts/bench.sh starts it under xvfb-run).
//   md_window_bench [count, default 10000]     start and list rebuild against a bare window
//   md_window_bench --memory [count, 100000]   resident memory with the window shown
//   md_window_bench --idle [count, 10000]      idle window with and without the heap settings
// 1. Interactive start until the list is filled and shown, against a bare QMainWindow with
//    five docks and a QTreeWidget holding the same names: as whole programs, from their start
//    until their window is mapped on the display (both fill the list before they show it;
//    median of 9, alternating), and inside one process from the controller on (best of 5).
// 2. The list rebuild after a commit against one Load_Reports and the bare tree fill.
// 3. Resident memory of the shown window against the blob bytes of the stored Mandorele.
// 4. Resident memory of the idle window with the start's heap settings against the same
//    build without them (each in a process of its own, median of 5), and what each keeps
//    after 100 MiB were allocated and freed.
#include <sqlite3.h>

#include <poll.h>

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "md_bare_list.h"
#include "md_gui_controller.h"
#include "md_gui_reportliste.h"
#include "md_main.h"
#include "md_processor.h"
#include "vko_folder.h"
#include "vko_huge_page_heap.h"
#include "zep_dbfile.h"
#include "zep_ga_player.h"

// Xlib defines names that clash with Qt's; it comes last.
#include <X11/Xlib.h>

namespace {

class TSilentPlayer : public TZEP_GA_Player {
public:
    void PlaySequence(const TZEP_GA_Sequence&) override {}
};

void Fill(int ACount) {
    TZEP_DBFile file;
    for (int i = 0; i < ACount; ++i) {
        auto mandorel =
            TZEP_MD_Mandorel::CreateNew(QStringLiteral("Monatsliste Filiale %1").arg(i),
                                        i % 3 ? QStringLiteral("PLON") : QStringLiteral("KUDRE"));
        for (const char* vorlage : {"PLON_START", "PLON_ZEITRAUM", "PLON_ABTEILUNG", "PLON_SUMMEN",
                                    "PLON_ZEITRAUM", "PLON_BERICHT"}) {
            mandorel->Sequence().Append(
                TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QString::fromLatin1(vorlage)});
        }
        mandorel->SetAuswertungs_Beschreibung(
            QStringLiteral("Monatliche Übersicht der Einsätze je Abteilung mit Summen der "
                           "Stunden, Zuschläge und Fehlzeiten für die Filialleitung %1.")
                .arg(i));
        mandorel->SetAuswertungs_Grund(QStringLiteral("Monatsabschluss und Abstimmung."));
        mandorel->TokenValues().insert(QStringLiteral("#VON#"),
                                       QStringLiteral("#MONAT_NAECHSTER_ANFANG#"));
        mandorel->TokenValues().insert(QStringLiteral("#AUSGABEDATEI#"),
                                       QStringLiteral("/srv/berichte/plon/monatsliste.txt"));
        file.Reset();
        file.SetKeyWert(TZEP_DBFile::CProgramKey, mandorel->Programm());
        file.SetWert(TZEP_DBFile::CDisplayName, mandorel->Name_Anzeige());
        file.SetWert(TZEP_DBFile::CCreatedBy, TIntPair{1, 0});
        file.SetWert(TZEP_DBFile::CChangedBy, TIntPair{1, 0});
        mandorel->SaveToStream(file.StartStreamBuchung(TZEP_DBOperation::wrdonInsert, false));
        file.EndStreamBuchung();
    }
}

qint64 BlobBytes() {
    const QByteArray path =
        VKO_FilePath(TVKOFolder::Daten, QStringLiteral("quandrix.db")).toLocal8Bit();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT SUM(LENGTH(DATEN)) FROM MD_MANDORELE", -1, &statement, nullptr);
    sqlite3_step(statement);
    const qint64 bytes = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return bytes;
}

double Ms(const std::function<void()>& AWork) {
    QElapsedTimer timer;
    timer.start();
    AWork();
    return timer.nsecsElapsed() / 1e6;
}

void ShowAndWait(QWidget& AWindow) {
    AWindow.show();
    while (AWindow.windowHandle() == nullptr || !AWindow.windowHandle()->isExposed()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    QApplication::processEvents();
}

double BareStart(const QStringList& ANames) {
    return Ms([&] {
        QMainWindow window;
        MD_FillBareList(*MD_BareListWindow(window), ANames);
        ShowAndWait(window);
    });
}

bool IsMandorelWindow(Display* ADisplay, Window AWindow) {
    char* name = nullptr;
    if (XFetchName(ADisplay, AWindow, &name) == 0 || name == nullptr) {
        return false;
    }
    const bool mandorel = qstrcmp(name, "Mandorel") == 0;
    XFree(name);
    return mandorel;
}

// Milliseconds from starting the program until its window "Mandorel" is mapped.
double UntilMapped(const QString& AProgram, const QStringList& AArguments) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        std::exit(1);
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    QProcess program;
    QElapsedTimer timer;
    timer.start();
    program.start(AProgram, AArguments);
    double ms = -1;
    while (ms < 0 && timer.elapsed() < 60000) {
        pollfd verbindung{ConnectionNumber(display), POLLIN, 0};
        poll(&verbindung, 1, 10);
        while (ms < 0 && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && IsMandorelWindow(display, event.xmap.window)) {
                ms = timer.nsecsElapsed() / 1e6;
            }
        }
    }
    program.kill();
    program.waitForFinished(10000);
    XCloseDisplay(display);
    return ms;
}

double Median(QList<double> AValues) {
    std::sort(AValues.begin(), AValues.end());
    return AValues.at(AValues.size() / 2);
}

void ProgramStart(int ACount) {
    QList<double> ours;
    QList<double> bare;
    for (int i = 0; i < 9; ++i) {
        ours.append(UntilMapped(QStringLiteral(MD_QUANDRIX), {}));
        bare.append(UntilMapped(QStringLiteral(MD_BARE_LIST_WINDOW), {QString::number(ACount)}));
    }
    std::printf(
        "%d stored: program start until its window is shown %.1f ms, bare program "
        "%.1f ms = %.2f times (medians of 9)\n",
        ACount, Median(ours), Median(bare), Median(ours) / Median(bare));
}

double OurStart() {
    return Ms([&] {
        TZEP_MD_GUI_Controller_Impl controller(std::make_unique<TSilentPlayer>(), {});
        TZEP_MD_Main window;
        window.SetController(controller);
        window.Initialize();
        ShowAndWait(window);
    });
}

int Start(int ACount) {
    Fill(ACount);
    const QStringList names = MD_BareListNames(ACount);
    ProgramStart(ACount);
    OurStart();
    BareStart(names);
    double ours = 1e300;
    double bare = 1e300;
    for (int i = 0; i < 5; ++i) {
        ours = std::min(ours, OurStart());
        bare = std::min(bare, BareStart(names));
    }
    std::printf(
        "%d stored: in one process, window start %.1f ms, bare window %.1f ms = %.2f times\n",
        ACount, ours, bare, ours / bare);

    TZEP_MD_GUI_Controller_Impl controller(std::make_unique<TSilentPlayer>(), {});
    TZEP_MD_Main window;
    window.SetController(controller);
    window.Initialize();
    ShowAndWait(window);
    auto* liste = window.findChild<TZEP_MD_Reportliste_Frm*>();
    TZEP_MD_Processor store(std::make_unique<TSilentPlayer>());
    QTreeWidget bareTree;
    bareTree.setColumnCount(2);
    bareTree.show();
    double rebuild = 1e300;
    double bareRebuild = 1e300;
    for (int i = 0; i < 5; ++i) {
        rebuild = std::min(rebuild, Ms([&] {
                               liste->Notification_ReportListeChanged();
                               QApplication::processEvents();
                           }));
        bareRebuild = std::min(bareRebuild, Ms([&] {
                                   store.Load_Reports();
                                   MD_FillBareList(bareTree, names);
                                   QApplication::processEvents();
                               }));
    }
    double load = 1e300;
    double fill = 1e300;
    for (int i = 0; i < 5; ++i) {
        load = std::min(load, Ms([&] { store.Load_Reports(); }));
        fill = std::min(fill, Ms([&] {
                            MD_FillBareList(bareTree, names);
                            QApplication::processEvents();
                        }));
    }
    // A start opens its record file anew: nothing of the file is in its connection yet.
    double freshLoad = 1e300;
    for (int i = 0; i < 5; ++i) {
        TZEP_MD_Processor fresh(std::make_unique<TSilentPlayer>());
        freshLoad = std::min(freshLoad, Ms([&] { fresh.Load_Reports(); }));
    }
    std::printf("of which Load_Reports %.1f ms (%.1f ms on a new connection), bare fill %.1f ms\n",
                load, freshLoad, fill);
    std::printf("%d stored: list rebuild %.1f ms, Load_Reports + bare fill %.1f ms = %.2f times\n",
                ACount, rebuild, bareRebuild, rebuild / bareRebuild);
    return 0;
}

long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return 0;
}

// The shown window's resident KiB once the start's idle work is done.
long IdleResidentKiB() {
    TZEP_MD_GUI_Controller_Impl controller(std::make_unique<TSilentPlayer>(), {});
    TZEP_MD_Main window;
    window.SetController(controller);
    window.Initialize();
    ShowAndWait(window);
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 1000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return ResidentKiB();
}

// Resident KiB after 100 MiB in small blocks were allocated, used and freed again.
long AfterFreeKiB() {
    std::vector<void*> blocks(100 * 1024);
    for (void*& block : blocks) {
        block = std::malloc(1024);
        std::memset(block, 1, 1024);
    }
    for (void* block : blocks) {
        std::free(block);
    }
    return ResidentKiB();
}

// The child's idle and after-free figures.
QPair<double, double> IdleChild(bool AHeapSettings) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure-idle"),
                 AHeapSettings ? QStringLiteral("--heap") : QStringLiteral("--plain")});
    child.waitForFinished(60000);
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    return {figures.value(0).toDouble(), figures.value(1).toDouble()};
}

int Idle(int ACount) {
    Fill(ACount);
    QList<double> with;
    QList<double> without;
    QList<double> withFreed;
    QList<double> withoutFreed;
    for (int i = 0; i < 5; ++i) {
        const auto [idle, freed] = IdleChild(true);
        with.append(idle);
        withFreed.append(freed);
        const auto [plainIdle, plainFreed] = IdleChild(false);
        without.append(plainIdle);
        withoutFreed.append(plainFreed);
    }
    std::printf(
        "%d stored: idle window resident %.0f KiB with the heap settings, %.0f KiB without "
        "= %.3f times (medians of 5)\n",
        ACount, Median(with), Median(without), Median(with) / Median(without));
    std::printf(
        "after 100 MiB allocated and freed: resident %.0f KiB with the heap settings, %.0f KiB "
        "without\n",
        Median(withFreed), Median(withoutFreed));
    return 0;
}

// Measured in a process of its own, so that the filling leaves nothing in its heap.
int MeasureMemory() {
    const qint64 blobBytes = BlobBytes();
    const long leer = ResidentKiB();
    TZEP_MD_GUI_Controller_Impl controller(std::make_unique<TSilentPlayer>(), {});
    TZEP_MD_Main window;
    window.SetController(controller);
    window.Initialize();
    ShowAndWait(window);
    const long resident = ResidentKiB();
    std::printf("empty application %ld KiB; ", leer);
    std::printf(
        "%lld blob bytes stored: resident %ld KiB with the window shown = %.2f times "
        "the blob bytes\n",
        static_cast<long long>(blobBytes), resident, resident * 1024.0 / double(blobBytes));
    return 0;
}

int Memory(int ACount) {
    Fill(ACount);
    std::printf("%d stored: ", ACount);
    std::fflush(stdout);
    return QProcess::execute(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--measure-memory")});
}

}  // namespace

int main(int argc, char** argv) {
    // As the program does it, before anything else is allocated.
    const bool measureIdle = argc > 2 && QByteArray(argv[1]) == "--measure-idle";
    if (measureIdle && QByteArray(argv[2]) == "--heap") {
        VKO_HugePageHeap();
    }
    QApplication application(argc, argv);
    QTemporaryDir home;
    if (argc > 1 && QByteArray(argv[1]) == "--measure-memory") {
        return MeasureMemory();
    }
    if (measureIdle) {
        const long idle = IdleResidentKiB();
        std::printf("%ld %ld\n", idle, AfterFreeKiB());
        return 0;
    }
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    if (argc > 1 && QByteArray(argv[1]) == "--memory") {
        return Memory(argc > 2 ? QByteArray(argv[2]).toInt() : 100000);
    }
    if (argc > 1 && QByteArray(argv[1]) == "--idle") {
        return Idle(argc > 2 ? QByteArray(argv[2]).toInt() : 10000);
    }
    return Start(argc > 1 ? QByteArray(argv[1]).toInt() : 10000);
}
