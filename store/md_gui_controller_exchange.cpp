#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <tuple>

#include "md_gui_controller.h"
#include "md_mandorel.h"
#include "md_mandorel_checks.h"
#include "md_tokenlist.h"
#include "vko_info.h"
#include "zep_menu_file.h"

namespace {

const QString CFilter = QStringLiteral("Exportierte Mandorele (*.mdex)");
const QString CSuffix = QStringLiteral("mdex");
constexpr const char* CImportGuard = "TZEP_MD_GUI_Controller_Impl.ImportSelectedReport";

bool PfadGueltig(const QString& APfad) {
    for (const QChar zeichen : APfad) {
        if (zeichen.unicode() < 0x20 || zeichen.unicode() == 0x7f) {
            return false;
        }
    }
    return !QFileInfo(APfad).fileName().isEmpty();
}

QString Anzeige(const QString& APfad) {
    return QDir::toNativeSeparators(APfad);
}

bool HatMaskierteWerte(const TZEP_MD_Mandorel& AMandorel, const TZEP_MD_Tokenlist& ATokens) {
    const TZEP_MD_TokenValues& werte = AMandorel.TokenValues();
    for (auto it = werte.cbegin(); it != werte.cend(); ++it) {
        if (!it.value().isEmpty() && ATokens.AnzeigeData_4_Kennung(it.key()).AnzeigeMaskiert) {
            return true;
        }
    }
    return false;
}

}  // namespace

void TZEP_MD_GUI_Controller_Impl::ExportSelectedReport() try {
    if (FSelected_Mandorel == nullptr) {
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1011));
        return;
    }
    if (!FFileDialog) {
        return;
    }
    const QString datei =
        FFileDialog->SaveFileName(QStringLiteral("Exportdatei wählen"), CFilter, CSuffix);
    if (datei.isEmpty()) {
        return;
    }
    if (!PfadGueltig(datei)) {
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1012));
        return;
    }
    if (HatMaskierteWerte(*FSelected_Mandorel, *FTokenList) &&
        VKOInfo().ShowMeldung(CVKO_Buttons_JaNein, MD_Koord(1049),
                              {FSelected_Mandorel->Name_Anzeige()}) != CVKO_Antwort_Ja) {
        return;
    }
    // The target is replaced only by a complete file: a failed export neither leaves half a
    // Mandorel nor destroys an earlier export. Token values are for the user alone.
    QSaveFile ziel(datei);
    if (!ziel.open(QIODevice::WriteOnly) ||
        !ziel.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        throw EVKO_Error(QStringLiteral("Die Exportdatei „%1“ kann nicht angelegt werden: %2")
                             .arg(Anzeige(datei), ziel.errorString()));
    }
    FSelected_Mandorel->SaveToStream(ziel);
    if (!ziel.commit()) {
        throw EVKO_Error(QStringLiteral("Die Exportdatei „%1“ kann nicht geschrieben werden: %2")
                             .arg(Anzeige(datei), ziel.errorString()));
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.ExportSelectedReport");
}

void TZEP_MD_GUI_Controller_Impl::ImportSelectedReport() try {
    if (FSelected_Mandorel == nullptr || !FFileDialog) {
        return;
    }
    const QString datei =
        FFileDialog->OpenFileName(QStringLiteral("Datei für den Import wählen"), CFilter, CSuffix);
    if (datei.isEmpty()) {
        return;
    }
    if (!QFileInfo(datei).isFile()) {
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1013));
        return;
    }
    // Read-only: a write-protected export is imported as well.
    QFile quelle(datei);
    if (!quelle.open(QIODevice::ReadOnly)) {
        throw EVKO_Error(QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2")
                             .arg(Anzeige(datei), quelle.errorString()));
    }
    // One byte more than allowed tells a file that is too large, without reading it whole.
    QByteArray bytes = quelle.read(CMD_MaxStreamBytes + 1);
    if (quelle.error() != QFileDevice::NoError) {
        throw EVKO_Error(QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2")
                             .arg(Anzeige(datei), quelle.errorString()));
    }
    if (bytes.size() > CMD_MaxStreamBytes) {
        VKOInfo().FehlerRaise(CImportGuard, MD_Koord(1045), {Anzeige(datei)});
    }
    // The whole file is checked before the selected Mandorel takes any of it, so that nothing
    // half-read can be committed.
    TZEP_MD_Mandorel probe;
    try {
        // A damaged stream raises; one without steps is whole, and Buchen asks for steps.
        std::ignore = probe.LoadFromBytes(bytes, QString(), QString());
    } catch (...) {
        const QString grund = VKOInfo().FehlerInfo(std::current_exception()).Text;
        VKOInfo().ResetErrorSpezNoWrite();
        throw EVKO_Error(QStringLiteral("Die Datei „%1“ enthält keinen vollständigen exportierten "
                                        "Mandorel (%2). Es wurde nichts übernommen.")
                             .arg(Anzeige(datei), grund));
    }
    // What the file chooses becomes the scheduler's command line and the input of a program:
    // only a program of the directory, only templates of the catalogue.
    if (!FMenuFile->IsProgrammCode(probe.Programm())) {
        VKOInfo().FehlerRaise(CImportGuard, MD_Koord(1040),
                              {Anzeige(datei), MD_Anzeigbar(probe.Programm())});
    }
    MD_CheckNurVorlagen(probe, Anzeige(datei), CImportGuard);
    MD_CheckGrenzen(probe, Anzeige(datei), CImportGuard);
    QBuffer puffer(&bytes);
    puffer.open(QIODevice::ReadOnly);
    std::ignore = FSelected_Mandorel->LoadFromStream(puffer, QString(), QString());
    FListener->SendNotification_ReportChanged();
} catch (...) {
    RethrowRegistered(CImportGuard);
}
