#include "md_gui_ausfuehrungen.h"

#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "md_gui_controller_intf.h"
#include "md_run_guarded.h"
#include "vko_info.h"

namespace {

const QString CZeit = QStringLiteral("dd.MM.yyyy hh:mm:ss");

}  // namespace

TZEP_MD_Ausfuehrungen_Frm::TZEP_MD_Ausfuehrungen_Frm(TZEP_MD_GUI_Controller& AController,
                                                     QWidget* AOwner) try
    : TZEP_MD_FrameOf(AController, AOwner) {
    setObjectName(QStringLiteral("TZEP_MD_Ausfuehrungen_Frm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* teilung = new QSplitter(Qt::Vertical, this);
    vrAusfuehrungen = new QTreeWidget(teilung);
    vrAusfuehrungen->setObjectName(QStringLiteral("vrAusfuehrungen"));
    vrAusfuehrungen->setAccessibleName(View_Caption());
    vrAusfuehrungen->setRootIsDecorated(false);
    vrAusfuehrungen->setUniformRowHeights(true);
    vrAusfuehrungen->setHeaderLabels({QStringLiteral("Start"), QStringLiteral("Ende"),
                                      QStringLiteral("Ergebnis"), QStringLiteral("Exit-Code"),
                                      QStringLiteral("Schritt"), QStringLiteral("Bild"),
                                      QStringLiteral("Arbeitsplatz")});
    vrAusfuehrungen->header()->setStretchLastSection(true);
    memDetails = new QPlainTextEdit(teilung);
    memDetails->setObjectName(QStringLiteral("memDetails"));
    memDetails->setReadOnly(true);
    layout->addWidget(teilung);
    connect(vrAusfuehrungen, &QTreeWidget::currentItemChanged, this, [this] {
        RunGuarded("TZEP_MD_Ausfuehrungen_Frm.vrAusfuehrungenCurrentChanged",
                   [this] { vrAusfuehrungenCurrentChanged(); });
    });
    connect(vrAusfuehrungen, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* AItem) {
        RunGuarded("TZEP_MD_Ausfuehrungen_Frm.BildZeigen",
                   [this, AItem] { BildZeigen(vrAusfuehrungen->indexOfTopLevelItem(AItem)); });
    });
    tmrPruefen = new QTimer(this);
    tmrPruefen->setObjectName(QStringLiteral("tmrPruefen"));
    tmrPruefen->setInterval(CPruefIntervallMs);
    connect(tmrPruefen, &QTimer::timeout, this, [this] {
        RunGuarded("TZEP_MD_Ausfuehrungen_Frm.tmrPruefenTimeout", [this] { tmrPruefenTimeout(); });
    });
} catch (...) {
    RethrowRegistered("TZEP_MD_Ausfuehrungen_Frm.Create");
}

QString TZEP_MD_Ausfuehrungen_Frm::View_Caption() {
    return QStringLiteral("Ausführungen");
}

QUuid TZEP_MD_Ausfuehrungen_Frm::Docking_Key() {
    return QUuid(QStringLiteral("{6B1F2C7E-9A43-4D8B-B7E2-3C51A0D4F9A6}"));
}

void TZEP_MD_Ausfuehrungen_Frm::Initialize() try { LoadAusfuehrungen(); } catch (...) {
    RethrowRegistered("TZEP_MD_Ausfuehrungen_Frm.Initialize");
}

void TZEP_MD_Ausfuehrungen_Frm::Notification_ReportChanged() try {
    LoadAusfuehrungen();
} catch (...) {
    RethrowRegistered("TZEP_MD_Ausfuehrungen_Frm.Notification_ReportChanged");
}

// A view brought back from behind a tab shows the runs that ended meanwhile at once.
void TZEP_MD_Ausfuehrungen_Frm::showEvent(QShowEvent* AEvent) {
    TZEP_MD_FrameOf::showEvent(AEvent);
    tmrPruefen->start();
    RunGuarded("TZEP_MD_Ausfuehrungen_Frm.showEvent", [this] { tmrPruefenTimeout(); });
}

void TZEP_MD_Ausfuehrungen_Frm::hideEvent(QHideEvent* AEvent) {
    tmrPruefen->stop();
    TZEP_MD_FrameOf::hideEvent(AEvent);
}

void TZEP_MD_Ausfuehrungen_Frm::LoadAusfuehrungen() try {
    const int gewaehlt = vrAusfuehrungen->indexOfTopLevelItem(vrAusfuehrungen->currentItem());
    const qint64 gewaehlteId =
        gewaehlt >= 0 && gewaehlt < FEntries.size() ? FEntries[gewaehlt].Id : 0;
    // The rows go while the list rebuilds; no row may be read meanwhile.
    const QSignalBlocker blocker(vrAusfuehrungen);
    vrAusfuehrungen->clear();
    memDetails->clear();
    FLesefehler = false;
    try {
        FEntries = Controller().Ausfuehrungen_SelectedReport();
    } catch (...) {
        FEntries.clear();
        FLesefehler = true;
        memDetails->setPlainText(VKOInfo().FehlerInfo(std::current_exception()).Text);
        VKOInfo().ResetErrorSpezNoWrite();
    }
    FHier = Controller().Gemeinsamer_Arbeitsplatz();
    vrAusfuehrungen->setColumnHidden(6, FHier.isEmpty());
    for (const TZEP_RunEntry& entry : FEntries) {
        auto* zeile = new QTreeWidgetItem(vrAusfuehrungen);
        if (entry.Id == gewaehlteId) {
            vrAusfuehrungen->setCurrentItem(zeile);
        }
        zeile->setText(0, entry.Start.toString(CZeit));
        zeile->setText(1, entry.Ende.toString(CZeit));
        zeile->setText(2, TZEP_RunEntry::ErgebnisText(entry.Ergebnis));
        zeile->setText(3, QString::number(entry.ExitCode));
        zeile->setText(4, entry.Schritt > 0 ? QString::number(entry.Schritt) : QString());
        if (!entry.Bild.isEmpty()) {
            zeile->setText(5, BildHier(entry) ? QStringLiteral("öffnen")
                                              : QStringLiteral("auf „%1“").arg(entry.Arbeitsplatz));
        }
        zeile->setText(6, entry.Arbeitsplatz);
    }
    for (int spalte = 0; spalte < 7; ++spalte) {
        vrAusfuehrungen->resizeColumnToContents(spalte);
    }
    if (vrAusfuehrungen->currentItem() != nullptr) {
        vrAusfuehrungenCurrentChanged();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Ausfuehrungen_Frm.LoadAusfuehrungen");
}

// Reloads only when another connection committed, so an idle view costs one small read.
void TZEP_MD_Ausfuehrungen_Frm::tmrPruefenTimeout() {
    bool geaendert = true;
    try {
        geaendert = Controller().Ausfuehrungen_Geaendert();
    } catch (...) {
        // The reload says why; a view that says so already stays as it is.
        VKOInfo().ResetErrorSpezNoWrite();
        geaendert = !FLesefehler;
    }
    if (geaendert) {
        LoadAusfuehrungen();
    }
}

void TZEP_MD_Ausfuehrungen_Frm::vrAusfuehrungenCurrentChanged() {
    const int row = vrAusfuehrungen->indexOfTopLevelItem(vrAusfuehrungen->currentItem());
    if (row < 0 || row >= FEntries.size()) {
        memDetails->clear();
        return;
    }
    const TZEP_RunEntry& entry = FEntries.at(row);
    QStringList zeilen;
    if (!entry.Meldung.isEmpty()) {
        zeilen << entry.Meldung << QString();
    }
    for (const auto& [token, wert] : entry.TokenWerte) {
        zeilen << token + QStringLiteral(" = ") + wert;
    }
    memDetails->setPlainText(zeilen.join(QLatin1Char('\n')));
}

bool TZEP_MD_Ausfuehrungen_Frm::BildHier(const TZEP_RunEntry& AEntry) const {
    return FHier.isEmpty() || AEntry.Arbeitsplatz.compare(FHier, Qt::CaseInsensitive) == 0;
}

void TZEP_MD_Ausfuehrungen_Frm::BildZeigen(int ARow) {
    if (ARow < 0 || ARow >= FEntries.size() || FEntries.at(ARow).Bild.isEmpty()) {
        return;
    }
    const QString path = FEntries.at(ARow).Bild;
    if (!BildHier(FEntries.at(ARow))) {
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1060),
                              {FEntries.at(ARow).Arbeitsplatz, QDir::toNativeSeparators(path)});
        return;
    }
    const QPixmap bild(path);
    if (bild.isNull()) {
        throw EVKO_Error(QStringLiteral("Das Bild „%1“ der Ausführung lässt sich nicht öffnen.")
                             .arg(QDir::toNativeSeparators(path)));
    }
    auto* fenster = new QDialog(this);
    fenster->setObjectName(QStringLiteral("dlgBild"));
    fenster->setAttribute(Qt::WA_DeleteOnClose);
    fenster->setWindowTitle(QStringLiteral("Ausführung vom ") +
                            FEntries.at(ARow).Start.toString(CZeit));
    auto* layout = new QVBoxLayout(fenster);
    auto* flaeche = new QScrollArea(fenster);
    auto* anzeige = new QLabel(flaeche);
    anzeige->setObjectName(QStringLiteral("lblBild"));
    anzeige->setPixmap(bild);
    flaeche->setWidget(anzeige);
    layout->addWidget(flaeche);
    fenster->resize(qMin(bild.width() + 40, 1000), qMin(bild.height() + 40, 800));
    fenster->show();
}
