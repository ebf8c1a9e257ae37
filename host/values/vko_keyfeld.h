#pragma once

#include <QString>

// The key-field form of a value: trimmed, upper case, ä ö ü ß as AE OE UE SS, and every other
// character outside A-Z, 0-9 and "_" as "_". Applying it again changes nothing, and the result
// is always safe unquoted on a command line.
QString Wert_2_Wert4KeyFeld(const QString& AWert);
