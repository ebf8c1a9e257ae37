#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class TTempHome;

// The README's set-up in a test's home: the sample catalogue, value sets and a program
// directory that starts this build's sample programs.
void InstallSamples(const TTempHome& AHome);

// A user at the X display of the run (xvfb-run) who drives the real program's window with X11
// input only (xdotool), the way a person at the keyboard and mouse would.
class TX11User {
public:
    explicit TX11User(QProcessEnvironment AEnvironment);
    ~TX11User();
    TX11User(const TX11User&) = delete;
    TX11User& operator=(const TX11User&) = delete;

    // Starts the window and gives it the keyboard.
    void StartWindow(const QString& AProgram);
    // Clicks the panel button at this position of the column, counting the visible buttons
    // from the top; separators between groups are taken into account by the caller.
    void ClickPanelButton(int APosition);
    void Keys(const QStringList& AKeys);
    void Type(const QString& AText);
    // Ends the window with Escape ("Beenden"); answers its exit code, -1 if it stayed open.
    int CloseWindow();
    // One xdotool command; answers its output.
    QString Xdo(const QStringList& AArguments);

private:
    QProcessEnvironment FEnvironment;
    QProcess FWindow;
    QString FWindowId;
};
