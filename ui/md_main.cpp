#include "md_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QToolBar>
#include <QVBoxLayout>
#include <utility>

#include "md_glyph_imagelist.h"
#include "md_gui_ausfuehrungen.h"
#include "md_gui_controller_intf.h"
#include "md_gui_dyntokenauswahl.h"
#include "md_gui_frame_base.h"
#include "md_gui_planer.h"
#include "md_gui_reportdetails.h"
#include "md_gui_reportliste.h"
#include "md_gui_run_progress.h"
#include "md_gui_templatedetails.h"
#include "md_gui_vorschau.h"
#include "md_run_guarded.h"
#include "md_run_sperre.h"
#include "vko_database.h"
#include "vko_info.h"
#include "vko_simplemask.h"
#include "zep_ga_begleitung.h"

namespace {

using TViewFactory = TZEP_MD_Frame* (*)(TZEP_MD_GUI_Controller&);

template <typename TView>
TZEP_MD_Frame* CreateView(TZEP_MD_GUI_Controller& AController) {
    return new TView(AController);
}

// Where a view sits in the default layout: its dock area, or the view whose tab it shares.
struct TViewPlace {
    TViewFactory Create;
    Qt::DockWidgetArea Area;
    int TabWith;
    int Size;
};

// The docked views in the order in which they are created, docked and registered. The list and
// the schedule share the left column, the step and its placeholders the right one; the history
// waits behind the schedule's tab, so that every view has room in the first window.
const TViewPlace CViews[] = {
    {&CreateView<TZEP_MD_Reportliste_Frm>, Qt::LeftDockWidgetArea, -1, 330},
    {&CreateView<TZEP_MD_ReportDetail_Frm>, Qt::RightDockWidgetArea, -1, 390},
    {&CreateView<TZEP_MD_TemplateDetails_Frm>, Qt::RightDockWidgetArea, -1, 170},
    {&CreateView<TZEP_MD_DynToken_Auswahl_Frm>, Qt::RightDockWidgetArea, -1, 160},
    {&CreateView<TZEP_MD_Planer_Frm>, Qt::LeftDockWidgetArea, -1, 390},
    {&CreateView<TZEP_MD_Ausfuehrungen_Frm>, Qt::NoDockWidgetArea, 4, 0},
};
constexpr int CLeftColumnWidth = 320;

const QString CLayoutKey = QStringLiteral("DOCKINGLAYOUT");
// The dock sizes of a layout belong to the window size they were saved with.
const QString CGroesseKey = QStringLiteral("FENSTERGROESSE");
const QSize CMindestGroesse(767, 765);
constexpr double CBildschirmAnteil = 0.8;
constexpr int CGroessteSeite = 32768;
constexpr int CLayoutVersion = 1;
constexpr QDockWidget::DockWidgetFeatures CDockFeatures =
    QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable;

}  // namespace

TZEP_MD_Main::TZEP_MD_Main(QWidget* AOwner) try : QMainWindow(AOwner) {
    setObjectName(QStringLiteral("MAINFORM"));
    // The database in use leads, so that the toolkit adds the program's name only once.
    setWindowTitle(TVKO_Database::DefaultName() + QStringLiteral(" – Mandorel"));
    resize(StartGroesse(screen()->availableGeometry().size()));
    setDockNestingEnabled(true);
    setTabPosition(Qt::AllDockWidgetAreas, QTabWidget::North);

    acOptionSetLocked = new QAction(QStringLiteral("Views sperren"), this);
    acOptionSetLocked->setObjectName(QStringLiteral("acOptionSetLocked"));
    acOptionSetLocked->setShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
    addAction(acOptionSetLocked);
    connect(acOptionSetLocked, &QAction::triggered, this, [this] {
        RunGuarded("TZEP_MD_Main.bpOptionsPnlButtons12BtnClick", [this] { SperrenEntsperren(); });
    });

    pnlHeader = new QLabel(QStringLiteral("Mandorele"));
    pnlHeader->setObjectName(QStringLiteral("pnlHeader"));
    pnlHeader->setTextFormat(Qt::PlainText);
    pnlHeader->setFixedHeight(41);
    pnlHeader->setIndent(10);
    pnlHeader->setAutoFillBackground(true);
    QPalette farben = pnlHeader->palette();
    farben.setColor(QPalette::Window, QColor(0, 0, 160));
    farben.setColor(QPalette::WindowText, Qt::white);
    pnlHeader->setPalette(farben);
    QFont schrift = pnlHeader->font();
    schrift.setBold(true);
    schrift.setPointSize(schrift.pointSize() + 3);
    pnlHeader->setFont(schrift);
    setMenuWidget(pnlHeader);

    AddViewShortcut(QKeySequence(Qt::Key_F6), 1);
    AddViewShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), -1);
    BuildPanel();
    FSimpleMask =
        std::make_unique<TSimpleMask>(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                                      QStringLiteral("MASKCFG"), VKOInfo().VKOInfoTerminalID());
    installEventFilter(this);
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.Create");
}

