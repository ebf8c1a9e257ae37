#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <tuple>

#include "md_gui_controller.h"
#include "md_mandorel.h"
#include "vko_info.h"

namespace {

const QString CFilter = QStringLiteral("Exportierte Mandorele (*.mdex)");
const QString CSuffix = QStringLiteral("mdex");
// Far above any real Mandorel; a larger file is not one.
constexpr qint64 CMaxImportBytes = 64 * 1024 * 1024;

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
    // The target is replaced only by a complete file: a failed export neither leaves half a
    // Mandorel nor destroys an earlier export.
    QSaveFile ziel(datei);
    if (!ziel.open(QIODevice::WriteOnly)) {
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
    if (quelle.size() > CMaxImportBytes) {
        throw EVKO_Error(QStringLiteral("Die Datei „%1“ ist kein exportierter Mandorel: sie ist "
                                        "zu groß.")
                             .arg(Anzeige(datei)));
    }
    QByteArray bytes = quelle.readAll();
    if (quelle.error() != QFileDevice::NoError) {
        throw EVKO_Error(QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2")
                             .arg(Anzeige(datei), quelle.errorString()));
    }
    // The whole file is checked before the selected Mandorel takes any of it, so that nothing
    // half-read can be committed.
    try {
        TZEP_MD_Mandorel probe;
        // A damaged stream raises; one without steps is whole, and Buchen asks for steps.
        std::ignore = probe.LoadFromBytes(bytes, QString(), QString());
    } catch (...) {
        const QString grund = VKOInfo().FehlerInfo(std::current_exception()).Text;
        VKOInfo().ResetErrorSpezNoWrite();
        throw EVKO_Error(QStringLiteral("Die Datei „%1“ enthält keinen vollständigen exportierten "
                                        "Mandorel (%2). Es wurde nichts übernommen.")
                             .arg(Anzeige(datei), grund));
    }
    QBuffer puffer(&bytes);
    puffer.open(QIODevice::ReadOnly);
    std::ignore = FSelected_Mandorel->LoadFromStream(puffer, QString(), QString());
    FListener->SendNotification_ReportChanged();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.ImportSelectedReport");
}
