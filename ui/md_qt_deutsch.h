#pragma once

class QTranslator;

// Loads the toolkit's own German texts ("Ja"/"Nein", the file dialog) into ATranslator and
// installs it in the running application. Without the translation files the window stays
// usable in the toolkit's English; a log line says which file was missing.
bool MD_QtTexteDeutsch(QTranslator& ATranslator);