TZEP_MD_Main::~TZEP_MD_Main() {
    ReleaseGuarded("TZEP_MD_Main.Destroy", [this] { UnRegisterListeners(); });
    ReleaseGuarded("TZEP_MD_Main.Destroy", [this] { FSimpleMask.reset(); });
}

void TZEP_MD_Main::AddViewShortcut(const QKeySequence& AKeys, int AStep) {
    auto* action = new QAction(this);
    action->setShortcut(AKeys);
    addAction(action);
    connect(action, &QAction::triggered, this, [this, AStep] {
        RunGuarded("TZEP_MD_Main.FocusNextView", [&] { FocusNextView(AStep); });
    });
}

void TZEP_MD_Main::BuildPanel() {
    pnlButtons = new QWidget;
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setFixedWidth(102);
    auto* layout = new QVBoxLayout(pnlButtons);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(4);

    btnNew = AddButton("btnNew", QStringLiteral("Neu"), "TZEP_MD_Main.btnNeuClick",
                       &TZEP_MD_Main::btnNeuClick);
    btnEdit = AddButton("btnEdit", QStringLiteral("Bearbeiten"), "TZEP_MD_Main.btnBearbeitenClick",
                        &TZEP_MD_Main::btnBearbeitenClick);
    btnClone = AddButton("btnClone", QStringLiteral("Kopieren"), nullptr, nullptr);
    btnClone->setVisible(false);
    btnClone->setEnabled(false);
    btnDelete = AddButton("btnDelete", QStringLiteral("Löschen"), "TZEP_MD_Main.btnDeleteClick",
                          &TZEP_MD_Main::btnDeleteClick);
    btnBuchen = AddButton("btnBuchen", QStringLiteral("Buchen"), "TZEP_MD_Main.btnBuchenClick",
                          &TZEP_MD_Main::btnBuchenClick);
    btnBuchen->setVisible(false);
    btnAbort = AddButton("btnAbort", QStringLiteral("Abbrechen"), "TZEP_MD_Main.btnAbortClick",
                         &TZEP_MD_Main::btnAbortClick);
    btnAbort->setVisible(false);
    AddSeparator();
    btnTestlauf = AddButton("btnTestlauf", QStringLiteral("Testlauf"),
                            "TZEP_MD_Main.btnTestlaufClick", &TZEP_MD_Main::btnTestlaufClick);
    btnVorschau = AddButton("btnVorschau", QStringLiteral("Vorschau"),
                            "TZEP_MD_Main.btnVorschauClick", &TZEP_MD_Main::btnVorschauClick);
    AddSeparator();
    btnExport = AddButton("btnExport", QStringLiteral("Exportieren"), "TZEP_MD_Main.btnExportClick",
                          &TZEP_MD_Main::btnExportClick);
    btnImport = AddButton("btnImport", QStringLiteral("Importieren "),
                          "TZEP_MD_Main.btnImportClick", &TZEP_MD_Main::btnImportClick);
    AddSeparator();
    btnSetLocked = AddButton("btnSetLocked", QStringLiteral("Sperren"), nullptr, nullptr);
    connect(btnSetLocked, &QPushButton::clicked, acOptionSetLocked, &QAction::trigger);
    layout->addStretch(1);
    btnZurueck = AddButton("btnZurueck", QStringLiteral("Beenden"), "TZEP_MD_Main.btnZurueckClick",
                           &TZEP_MD_Main::btnZurueckClick);
    btnZurueck->setShortcut(QKeySequence(Qt::Key_Escape));

    auto* leiste = new QToolBar(QStringLiteral("Schaltflächen"));
    leiste->setObjectName(QStringLiteral("tbButtons"));
    leiste->setMovable(false);
    leiste->setFloatable(false);
    leiste->setAllowedAreas(Qt::LeftToolBarArea);
    leiste->addWidget(pnlButtons);
    addToolBar(Qt::LeftToolBarArea, leiste);
    setMinimumHeight(pnlButtons->sizeHint().height() + 41 + 16);
}

