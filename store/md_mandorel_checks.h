#pragma once

#include <QString>
#include <QtGlobal>

class TZEP_MD_Mandorel;

// Bounds of what one Mandorel may bring along, far above any real one: a file or a copied
// record beyond them fills the store and every history row with what nobody uses.
inline constexpr int CMD_MaxTokenWerte = 1000;
inline constexpr int CMD_MaxWertZeichen = 300;
inline constexpr qint64 CMD_MaxStreamBytes = 1024 * 1024;

// A text from a file as a message may show it: control characters as "?", at most a few dozen
// characters.
QString MD_Anzeigbar(const QString& AText);

// Raises, under AGuard, the message of the first bound that the Mandorel exceeds. With
// ADatei (an import) the message names the file, otherwise the Mandorel ("Buchen").
void MD_CheckGrenzen(const TZEP_MD_Mandorel& AMandorel, const QString& ADatei, const char* AGuard);

// Raises, under AGuard, a message naming the file and the first step that is not a template
// step: an imported file chooses templates, never actions of its own.
void MD_CheckNurVorlagen(const TZEP_MD_Mandorel& AMandorel, const QString& ADatei,
                         const char* AGuard);
