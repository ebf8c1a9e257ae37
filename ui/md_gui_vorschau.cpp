#include "md_gui_vorschau.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "md_gui_controller_intf.h"
#include "md_run_guarded.h"
#include "vko_clock.h"
#include "vko_info.h"

TZEP_MD_Vorschau::TZEP_MD_Vorschau(TZEP_MD_GUI_Controller& AController, QWidget* AOwner) try
    : QDialog(AOwner), FController(AController) {
    setObjectName(QStringLiteral("dlgVorschau"));
    setWindowTitle(QStringLiteral("Vorschau"));
    auto* layout = new QVBoxLayout(this);
    lblMandorel = new QLabel(this);
    lblMandorel->setObjectName(QStringLiteral("lblMandorel"));
    lblMandorel->setTextFormat(Qt::PlainText);
    lblMandorel->setWordWrap(true);
    layout->addWidget(lblMandorel);
    auto* kopf = new QFormLayout;
    edDatum = new QDateEdit(vko_Now().date(), this);
    edDatum->setObjectName(QStringLiteral("edDatum"));
    edDatum->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edDatum->setCalendarPopup(true);
    kopf->addRow(QStringLiteral("Lauf am"), edDatum);
    layout->addLayout(kopf);
    vrVorschau = new QTreeWidget(this);
    vrVorschau->setObjectName(QStringLiteral("vrVorschau"));
    vrVorschau->setRootIsDecorated(false);
    vrVorschau->setHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Aktion")});
    vrVorschau->header()->setStretchLastSection(true);
    layout->addWidget(vrVorschau);
    resize(560, 480);
    connect(edDatum, &QDateEdit::dateChanged, this,
            [this] { RunGuarded("TZEP_MD_Vorschau.edDatumChanged", [this] { Berechnen(); }); });
} catch (...) {
    RethrowRegistered("TZEP_MD_Vorschau.Create");
}

void TZEP_MD_Vorschau::Zeigen() try {
    Berechnen();
    show();
    raise();
    activateWindow();
} catch (...) {
    RethrowRegistered("TZEP_MD_Vorschau.Zeigen");
}

void TZEP_MD_Vorschau::Berechnen() try {
    vrVorschau->clear();
    const TZEP_MD_Mandorel* report = FController.Selected_Mandorel();
    lblMandorel->setText(report != nullptr
                             ? report->Programm() + QStringLiteral(" – ") + report->Name_Anzeige()
                             : QString());
    TZEP_GA_Sequence vorschau;
    try {
        if (!FController.Vorschau_SelectedReport(edDatum->date(), vorschau)) {
            return;
        }
    } catch (...) {
        // The run would stop the same way: the reason is the preview.
        lblMandorel->setText(lblMandorel->text() + QStringLiteral("\n") +
                             VKOInfo().FehlerInfo(std::current_exception()).Text);
        VKOInfo().ResetErrorSpezNoWrite();
        return;
    }
    for (qsizetype i = 0; i < vorschau.Count(); ++i) {
        auto* zeile = new QTreeWidgetItem(vrVorschau);
        zeile->setText(0, QString::number(i + 1));
        zeile->setText(1, vorschau.Action(i).ToString());
    }
    vrVorschau->resizeColumnToContents(0);
} catch (...) {
    RethrowRegistered("TZEP_MD_Vorschau.Berechnen");
}
