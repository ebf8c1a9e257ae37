#include "md_helper.h"

#include "md_mandorel.h"
#include "vko_info.h"

namespace {

// Program files may come with Windows folders, so both separators end a folder.
qsizetype FileNameStart(const QString& APath) {
    const qsizetype separator =
        std::max({APath.lastIndexOf(QLatin1Char('/')), APath.lastIndexOf(QLatin1Char('\\')),
                  APath.lastIndexOf(QLatin1Char(':'))});
    return separator + 1;
}

qsizetype ExtensionStart(const QString& APath) {
    const qsizetype dot = APath.lastIndexOf(QLatin1Char('.'));
    return dot >= FileNameStart(APath) ? dot : APath.size();
}

}  // namespace

void TZEP_MD_Helper::ReportName_Set(TZEP_MD_Mandorel& AMandorel, const QString& AName_Anzeige) try {
    AMandorel.SetName(AName_Anzeige);
} catch (...) {
    RethrowRegistered("TZEP_MD_Helper.ReportName_Set");
}

void TZEP_MD_Helper::ReportProgramm_Set(TZEP_MD_Mandorel& AMandorel, const QString& AProgramm) try {
    const qsizetype nameStart = FileNameStart(AProgramm);
    const qsizetype extensionStart = ExtensionStart(AProgramm);
    AMandorel.FProgramm = AProgramm.mid(nameStart, extensionStart - nameStart).toUpper();
    AMandorel.Sequence().Clear();
    AMandorel.Sequence().SetTargetProgramFile(
        (AProgramm.left(extensionStart) + QStringLiteral(".EXE")).toUpper());
} catch (...) {
    RethrowRegistered("TZEP_MD_Helper.ReportProgramm_Set");
}
