#include "md_x11_user.h"

#include <gtest/gtest.h>

#include <QThread>

#include "md_process_support.h"
#include "md_test_support.h"

void InstallSamples(const TTempHome& AHome) {
    const TProcessResult result =
        RunProcess(QStringLiteral("bash"),
                   {QStringLiteral(MD_SAMPLES_SCRIPT), QStringLiteral(MD_SAMPLES_BUILD_DIR)},
                   MD_TestEnvironment(AHome, TDisplay::X11), 30000);
    ASSERT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
}

TX11User::TX11User(QProcessEnvironment AEnvironment) : FEnvironment(std::move(AEnvironment)) {}

TX11User::~TX11User() {
    if (FWindow.state() != QProcess::NotRunning) {
        FWindow.kill();
        FWindow.waitForFinished(5000);
    }
}

void TX11User::StartWindow(const QString& AProgram) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
    StartProcess(FWindow, AProgram, {}, FEnvironment);
    FWindowId =
        Xdo({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
             QStringLiteral("--name"), QStringLiteral(" Mandorel$")})
            .split(QLatin1Char('\n'))
            .constFirst();
    ASSERT_FALSE(FWindowId.isEmpty());
    Xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), FWindowId});
}

// The panel starts below the 41-pixel header; its buttons are 70 pixels high and 4 apart.
void TX11User::ClickPanelButton(int APosition) {
    Xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), FWindowId, QStringLiteral("51"),
         QString::number(41 + 4 + 35 + APosition * 74), QStringLiteral("click"),
         QStringLiteral("1")});
}

void TX11User::Keys(const QStringList& AKeys) {
    Xdo(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80")} +
        AKeys);
}

void TX11User::Type(const QString& AText) {
    Xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), AText});
}

int TX11User::CloseWindow() {
    Keys({QStringLiteral("Escape")});
    if (!FWindow.waitForFinished(20000)) {
        return -1;
    }
    return FWindow.exitCode();
}

QString TX11User::Xdo(const QStringList& AArguments) {
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), AArguments);
    EXPECT_TRUE(xdo.waitForFinished(20000)) << AArguments.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(xdo.exitCode(), 0) << xdo.readAllStandardError().toStdString();
    // The window handles the input before the next command.
    QThread::msleep(300);
    return QString::fromLocal8Bit(xdo.readAllStandardOutput()).trimmed();
}
