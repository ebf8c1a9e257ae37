#pragma once

#include <QString>
#include <map>

// The file name of the program directory in the settings folder.
inline constexpr const char* CZEP_MenuFileName = "MD_Programme.ini";

// The suite's program directory: per program (exe name such as PLON.EXE) its German display
// name and the command that starts it on this machine. The file holds one section per program:
//   [PLON.EXE]
//   NAME=Personaleinsatzplanung
//   COMMAND="/opt/suite/plon" -mandant 1
class TZEP_MenuFile {
public:
    // An empty directory; Load reads the file.
    TZEP_MenuFile();

    // (Re)reads MD_Programme.ini of the settings folder. A missing file is an empty directory;
    // a damaged one raises an error naming the file and line and leaves the content as it was,
    // and so does one that another user could have written (it names the program to start).
    void Load();

    // The display name by exe name or program code ("PLON.EXE", "PLON", also with a folder);
    // empty text for a program the directory does not know.
    QString ProgrammName_ByExeName(const QString& AExeName) const;
    // The start command as written (program and arguments); empty when unknown.
    QString StartCommand_ByExeName(const QString& AExeName) const;
    bool Contains(const QString& AExeName) const;
    // Whether ACode is one program code of the directory as it stands ("PLON", any case): no
    // folder, no ".EXE", no blank or control character. A code from a file must be one: it
    // becomes a word of the scheduler's command line.
    bool IsProgrammCode(const QString& ACode) const;

    // Full path of the file the directory reads.
    QString FileName() const;

    struct TProgramm {
        QString AnzeigeName;
        QString Command;
    };

private:
    const TProgramm* Find(const QString& AExeName) const;

    std::map<QString, TProgramm> FProgramme;
};