QPushButton* TZEP_MD_Main::AddButton(const char* AName, const QString& ACaption, const char* AGuard,
                                     void (TZEP_MD_Main::*AHandler)()) {
    auto* button = new QPushButton(ACaption, pnlButtons);
    button->setObjectName(QString::fromLatin1(AName));
    button->setAccessibleName(ACaption.trimmed());
    button->setFixedSize(86, 70);
    button->setAutoDefault(false);
    pnlButtons->layout()->addWidget(button);
    if (AHandler != nullptr) {
        connect(button, &QPushButton::clicked, this,
                [this, AGuard, AHandler] { RunGuarded(AGuard, [&] { (this->*AHandler)(); }); });
    }
    return button;
}

void TZEP_MD_Main::AddSeparator() {
    auto* trenner = new QFrame(pnlButtons);
    trenner->setFrameShape(QFrame::HLine);
    trenner->setFrameShadow(QFrame::Sunken);
    trenner->setFixedSize(90, 8);
    pnlButtons->layout()->addWidget(trenner);
}

void TZEP_MD_Main::SetController(TZEP_MD_GUI_Controller& AController) try {
    FController = &AController;
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.SetController");
}

void TZEP_MD_Main::Initialize() try {
    FARO = true;
    try {
        for (const TViewPlace& place : CViews) {
            AddView(place.Create(*FController));
        }
        DefaultLayout();
        for (TZEP_MD_Frame* view : FViews) {
            RegisterListeners(view);
        }
        FRegistered = true;
        LoadMaske();
        ToggleViews(true);
        ToggleButtons(false);
        for (QDockWidget* dock : FDocks) {
            dock->show();
        }
    } catch (...) {
        // The next start begins from the default layout.
        ReleaseGuarded("TZEP_MD_Main.Initialize", [this] { FSimpleMask->DeleteLocal(); });
        throw;
    }
    FLocked = false;
    SperrenEntsperren();
    FController->Listeners().Register_ReportChanged_Listener(this);
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.Initialize");
}

void TZEP_MD_Main::AddView(TZEP_MD_Frame* AView) try {
    FViews.append(AView);
    auto* dock = new QDockWidget(AView->Frame_Caption(), this);
    dock->setObjectName(AView->Frame_DockingKey().toString(QUuid::WithBraces).toUpper());
    dock->setFeatures(CDockFeatures);
    dock->setWidget(AView);
    FDocks.append(dock);
    AView->Initialize();
} catch (...) {
    RethrowRegistered("AddView");
}

// Docks the view where the default layout has it.
void TZEP_MD_Main::PlaceDock(qsizetype AIndex) {
    const TViewPlace& place = CViews[AIndex];
    if (place.TabWith >= 0) {
        // The view it joins stays in front.
        tabifyDockWidget(FDocks.at(place.TabWith), FDocks.at(AIndex));
        FDocks.at(place.TabWith)->raise();
    } else {
        addDockWidget(place.Area, FDocks.at(AIndex), Qt::Vertical);
    }
}

