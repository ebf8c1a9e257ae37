#pragma once

#include <QString>
#include <QStringList>

// Exit codes of the program: a scheduler tells a played run from one that failed.
inline constexpr int CMD_Exit_OK = 0;
inline constexpr int CMD_Exit_Fehler = 1;
inline constexpr int CMD_Exit_NichtGefunden = 2;

// The switches the program reads: "RUN" alone, "PROG" and "REPORT" with their value
// appended in the same argument, for example -RUN -PROG:PLON -REPORT:MONATSLISTE.
class TZEP_MD_CommandLine {
public:
    // The arguments without the program's own name.
    explicit TZEP_MD_CommandLine(QStringList AArguments);

    // True when an argument is exactly "-", "/" or "\" followed by RUN, in any case.
    bool RunSwitch() const;
    // The value of the first argument that starts with "-" or "/" and the switch name, in any
    // case, with one ":" after the name dropped; empty when no argument matches.
    QString SwitchValue(const QString& AName) const;

    // True for an argument this class reads (RUN, PROG or REPORT); the toolkit never sees one.
    static bool IsOwnSwitch(const QString& AArgument);

    QString Programm() const { return SwitchValue(QStringLiteral("PROG")); }
    QString Report() const { return SwitchValue(QStringLiteral("REPORT")); }

private:
    QStringList FArguments;
};
