// Figure of the step parameter view, printed for the closing notes; never a pass/fail test.
// Runs on the display of the run (scripts/bench.sh starts it under xvfb-run).
//   md_token_panels_bench [runs, default 20]
// Rebuilding the panels of a template with 50 tokens (a quarter of them with a value list or
// a client editor) against 50 bare QLabel+QLineEdit rows in a QScrollArea, each until drawn;
// best of the runs, alternating, warm.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

#include "md_gui_controller.h"
#include "md_gui_templatedetails.h"
#include "md_gui_token_panel.h"
#include "zep_ga_player.h"

namespace {

constexpr int CTokens = 50;

class TSilentPlayer : public TZEP_GA_Player {
public:
    void PlaySequence(const TZEP_GA_Sequence&) override {}
};

void WriteFile(const QString& APath, const QByteArray& AText) {
    QFile file(APath);
    file.open(QIODevice::WriteOnly);
    file.write(AText);
}

void Settings(const QString& AFolder) {
    QByteArray katalog =
        "[TEMPLATES]\nT50\n[T50]\nNAME=Fünfzig\nSTARTS_PROGRAM=PLON\nSEQUENCE=START";
    QByteArray namen = "[TOKENNAMES]\n";
    QByteArray werte = "[EDITOREN]\n";
    QByteArray listen = "[WERTELISTEN]\n";
    for (int i = 0; i < CTokens; ++i) {
        const QByteArray token = "#T" + QByteArray::number(i) + "#";
        katalog += "; TYPE \"" + token + "\"";
        namen += token + "=Eingabe Nummer " + QByteArray::number(i) + "\n";
        if (i % 8 == 1) {
            werte += token + "=TZEP_MandantenCombobox\n";
        } else if (i % 8 == 5) {
            listen += token + "=eins;zwei;drei;vier\n";
        }
    }
    WriteFile(AFolder + QStringLiteral("/MD_Templates.ini"), katalog + "\n" + namen);
    WriteFile(AFolder + QStringLiteral("/MD_Wertevorrat.ini"),
              werte + listen + "[MANDANTEN]\n100=Zentrale\n200=Nord\n");
}

qint64 Timed(const std::function<void()>& AStep) {
    QElapsedTimer timer;
    timer.start();
    AStep();
    QApplication::processEvents();
    return timer.nsecsElapsed();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    const QString settings = home.path() + QStringLiteral("/.config/quandrix");
    QDir().mkpath(settings);
    QFile::setPermissions(home.path() + QStringLiteral("/.config"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(settings, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Settings(settings);
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;

    TZEP_MD_GUI_Controller_Impl controller(std::make_unique<TSilentPlayer>(), QStringList());
    controller.CreateNewReport_Start();
    TZEP_MD_TemplateDetails_Frm view(controller);
    view.resize(500, 700);
    view.Initialize();
    view.Toggle_RO_RW(false);
    view.show();

    QScrollArea bare;
    bare.resize(500, 700);
    bare.setWidgetResizable(true);
    bare.show();

    qint64 panels = std::numeric_limits<qint64>::max();
    qint64 rows = std::numeric_limits<qint64>::max();
    for (int run = 0; run < runs + 2; ++run) {
        const qint64 a = Timed([&] {
            view.Notification_ReportChanged();
            view.Notification_TemplateChanged(QStringLiteral("T50"));
        });
        const qint64 b = Timed([&] {
            auto* box = new QWidget;
            auto* layout = new QFormLayout(box);
            for (int i = 0; i < CTokens; ++i) {
                layout->addRow(new QLabel(QStringLiteral("Eingabe Nummer %1").arg(i)),
                               new QLineEdit(QStringLiteral("Wert %1").arg(i)));
            }
            bare.setWidget(box);
        });
        if (run >= 2) {
            panels = std::min(panels, a);
            rows = std::min(rows, b);
        }
    }
    std::printf(
        "Rebuild of %d token panels: %.2f ms, %d bare label and edit rows: %.2f ms, "
        "ratio %.2f\n",
        CTokens, panels / 1e6, CTokens, rows / 1e6, double(panels) / double(rows));
    return 0;
}
