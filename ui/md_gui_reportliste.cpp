#include "md_gui_reportliste.h"

#include <QHash>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "md_gui_controller_intf.h"
#include "md_mandorel.h"
#include "md_run_guarded.h"
#include "vko_info.h"
#include "zep_menu_file.h"

namespace {

constexpr int CSpalte_Anzeigename = 0;
constexpr int CSpalte_Programm = 1;

}  // namespace

TZEP_MD_Reportliste_Frm::TZEP_MD_Reportliste_Frm(TZEP_MD_GUI_Controller& AController,
                                                 QWidget* AOwner) try
    : TZEP_MD_FrameOf(AController, AOwner) {
    setObjectName(QStringLiteral("TZEP_MD_Reportliste_Frm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    vrMandorele = new QTreeWidget(this);
    vrMandorele->setObjectName(QStringLiteral("vrMandorele"));
    vrMandorele->setAccessibleName(View_Caption());
    vrMandorele->setColumnCount(2);
    vrMandorele->setHeaderLabels({QStringLiteral("Anzeigename"), QStringLiteral("Programm")});
    vrMandorele->setColumnHidden(CSpalte_Programm, true);
    vrMandorele->setSelectionMode(QAbstractItemView::SingleSelection);
    vrMandorele->setUniformRowHeights(true);
    vrMandorele->header()->setSectionsClickable(true);
    vrMandorele->header()->setStretchLastSection(true);
    layout->addWidget(vrMandorele);
    connect(vrMandorele, &QTreeWidget::itemSelectionChanged, this, [this] {
        RunGuarded("TZEP_MD_Reportliste_Frm.vrMandoreleSelectionChanged",
                   [this] { vrMandoreleSelectionChanged(); });
    });
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
    // Rebuilding is no choice of the user: the controller's selection stays as it is.
    const QSignalBlocker blocker(vrMandorele);
    vrMandorele->clear();
    QHash<QString, QString> anzeigeNamen;
    QHash<QString, QTreeWidgetItem*> gruppen;
    QList<QTreeWidgetItem*> neueGruppen;
    const TZEP_MenuFile& menuFile = Controller().MenuFile();
    Controller().Enum_Mandorele([&](TZEP_MD_Mandorel& AMandorel) {
        try {
            const QString& programm = AMandorel.Programm();
            auto bekannt = anzeigeNamen.constFind(programm);
            if (bekannt == anzeigeNamen.cend()) {
                QString anzeige = menuFile.ProgrammName_ByExeName(programm.toUpper());
                bekannt = anzeigeNamen.insert(programm, anzeige.isEmpty() ? programm : anzeige);
            }
            QTreeWidgetItem*& gruppe = gruppen[*bekannt];
            if (gruppe == nullptr) {
                gruppe = new QTreeWidgetItem(QStringList{*bekannt, programm});
                neueGruppen.append(gruppe);
            }
            gruppe->addChild(new QTreeWidgetItem(QStringList{AMandorel.Name_Anzeige(), programm}));
        } catch (...) {
            RethrowRegistered("TZEP_MD_Reportliste_Frm.LoadReporte_Callback");
        }
    });
    vrMandorele->addTopLevelItems(neueGruppen);
    vrMandorele->expandAll();
} catch (...) {
    RethrowRegistered("TZEP_MD_Reportliste_Frm.LoadReporte");
}

void TZEP_MD_Reportliste_Frm::vrMandoreleSelectionChanged() try {
    const QList<QTreeWidgetItem*> auswahl = vrMandorele->selectedItems();
    if (auswahl.isEmpty()) {
        Controller().Select_Mandorel(QString(), QString());
        return;
    }
    const QTreeWidgetItem* zeile = auswahl.first();
    if (zeile->parent() != nullptr) {
        Controller().Select_Mandorel(zeile->text(CSpalte_Anzeigename),
                                     zeile->text(CSpalte_Programm));
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Reportliste_Frm.vrMandoreleSelectionChanged");
}
