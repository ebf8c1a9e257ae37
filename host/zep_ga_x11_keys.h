#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Key combinations in the form libxdo sends them: key names joined by "+" ("alt+v", "Tab").

// The combinations of a KEYS text, separated by blanks. Raises EVKO_Error naming a key that
// does not exist; "tab" is taken as "Tab".
QList<QByteArray> ZEP_GA_KeyCombinations(const QString& AKeys);

// The combination that types one character; empty when no key produces it. Capital letters
// outside ASCII go with shift: a key bound on the fly to one of them types its lower case.
QByteArray ZEP_GA_CharacterKeys(char32_t ACharacter);