void TZEP_MD_Main::DefaultLayout() {
    QList<QDockWidget*> links;
    QList<int> linksHoehen;
    QList<QDockWidget*> rechts;
    QList<int> rechtsHoehen;
    for (qsizetype i = 0; i < FDocks.size(); ++i) {
        PlaceDock(i);
        const TViewPlace& place = CViews[i];
        if (place.TabWith >= 0) {
            continue;
        }
        (place.Area == Qt::LeftDockWidgetArea ? links : rechts).append(FDocks.at(i));
        (place.Area == Qt::LeftDockWidgetArea ? linksHoehen : rechtsHoehen).append(place.Size);
    }
    resizeDocks(links, linksHoehen, Qt::Vertical);
    resizeDocks(rechts, rechtsHoehen, Qt::Vertical);
    resizeDocks({links.constFirst()}, {CLeftColumnWidth}, Qt::Horizontal);
}

void TZEP_MD_Main::RegisterListeners(TZEP_MD_Frame* AView) {
    TZEP_MD_GUI_Listener& hub = FController->Listeners();
    if (auto* listener = dynamic_cast<IZEP_MD_ReportListeChanged*>(AView)) {
        hub.Register_ReportListeChanged_Listener(listener);
    }
    if (auto* listener = dynamic_cast<IZEP_MD_SelectedReportChanged*>(AView)) {
        hub.Register_ReportChanged_Listener(listener);
    }
    if (auto* listener = dynamic_cast<IZEP_MD_SelectedTemplateChanged*>(AView)) {
        hub.Register_TemplateChanged_Listener(listener);
    }
    if (auto* listener = dynamic_cast<IZEP_MD_Buchen*>(AView)) {
        hub.Register_Buchen_Listener(listener);
    }
    if (auto* listener = dynamic_cast<IZEP_MD_DynTokenSelected*>(AView)) {
        hub.Register_DynTokenSelected_Listener(listener);
    }
}

// The views die with the window, the hub with the controller after it: no notification may
// reach a view that is gone.
void TZEP_MD_Main::UnRegisterListeners() {
    if (FController == nullptr || !FRegistered) {
        return;
    }
    TZEP_MD_GUI_Listener& hub = FController->Listeners();
    hub.UnRegister_ReportChanged_Listener(this);
    for (TZEP_MD_Frame* view : FViews) {
        if (auto* listener = dynamic_cast<IZEP_MD_ReportListeChanged*>(view)) {
            hub.UnRegister_ReportListeChanged_Listener(listener);
        }
        if (auto* listener = dynamic_cast<IZEP_MD_SelectedReportChanged*>(view)) {
            hub.UnRegister_ReportChanged_Listener(listener);
        }
        if (auto* listener = dynamic_cast<IZEP_MD_SelectedTemplateChanged*>(view)) {
            hub.UnRegister_TemplateChanged_Listener(listener);
        }
        if (auto* listener = dynamic_cast<IZEP_MD_Buchen*>(view)) {
            hub.UnRegister_Buchen_Listener(listener);
        }
        if (auto* listener = dynamic_cast<IZEP_MD_DynTokenSelected*>(view)) {
            hub.UnRegister_DynTokenSelected_Listener(listener);
        }
    }
    FRegistered = false;
}

QSize TZEP_MD_Main::StartGroesse(const QSize& AVerfuegbar) {
    return CMindestGroesse.expandedTo(
        QSize(static_cast<int>(AVerfuegbar.width() * CBildschirmAnteil),
              static_cast<int>(AVerfuegbar.height() * CBildschirmAnteil)));
}

