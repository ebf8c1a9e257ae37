#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class TZEP_MD_Mandorel;

// A Mandorel whose every field carries one version number, so that a record holding parts of
// two versions is told apart from an old or a new one. Shared by the helper processes that
// commit and by the tests that check what they left.
void MD_SetVersion(TZEP_MD_Mandorel& AMandorel, qint32 AVersion, qsizetype APadding = 0);

// The version every field carries; none when the fields disagree or carry none.
std::optional<qint32> MD_VersionOf(const TZEP_MD_Mandorel& AMandorel);

// The masked token of the catalogue below and the value a version gives it.
QString MD_Kennwort(qint32 AVersion);

// A catalogue whose PLON_START and PLON_ANMELDUNG the versioned Mandorele name, with
// #KENNWORT# masked.
extern const char* const CMD_VersionCatalogue;
