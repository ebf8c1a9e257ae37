#include "zep_ga_arguments.h"

#include <algorithm>

namespace {

const QChar CQuote = QLatin1Char('"');

}  // namespace

QStringList ZEP_GA_SplitArguments(QStringView AText) {
    QStringList arguments;
    QString current;
    bool started = false;
    bool quoted = false;
    int quotes = 0;
    for (const QChar c : AText) {
        if (c == CQuote) {
            started = true;
            if (++quotes == 3) {
                quotes = 0;
                current += CQuote;
            }
            continue;
        }
        if (quotes == 1) {
            quoted = !quoted;
        }
        quotes = 0;
        if (!quoted && c.isSpace()) {
            if (started) {
                arguments.append(current);
                current.clear();
                started = false;
            }
        } else {
            current += c;
            started = true;
        }
    }
    if (started) {
        arguments.append(current);
    }
    return arguments;
}

QString ZEP_GA_JoinArguments(const QStringList& AArguments) {
    QStringList parts;
    for (const QString& argument : AArguments) {
        const bool plain =
            !argument.isEmpty() && !argument.contains(CQuote) &&
            std::none_of(argument.begin(), argument.end(), [](QChar c) { return c.isSpace(); });
        if (plain) {
            parts.append(argument);
            continue;
        }
        QString part = CQuote;
        for (const QChar c : argument) {
            part += c == CQuote ? QStringLiteral("\"\"\"") : QString(c);
        }
        parts.append(part + CQuote);
    }
    return parts.join(QLatin1Char(' '));
}
