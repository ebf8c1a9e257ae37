#include "md_commandline.h"

TZEP_MD_CommandLine::TZEP_MD_CommandLine(QStringList AArguments)
    : FArguments(std::move(AArguments)) {}

bool TZEP_MD_CommandLine::RunSwitch() const {
    for (const QString& argument : FArguments) {
        if (argument.size() == 4 && QStringLiteral("-/\\").contains(argument.front()) &&
            argument.mid(1).compare(QLatin1String("RUN"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

QString TZEP_MD_CommandLine::SwitchValue(const QString& AName) const {
    for (const QString& argument : FArguments) {
        if (argument.isEmpty() ||
            (argument.front() != QLatin1Char('-') && argument.front() != QLatin1Char('/'))) {
            continue;
        }
        if (argument.mid(1, AName.size()).compare(AName, Qt::CaseInsensitive) != 0) {
            continue;
        }
        QString value = argument.mid(1 + AName.size());
        if (value.startsWith(QLatin1Char(':'))) {
            value.remove(0, 1);
        }
        return value;
    }
    return {};
}

bool TZEP_MD_CommandLine::IsOwnSwitch(const QString& AArgument) {
    if (TZEP_MD_CommandLine(QStringList{AArgument}).RunSwitch()) {
        return true;
    }
    if (AArgument.isEmpty() ||
        (AArgument.front() != QLatin1Char('-') && AArgument.front() != QLatin1Char('/'))) {
        return false;
    }
    const QString name = AArgument.mid(1);
    return name.startsWith(QLatin1String("PROG"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("REPORT"), Qt::CaseInsensitive);
}
