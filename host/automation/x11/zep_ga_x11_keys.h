#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Key combinations in the form libxdo sends them: key names joined by "+" ("alt+v", "Tab").

// The combinations of a KEYS text, separated by blanks. Raises EVKO_Error naming the position
// of a key that does not exist; "tab" is taken as "Tab".
QList<QByteArray> ZEP_GA_KeyCombinations(const QString& AKeys);

// The X key symbol of one character; 0 when no key produces it.
unsigned long ZEP_GA_CharacterKeysym(char32_t ACharacter);
// The key name that types one character; empty when no key produces it.
QByteArray ZEP_GA_CharacterKeys(char32_t ACharacter);
