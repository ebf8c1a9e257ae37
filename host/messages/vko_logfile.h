#pragma once

#include <QString>

// Writes control characters visibly escaped ("\n", "\u{1b}"), so that a text with a line break
// (a Mandorel's name from the command line, say) cannot forge a second log entry.
QString VKO_OneLine(const QString& AText);

// Appends one line to the log file: never through a symbolic link, created for the owner only
// and tightened to that when it was wider, refused when another user could have written it.
// Raises EVKO_Error when the line cannot be written.
void VKO_AppendLogLine(const QString& APath, const QString& ALine);
