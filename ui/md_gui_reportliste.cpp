#include "md_gui_reportliste.h"

#include <QHash>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "md_gui_controller_intf.h"
#include "md_gui_reportliste_model.h"
#include "md_mandorel.h"
#include "md_run_guarded.h"
#include "vko_info.h"
#include "zep_menu_file.h"

TZEP_MD_Reportliste_Frm::TZEP_MD_Reportliste_Frm(TZEP_MD_GUI_Controller& AController,
                                                 QWidget* AOwner) try
    : TZEP_MD_FrameOf(AController, AOwner) {
    setObjectName(QStringLiteral("TZEP_MD_Reportliste_Frm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    FReportListe = new TZEP_MD_ReportListeModel(this);
    vrMandorele = new QTreeView(this);
    vrMandorele->setObjectName(QStringLiteral("vrMandorele"));
    vrMandorele->setAccessibleName(View_Caption());
    vrMandorele->setModel(FReportListe);
    vrMandorele->setColumnHidden(TZEP_MD_ReportListeModel::CSpalte_Programm, true);
    vrMandorele->setSelectionMode(QAbstractItemView::SingleSelection);
    vrMandorele->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vrMandorele->setUniformRowHeights(true);
    vrMandorele->header()->setSectionsClickable(true);
    vrMandorele->header()->setStretchLastSection(true);
    layout->addWidget(vrMandorele);
    connect(vrMandorele->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        RunGuarded("TZEP_MD_Reportliste_Frm.vrMandoreleSelectionChanged",
                   [this] { vrMandoreleSelectionChanged(); });
    });
    tmrPruefen = new QTimer(this);
    tmrPruefen->setObjectName(QStringLiteral("tmrListePruefen"));
    tmrPruefen->setInterval(CPruefIntervallMs);
    connect(tmrPruefen, &QTimer::timeout, this, [this] {
        RunGuarded("TZEP_MD_Reportliste_Frm.tmrPruefenTimeout", [this] { tmrPruefenTimeout(); });
    });
    tmrPruefen->start();
} catch (...) {
    RethrowRegistered("TZEP_MD_Reportliste_Frm.Create");
}

QString TZEP_MD_Reportliste_Frm::View_Caption() {
    return QStringLiteral("Liste aller Mandorele");
}

QUuid TZEP_MD_Reportliste_Frm::Docking_Key() {
    return QUuid(QStringLiteral("{C5D03F4C-3C55-4402-A3EE-03CF4E539913}"));
}

void TZEP_MD_Reportliste_Frm::Initialize() try { LoadReporte(); } catch (...) {
    RethrowRegistered("TZEP_MD_Reportliste_Frm.Initialize");
}

void TZEP_MD_Reportliste_Frm::Toggle_RO_RW(bool ARO) try {
    TZEP_MD_Frame::Toggle_RO_RW(!ARO);
    vrMandorele->setEnabled(ARO);
} catch (...) {
    RethrowRegistered("TZEP_MD_Reportliste_Frm.Toggle_RO_RW");
}

void TZEP_MD_Reportliste_Frm::Notification_ReportListeChanged() try { LoadReporte(); } catch (...) {
    RethrowRegistered("TZEP_MD_Reportliste_Frm.Notification_ReportListeChanged");
}

void TZEP_MD_Reportliste_Frm::LoadReporte() try {
    QHash<QString, QString> anzeigeNamen;
    QHash<QString, std::size_t> gruppenIndex;
    std::vector<TZEP_MD_ReportListeModel::TGruppe> gruppen;
    const TZEP_MenuFile& menuFile = Controller().MenuFile();
    Controller().Enum_Mandorele([&](TZEP_MD_Mandorel& AMandorel) {
        try {
            const QString& programm = AMandorel.Programm();
            auto bekannt = anzeigeNamen.constFind(programm);
            if (bekannt == anzeigeNamen.cend()) {
                QString anzeige = menuFile.ProgrammName_ByExeName(programm.toUpper());
                bekannt = anzeigeNamen.insert(programm, anzeige.isEmpty() ? programm : anzeige);
            }
            auto gruppe = gruppenIndex.constFind(*bekannt);
            if (gruppe == gruppenIndex.cend()) {
                gruppe = gruppenIndex.insert(*bekannt, gruppen.size());
                gruppen.push_back({{*bekannt, programm}, {}});
            }
            gruppen[*gruppe].Kinder.push_back({AMandorel.Name_Anzeige(), programm});
        } catch (...) {
            RethrowRegistered("TZEP_MD_Reportliste_Frm.LoadReporte_Callback");
        }
    });
    // Rebuilding is no choice of the user: the controller's selection stays as it is.
    const QSignalBlocker blocker(vrMandorele->selectionModel());
    FReportListe->SetGruppen(std::move(gruppen));
    vrMandorele->setColumnHidden(TZEP_MD_ReportListeModel::CSpalte_Programm, true);
    vrMandorele->expandAll();
} catch (...) {
    RethrowRegistered("TZEP_MD_Reportliste_Frm.LoadReporte");
}

// Only while the list is browsed: an open edit keeps what it shows.
void TZEP_MD_Reportliste_Frm::tmrPruefenTimeout() {
    bool geaendert = false;
    try {
        geaendert = vrMandorele->isEnabled() && Controller().Mandorele_Geaendert();
    } catch (...) {
        // The user's next action says why; a failed look waits for the next tick.
        VKOInfo().ResetErrorSpezNoWrite();
    }
    if (geaendert) {
        LoadReporte();
    }
}

void TZEP_MD_Reportliste_Frm::vrMandoreleSelectionChanged() try {
    const QModelIndexList auswahl = vrMandorele->selectionModel()->selectedIndexes();
    if (auswahl.isEmpty()) {
        Controller().Select_Mandorel(QString(), QString());
        return;
    }
    bool istGruppe = false;
    const TZEP_MD_ReportListeModel::TZeile& zeile = FReportListe->Zeile(auswahl.first(), istGruppe);
    if (!istGruppe) {
        // Copies: the selection reloads nothing, yet the row must not be read afterwards.
        const QString name = zeile.Anzeigename;
        const QString programm = zeile.Programm;
        Controller().Select_Mandorel(name, programm);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Reportliste_Frm.vrMandoreleSelectionChanged");
}
