#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The system's ANSI code page: Windows-1252.
// Characters that the code page lacks are written as "?".
QByteArray VKO_AnsiFromString(const QString& AText);
QString VKO_AnsiToString(QByteArrayView ABytes);

// Decodes text: a byte-order mark (UTF-8, UTF-16 LE/BE) selects the encoding, otherwise ANSI.
QString VKO_DecodeText(QByteArrayView ABytes);
