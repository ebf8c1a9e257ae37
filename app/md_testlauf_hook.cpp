#include "md_testlauf_hook.h"

#include <QApplication>
#include <QPushButton>

#include "md_gui_controller_intf.h"
#include "md_main.h"
#include "vko_info.h"

QString MD_TestlaufHook() {
    return qEnvironmentVariable("QUANDRIX_TESTLAUF");
}

void MD_RunTestlaufHook(const QString& AHook, TZEP_MD_Main& AWindow,
                        TZEP_MD_GUI_Controller& AController) try {
    AController.Select_Mandorel(AHook.section(QLatin1Char('/'), 1),
                                AHook.section(QLatin1Char('/'), 0, 0));
    auto* testlauf = AWindow.findChild<QPushButton*>(QStringLiteral("btnTestlauf"));
    if (testlauf != nullptr) {
        testlauf->click();
    }
    QApplication::quit();
} catch (...) {
    QApplication::quit();
    RethrowRegistered("MD_RunTestlaufHook");
}
