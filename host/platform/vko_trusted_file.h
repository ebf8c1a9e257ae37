#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

// Files and folders that only the user controls. A settings or data file that another user
// could have written is never used: a program directory or a catalogue from them would make the
// next run do what they want. Every check raises EVKO_Error with a text naming the file. The log
// is written through these too, so they register nothing themselves: that would write the log.

// Creates a folder and every missing folder above it with owner-only rights (0700), whatever
// the umask says. Folders that exist keep their rights. False when the folder is not there
// afterwards; whoever then uses it reports why.
bool VKO_MakePrivateFolder(const QString& APath);

// Raises the error when the folder or one above it is not a folder of the user (or of root) or
// when group or others may change it. A folder with the sticky bit (/tmp) is fine: there nobody
// can replace or remove what another user put into it.
void VKO_CheckTrustedFolder(const QString& APath);

// Reads a settings file whole, not following a symbolic link; no value when it does not exist.
// It must be a regular file of the user that group and others cannot write, in trusted folders,
// and at most AMaxBytes long. AWas names it in errors ("Die Vorlagendatei").
std::optional<QByteArray> VKO_ReadTrustedFile(const QString& APath, qint64 AMaxBytes,
                                              const QString& AWas);

// Checks a data file that the caller opened with O_NOFOLLOW as VKO_ReadTrustedFile checks; only
// once it passed, the rights of group and others are taken away (a file the user made read-only
// stays so). The caller keeps the descriptor.
void VKO_TrustOpenedFile(int ADescriptor, const QString& APath, const QString& AWas);

// Opens a data file (the database, the log) for the caller, who closes the descriptor: never
// through a symbolic link, created with owner-only rights when AFlags hold O_CREAT, and checked
// as VKO_TrustOpenedFile checks, in a trusted folder. AFlags are open(2)'s; O_NOFOLLOW and
// O_CLOEXEC are added.
int VKO_OpenTrustedDataFile(const QString& APath, int AFlags, const QString& AWas);
