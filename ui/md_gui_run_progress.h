#pragma once

#include <QPoint>
#include <QWidget>

#include "md_progress_window.h"

class QLabel;
class QPushButton;
class QTimer;
class TZEP_GA_Begleitung;

// A small borderless window that names the Mandorel and the program of the run in progress.
class TZEP_MD_Progress : public QWidget, public IZEP_MD_ProgressWindow {
    Q_OBJECT

public:
    explicit TZEP_MD_Progress(QWidget* AParent = nullptr);

    // Program first, report second.
    void SetProgReport(const QString& AProg, const QString& AReport);
    // Shows the window and lets events be processed until the window system has exposed it
    // and it is painted, for at most CPaintWaitMs: the run that follows blocks the thread, and
    // a window manager maps a window only some time after it was shown. Never fails.
    void ShowPainted();

    static constexpr int CPaintWaitMs = 1000;

    // For a test run: the button "Anhalten" stops it, and while it plays on a display of its
    // own its picture shows below the labels. Null (an unattended run, or the run has ended)
    // takes both away again.
    void SetBegleitung(TZEP_GA_Begleitung* ABegleitung);

    static constexpr int CBreite = 409;
    static constexpr int CHoehe = 249;
    // How often the window looks for a new picture.
    static constexpr int CBildPollMs = 50;

    void Show(const QString& AProgramm, const QString& AName) override;
    void Hide() override;

    QLabel* lblProgressHint = nullptr;
    QLabel* lblReportName = nullptr;
    QLabel* lblProgressHint2 = nullptr;
    QLabel* lblProgramm = nullptr;
    QLabel* lblProgressHint3 = nullptr;
    QPushButton* btnAnhalten = nullptr;
    QLabel* imgBildschirm = nullptr;

protected:
    void paintEvent(QPaintEvent* AEvent) override;
    void mousePressEvent(QMouseEvent* AEvent) override;
    void mouseMoveEvent(QMouseEvent* AEvent) override;
    void mouseReleaseEvent(QMouseEvent* AEvent) override;

private:
    void FormCreate();
    void FormMouseDown(QMouseEvent* AEvent);
    void NeuesBild();

    TZEP_GA_Begleitung* FBegleitung = nullptr;
    QTimer* FBildTimer = nullptr;
    bool FPainted = false;
    bool FDragging = false;
    QPoint FDragOffset;
};
