#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The arguments of a START action's text and of a program directory's COMMAND: separated by
// blanks; double quotes group blanks into one argument, and three double quotes in a row stand
// for one double quote. Unlike QProcess::splitCommand, "" is an empty argument, so that joining
// and splitting again gives back every argument list unchanged.
QStringList ZEP_GA_SplitArguments(QStringView AText);
QString ZEP_GA_JoinArguments(const QStringList& AArguments);
