#pragma once

#include <QString>

class TZEP_MD_Mandorel;

// Sets the two fields of a Mandorel that identify it; only the create transaction uses it.
class TZEP_MD_Helper {
public:
    // The display name unchanged, the name key as its key-field form.
    static void ReportName_Set(TZEP_MD_Mandorel& AMandorel, const QString& AName_Anzeige);
    // The program code from a program (PLON, plon.exe, c:\prog\plon.exe): file name without
    // folder and extension in upper case; clears the steps; the target program file becomes
    // the program with the extension ".EXE", in upper case.
    static void ReportProgramm_Set(TZEP_MD_Mandorel& AMandorel, const QString& AProgramm);
};
