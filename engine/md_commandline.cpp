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
