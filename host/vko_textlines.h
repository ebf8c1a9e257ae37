#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Splits text into lines as a string list does: CR LF, LF and CR each end a line, and a
// break at the very end opens no further line.
QStringList VKO_TextLines(const QString& AText);

// Decodes UTF-8 text; a byte-order mark (UTF-8, UTF-16 LE/BE) is honoured and dropped.
QString VKO_DecodeUtf8Text(const QByteArray& ABytes);