void TZEP_MD_Main::LoadMaske() try {
    const TSimpleMask* maske = FSimpleMask.get();
    // Earlier builds kept the layout under the host name; it is read once from there.
    std::unique_ptr<TSimpleMask> frueher;
    if (maske->ReadLocalDef(CLayoutKey, QString()).isEmpty()) {
        frueher =
            std::make_unique<TSimpleMask>(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                                          QStringLiteral("MASKCFG"), QSysInfo::machineHostName());
        maske = frueher.get();
    }
    const QByteArray layout =
        QByteArray::fromBase64(maske->ReadLocalDef(CLayoutKey, QString()).toLatin1());
    if (layout.isEmpty()) {
        return;
    }
    const QStringList groesse = maske->ReadLocalDef(CGroesseKey, QString()).split(QLatin1Char('x'));
    bool breiteOk = false;
    bool hoeheOk = false;
    const QSize gespeichert(groesse.value(0).toInt(&breiteOk), groesse.value(1).toInt(&hoeheOk));
    if (groesse.size() == 2 && breiteOk && hoeheOk && gespeichert.width() > 0 &&
        gespeichert.height() > 0 && gespeichert.width() <= CGroessteSeite &&
        gespeichert.height() <= CGroessteSeite) {
        resize(gespeichert.expandedTo(minimumSize()));
    }
    if (!restoreState(layout, CLayoutVersion)) {
        return;
    }
    // A layout saved by a window with other views leaves ours out of every dock area.
    bool vollstaendig = true;
    for (QDockWidget* dock : FDocks) {
        if (dock->isFloating() || dockWidgetArea(dock) != Qt::NoDockWidgetArea) {
            continue;
        }
        vollstaendig = false;
        PlaceDock(FDocks.indexOf(dock));
    }
    if (vollstaendig) {
        FGespeichertesLayout = layout;
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.LoadMaske");
}

// Restored before the window had its size, the splitter between the columns gives the left
// one all the room; once shown, the saved sizes fit the window exactly.
void TZEP_MD_Main::showEvent(QShowEvent* AEvent) {
    QMainWindow::showEvent(AEvent);
    if (FGespeichertesLayout.isEmpty()) {
        return;
    }
    RunGuarded("TZEP_MD_Main.FormShow", [this] {
        const QByteArray layout = std::exchange(FGespeichertesLayout, QByteArray());
        restoreState(layout, CLayoutVersion);
    });
}

void TZEP_MD_Main::SaveMaske() try {
    FSimpleMask->WriteLocal(CLayoutKey, QString::fromLatin1(saveState(CLayoutVersion).toBase64()));
    FSimpleMask->WriteLocal(CGroesseKey, QStringLiteral("%1x%2").arg(width()).arg(height()));
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.SaveMaske");
}

void TZEP_MD_Main::ToggleViews(bool ARO) try {
    FARO = ARO;
    for (TZEP_MD_Frame* view : FViews) {
        view->Toggle_RO_RW(ARO);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.ToggleViews");
}

void TZEP_MD_Main::ToggleButtons(bool AEdit) try {
    btnNew->setVisible(!AEdit);
    btnEdit->setVisible(!AEdit);
    btnDelete->setVisible(!AEdit);
    btnBuchen->setVisible(AEdit);
    btnAbort->setVisible(AEdit);
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.ToggleButtons");
}

void TZEP_MD_Main::EditMode() {
    ToggleViews(false);
    ToggleButtons(true);
    FocusFirstInput();
}

void TZEP_MD_Main::BrowseMode() {
    ToggleViews(true);
    ToggleButtons(false);
}

// The first field of a view that the keyboard reaches. Panels built later sit further back in
// the window's focus chain, so the whole chain is searched.
static QWidget* FirstInput(QWidget* AView) {
    for (QWidget* feld = AView->nextInFocusChain(); feld != AView;
         feld = feld->nextInFocusChain()) {
        if (AView->isAncestorOf(feld) && feld->isEnabled() && feld->isVisibleTo(AView) &&
            (feld->focusPolicy() & Qt::TabFocus) != 0) {
            return feld;
        }
    }
    return nullptr;
}

// A hidden button cannot keep the focus; the user goes on typing in the first field.
void TZEP_MD_Main::FocusFirstInput() {
    for (TZEP_MD_Frame* view : FViews) {
        if (QWidget* feld = FirstInput(view)) {
            feld->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

// F6 and Shift+F6 move the focus from view to view, bringing a view behind a tab to the front.
void TZEP_MD_Main::FocusNextView(int AStep) {
    const qsizetype count = FViews.size();
    qsizetype current = AStep > 0 ? -1 : count;
    for (qsizetype i = 0; i < count; ++i) {
        if (FViews.at(i)->isAncestorOf(QApplication::focusWidget())) {
            current = i;
        }
    }
    for (qsizetype n = 1; n <= count; ++n) {
        const qsizetype index = ((current + AStep * n) % count + count) % count;
        if (QWidget* feld = FirstInput(FViews.at(index))) {
            FDocks.at(index)->raise();
            feld->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

void TZEP_MD_Main::SperrenEntsperren() try {
    bool erlaubt = true;
    if (FOnAllowUnLock) {
        FOnAllowUnLock(this, erlaubt);
    }
    if (erlaubt) {
        SetLocked(!FLocked);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.SperrenEntsperren");
}

void TZEP_MD_Main::SetLocked(bool AValue) try {
    if (AValue == FLocked) {
        return;
    }
    FLocked = AValue;
    for (QDockWidget* dock : FDocks) {
        if (FLocked) {
            FLockedCapBut.insert(dock, static_cast<int>(dock->features()));
            dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
        } else {
            dock->setFeatures(QDockWidget::DockWidgetFeatures(
                FLockedCapBut.value(dock, static_cast<int>(CDockFeatures))));
        }
    }
    if (!FLocked) {
        FLockedCapBut.clear();
    }
    const QString caption = FLocked ? QStringLiteral("Entsperren") : QStringLiteral("Sperren");
    btnSetLocked->setText(caption);
    btnSetLocked->setToolTip(caption);
    btnSetLocked->setAccessibleName(caption);
    btnSetLocked->setProperty("glyph", FLocked ? QStringLiteral("UNLOCK") : QStringLiteral("LOCK"));
    btnSetLocked->setIcon(
        FController->Images().Icon(FLocked ? TZEP_RessGlyphImageList::TGlyph::Entsperren
                                           : TZEP_RessGlyphImageList::TGlyph::Sperren));
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.SetLocked");
}

void TZEP_MD_Main::Notification_ReportChanged() try {
    const TZEP_MD_Mandorel* report = FController->Selected_Mandorel();
    pnlHeader->setText(report != nullptr ? QStringLiteral("Mandorel - ") + report->Name_Anzeige()
                                         : QStringLiteral("Mandorel"));
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.Notification_ReportChanged");
}

// A field still being typed in, or a step just chosen, counts before the run, the preview,
// the export and the commit act on the working copy.
void TZEP_MD_Main::Anzeige_2_Report() {
    if (FARO) {
        return;
    }
    for (TZEP_MD_Frame* view : FViews) {
        view->Anzeige_2_Report();
    }
}

void TZEP_MD_Main::NeuHandling() {
    FController->CreateNewReport_Start();
    EditMode();
}

bool TZEP_MD_Main::AbortAsked() {
    if (VKOInfo().ShowDlgMeldung(CVKO_Buttons_JaNein, MD_Koord(1006)) != CVKO_Antwort_Ja) {
        return false;
    }
    FController->ReportChanges_Abort();
    BrowseMode();
    return true;
}

void TZEP_MD_Main::btnNeuClick() try { NeuHandling(); } catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnNeuClick");
}

void TZEP_MD_Main::btnBearbeitenClick() try {
    if (FController->Selected_Mandorel() == nullptr) {
        return;
    }
    EditMode();
    FController->EditSelectedReport_Start();
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnBearbeitenClick");
}

void TZEP_MD_Main::btnDeleteClick() try {
    if (FController->Selected_Mandorel() == nullptr) {
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1027));
        return;
    }
    if (VKOInfo().ShowMeldung(CVKO_Buttons_JaNein, MD_Koord(1002)) == CVKO_Antwort_Ja) {
        FController->DeleteSelectedReport();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnDeleteClick");
}

void TZEP_MD_Main::btnBuchenClick() try {
    Anzeige_2_Report();
    if (!FController->Listeners().SendNotification_BeforeBuchen()) {
        return;
    }
    FController->ReportChanges_Commit();
    BrowseMode();
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnBuchenClick");
}

void TZEP_MD_Main::btnAbortClick() try { AbortAsked(); } catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnAbortClick");
}

void TZEP_MD_Main::btnTestlaufClick() try {
    const TZEP_MD_Mandorel* report = FController->Selected_Mandorel();
    if (report == nullptr) {
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1014));
        return;
    }
    Anzeige_2_Report();
    if (FProgress.isNull()) {
        FProgress = new TZEP_MD_Progress(this);
    }
    TZEP_GA_Begleitung begleitung(screen() != nullptr ? screen()->size() : QSize());
    FProgress->SetBegleitung(&begleitung);
    FProgress->Show(report->Programm(), report->Name_Anzeige());
    QString fehler;
    {
        // The window handles its events while the run plays; nothing but the progress window
        // may act meanwhile.
        const TZEP_MD_RunSperre sperre(*this, FLaufAktiv);
        try {
            FController->ExecuteSelectedReport_Beside(begleitung);
        } catch (...) {
            fehler = VKOInfo().FehlerInfo(std::current_exception()).Text;
        }
    }
    if (!FProgress.isNull()) {
        FProgress->SetBegleitung(nullptr);
        FProgress->Hide();
    }
    if (!fehler.isNull()) {
        VKOInfo().ResetErrorSpezNoWrite();
        // A run the user stopped needs no notice; its entry says "angehalten".
        if (!begleitung.Angehalten()) {
            VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1010), {fehler});
        }
    }
    for (TZEP_MD_Frame* view : FViews) {
        if (auto* ausfuehrungen = dynamic_cast<TZEP_MD_Ausfuehrungen_Frm*>(view)) {
            ausfuehrungen->LoadAusfuehrungen();
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnTestlaufClick");
}

void TZEP_MD_Main::btnVorschauClick() try {
    if (FController->Selected_Mandorel() == nullptr) {
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1028));
        return;
    }
    Anzeige_2_Report();
    if (FVorschau.isNull()) {
        FVorschau = new TZEP_MD_Vorschau(*FController, this);
    }
    FVorschau->Zeigen();
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnVorschauClick");
}

void TZEP_MD_Main::btnExportClick() try {
    Anzeige_2_Report();
    FController->ExportSelectedReport();
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnExportClick");
}

void TZEP_MD_Main::btnImportClick() try {
    if (!FARO) {
        AbortAsked();
    }
    if (!FARO) {
        return;
    }
    NeuHandling();
    FController->ImportSelectedReport();
} catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnImportClick");
}

// Ends the program the way closing the window does, with the same question about an edit.
void TZEP_MD_Main::btnZurueckClick() try { close(); } catch (...) {
    RethrowRegistered("TZEP_MD_Main.btnZurueckClick");
}

void TZEP_MD_Main::closeEvent(QCloseEvent* AEvent) {
    if (FLaufAktiv) {
        // The test run is stopped with its own button; the window closes after it.
        AEvent->ignore();
        return;
    }
    RunGuarded("TZEP_MD_Main.FormCloseQuery", [&] {
        if (!FARO &&
            VKOInfo().ShowMeldung(CVKO_Buttons_JaNein, MD_Koord(1008)) != CVKO_Antwort_Ja) {
            AEvent->ignore();
        }
    });
    if (!AEvent->isAccepted()) {
        return;
    }
    RunGuarded("TZEP_MD_Main.FormClose", [this] { SaveMaske(); });
    QMainWindow::closeEvent(AEvent);
}

// While locked the splitters between the docks ignore the mouse.
bool TZEP_MD_Main::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched == this && FLocked) {
        switch (AEvent->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
                if (isSeparator(static_cast<QMouseEvent*>(AEvent)->position().toPoint())) {
                    return true;
                }
                break;
            case QEvent::HoverMove:
            case QEvent::HoverEnter:
                if (isSeparator(static_cast<QHoverEvent*>(AEvent)->position().toPoint())) {
                    unsetCursor();
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return QMainWindow::eventFilter(AWatched, AEvent);
}
