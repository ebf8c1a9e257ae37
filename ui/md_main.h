#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "md_gui_listener.h"

class QAction;
class QKeySequence;
class QDockWidget;
class QLabel;
class QPushButton;
class TSimpleMask;
class TZEP_MD_Frame;
class TZEP_MD_GUI_Controller;
class TZEP_MD_Progress;
class TZEP_MD_Vorschau;

// Asked before every change of the layout lock; clearing AExecAllowed keeps the lock as it is.
using TDVDlgConfirmExecEvent = std::function<void(QObject* ASender, bool& AExecAllowed)>;

// The window of the interactive module: the docked views, the buttons of the edit cycle, the
// layout lock and the layout saved per workstation. It is the one object that creates, docks
// and wires the views.
class TZEP_MD_Main : public QMainWindow, public IZEP_MD_SelectedReportChanged {
    Q_OBJECT

public:
    explicit TZEP_MD_Main(QWidget* AOwner = nullptr);
    ~TZEP_MD_Main() override;

    void SetController(TZEP_MD_GUI_Controller& AController);
    void Initialize();

    bool Locked() const { return FLocked; }
    void SetLocked(bool AValue);
    void SetOnAllowUnLock(TDVDlgConfirmExecEvent AEvent) { FOnAllowUnLock = std::move(AEvent); }

    void Notification_ReportChanged() override;

    // The size of the first window on a screen with this much room: more than the least size
    // only where the screen has it to spare.
    static QSize StartGroesse(const QSize& AVerfuegbar);

protected:
    void closeEvent(QCloseEvent* AEvent) override;
    void showEvent(QShowEvent* AEvent) override;
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;
    // Docks and the button panel cannot be hidden through a context menu.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void BuildPanel();
    QPushButton* AddButton(const char* AName, const QString& ACaption, const char* AGuard,
                           void (TZEP_MD_Main::*AHandler)());
    void AddSeparator();
    void AddView(TZEP_MD_Frame* AView);
    void PlaceDock(qsizetype AIndex);
    void DefaultLayout();
    void RegisterListeners(TZEP_MD_Frame* AView);
    void UnRegisterListeners();
    void LoadMaske();
    void SaveMaske();
    void ToggleViews(bool ARO);
    void ToggleButtons(bool AEdit);
    void EditMode();
    void BrowseMode();
    void FocusFirstInput();
    void AddViewShortcut(const QKeySequence& AKeys, int AStep);
    void FocusNextView(int AStep);
    void SperrenEntsperren();
    bool AbortAsked();
    void NeuHandling();
    void Anzeige_2_Report();

    void btnNeuClick();
    void btnBearbeitenClick();
    void btnDeleteClick();
    void btnBuchenClick();
    void btnAbortClick();
    void btnTestlaufClick();
    void btnVorschauClick();
    void btnExportClick();
    void btnImportClick();
    void btnZurueckClick();

    TZEP_MD_GUI_Controller* FController = nullptr;
    QList<TZEP_MD_Frame*> FViews;
    QList<QDockWidget*> FDocks;
    std::unique_ptr<TSimpleMask> FSimpleMask;
    bool FARO = true;
    bool FLocked = false;
    TDVDlgConfirmExecEvent FOnAllowUnLock;
    QHash<QDockWidget*, int> FLockedCapBut;
    bool FRegistered = false;
    QByteArray FGespeichertesLayout;

    QLabel* pnlHeader = nullptr;
    QWidget* pnlButtons = nullptr;
    QPushButton* btnNew = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnClone = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnBuchen = nullptr;
    QPushButton* btnAbort = nullptr;
    QPushButton* btnTestlauf = nullptr;
    QPushButton* btnVorschau = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnImport = nullptr;
    QPushButton* btnSetLocked = nullptr;
    QPushButton* btnZurueck = nullptr;
    QAction* acOptionSetLocked = nullptr;
    QPointer<TZEP_MD_Progress> FProgress;
    bool FLaufAktiv = false;
    QPointer<TZEP_MD_Vorschau> FVorschau;
};
