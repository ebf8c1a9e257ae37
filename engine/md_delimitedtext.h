#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// Splits text as a delimited string list does: the delimiter, blanks and control characters
// end an item and leading blanks are skipped; an item in double quotes may hold blanks and the
// delimiter ("" inside stands for one quote); two delimiters in a row give an empty item, and
// a delimiter at the very end a final empty one. Items keep their case.
QStringList MD_SplitDelimited(const QString& AText, QChar ADelimiter);
