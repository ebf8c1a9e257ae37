#include "md_gui_dyntokenauswahl.h"

#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "md_glyph_imagelist.h"
#include "md_gui_controller_intf.h"
#include "md_run_guarded.h"
#include "vko_info.h"

namespace {

constexpr int CZelle_Bezeichnung = 0;
constexpr int CZelle_Kennung = 1;
constexpr int CZelle_Uebernehmen = 2;

// A click on a cell selects its row where it stands: the list does not slide sideways under the
// mouse to show the whole cell.
class TZeilenListe : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    // The view would bring the clicked cell into sight a moment after the click.
    void mousePressEvent(QMouseEvent* AEvent) override {
        setAutoScroll(false);
        QTreeWidget::mousePressEvent(AEvent);
        setAutoScroll(true);
    }
    // Typing finds a placeholder by its name, also when the image at the front is current.
    void keyboardSearch(const QString& ASearch) override {
        const QModelIndex aktuell = currentIndex();
        if (aktuell.isValid() && aktuell.column() != CZelle_Bezeichnung) {
            setCurrentIndex(aktuell.siblingAtColumn(CZelle_Bezeichnung));
        }
        QTreeWidget::keyboardSearch(ASearch);
    }
};

}  // namespace

TZEP_MD_DynToken_Auswahl_Frm::TZEP_MD_DynToken_Auswahl_Frm(TZEP_MD_GUI_Controller& AController,
                                                           QWidget* AOwner) try
    : TZEP_MD_FrameOf(AController, AOwner), vtDynTokens(new TZeilenListe(this)) {
    setObjectName(QStringLiteral("TZEP_MD_DynToken_Auswahl_Frm"));
    vtDynTokens->setObjectName(QStringLiteral("vtDynTokens"));
    vtDynTokens->setAccessibleName(View_Caption());
    vtDynTokens->setColumnCount(3);
    vtDynTokens->setHeaderLabels(
        {QStringLiteral("Bezeichnung"), QStringLiteral("Kennung"), QStringLiteral("Übernehmen")});
    vtDynTokens->setHeaderHidden(true);
    vtDynTokens->setRootIsDecorated(false);
    vtDynTokens->setSelectionBehavior(QAbstractItemView::SelectRows);
    vtDynTokens->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vtDynTokens->header()->setStretchLastSection(false);
    vtDynTokens->header()->setSectionResizeMode(CZelle_Bezeichnung, QHeaderView::ResizeToContents);
    vtDynTokens->header()->setSectionResizeMode(CZelle_Kennung, QHeaderView::ResizeToContents);
    vtDynTokens->header()->setSectionResizeMode(CZelle_Uebernehmen, QHeaderView::Fixed);
    vtDynTokens->header()->resizeSection(CZelle_Uebernehmen, 28);
    // Names and keys take the room they need; the take-over image leads, so that it stays in
    // sight in a narrow view.
    vtDynTokens->header()->moveSection(CZelle_Uebernehmen, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(vtDynTokens);
    vtDynTokens->installEventFilter(this);
    connect(vtDynTokens, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* ARow, int AColumn) {
                RunGuarded("TZEP_MD_DynToken_Auswahl_Frm.vtDynTokensColumnNodeDblClick", [&] {
                    if (AColumn == CZelle_Uebernehmen) {
                        BildKlick(ARow);
                    } else {
                        Uebernehmen(ARow);
                    }
                });
            });
    connect(vtDynTokens, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* ARow, int AColumn) {
                RunGuarded("TZEP_MD_DynToken_Auswahl_Frm.vtDynTokensColumnNodeImageClick", [&] {
                    if (AColumn == CZelle_Uebernehmen) {
                        BildKlick(ARow);
                    }
                });
            });
} catch (...) {
    RethrowRegistered("TZEP_MD_DynToken_Auswahl_Frm.Create");
}

QString TZEP_MD_DynToken_Auswahl_Frm::View_Caption() {
    return QStringLiteral("Platzhalter");
}

QUuid TZEP_MD_DynToken_Auswahl_Frm::Docking_Key() {
    return QUuid(QStringLiteral("{FEE72A8D-6EC8-42E7-B365-0FFE265DBB40}"));
}

void TZEP_MD_DynToken_Auswahl_Frm::Initialize() try {
    vtDynTokens->clear();
    QList<QPair<QString, QString>> tokens;
    Controller().Enum_DynTokens([&tokens](const QString& AKennung, const QString& ABezeichnung) {
        tokens.append({ABezeichnung, AKennung});
    });
    // Display names in German order, without regard to case.
    QCollator ordnung{QLocale(QLocale::German, QLocale::Germany)};
    ordnung.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(tokens.begin(), tokens.end(), [&ordnung](const auto& A, const auto& B) {
        return ordnung.compare(A.first, B.first) < 0;
    });
    for (const auto& [bezeichnung, kennung] : tokens) {
        DynToken_EnumCallback(kennung, bezeichnung);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_DynToken_Auswahl_Frm.Initialize");
}

void TZEP_MD_DynToken_Auswahl_Frm::DynToken_EnumCallback(const QString& ATokenKennung,
                                                         const QString& ATokenBezeichnung) try {
    auto* row = new QTreeWidgetItem(vtDynTokens, {ATokenBezeichnung, ATokenKennung, QString()});
    row->setIcon(CZelle_Uebernehmen,
                 Controller().Images().Icon(TZEP_RessGlyphImageList::TGlyph::Platzhalter));
    row->setToolTip(CZelle_Uebernehmen, QStringLiteral("Übernehmen"));
} catch (...) {
    RethrowRegistered("TZEP_MD_DynToken_Auswahl_Frm.DynToken_EnumCallback");
}

void TZEP_MD_DynToken_Auswahl_Frm::Toggle_RO_RW(bool ARO) try {
    TZEP_MD_Frame::Toggle_RO_RW(ARO);
    vtDynTokens->setEnabled(!ARO);
} catch (...) {
    RethrowRegistered("TZEP_MD_DynToken_Auswahl_Frm.Toggle_RO_RW");
}

// Return takes the current row over, so that the keyboard alone can do it.
bool TZEP_MD_DynToken_Auswahl_Frm::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched == vtDynTokens && AEvent->type() == QEvent::KeyPress) {
        const int taste = static_cast<QKeyEvent*>(AEvent)->key();
        if (taste == Qt::Key_Return || taste == Qt::Key_Enter) {
            RunGuarded("TZEP_MD_DynToken_Auswahl_Frm.vtDynTokensKeyDown",
                       [this] { Uebernehmen(vtDynTokens->currentItem()); });
            return true;
        }
    }
    return TZEP_MD_Frame::eventFilter(AWatched, AEvent);
}

void TZEP_MD_DynToken_Auswahl_Frm::Uebernehmen(const QTreeWidgetItem* ARow) {
    // A disabled list takes nothing over, however the event reached it.
    if (ARow != nullptr && vtDynTokens->isEnabled()) {
        Controller().Listeners().SendNotification_DynTokenSelected(ARow->text(CZelle_Kennung));
    }
}

// A double click on the image also reports its clicks: what follows a take-over of the same
// row within the double-click time belongs to it.
void TZEP_MD_DynToken_Auswahl_Frm::BildKlick(const QTreeWidgetItem* ARow) {
    if (ARow == FBildZeile && FBildZeit.isValid() &&
        FBildZeit.elapsed() < QApplication::doubleClickInterval()) {
        return;
    }
    FBildZeile = ARow;
    FBildZeit.start();
    Uebernehmen(ARow);
}
