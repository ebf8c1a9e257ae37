#pragma once

#include <QPoint>
#include <QWidget>

#include "md_progress_window.h"

class QLabel;

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

    void Show(const QString& AProgramm, const QString& AName) override;
    void Hide() override;

    QLabel* lblProgressHint = nullptr;
    QLabel* lblReportName = nullptr;
    QLabel* lblProgressHint2 = nullptr;
    QLabel* lblProgramm = nullptr;
    QLabel* lblProgressHint3 = nullptr;

protected:
    void paintEvent(QPaintEvent* AEvent) override;
    void mousePressEvent(QMouseEvent* AEvent) override;
    void mouseMoveEvent(QMouseEvent* AEvent) override;
    void mouseReleaseEvent(QMouseEvent* AEvent) override;

private:
    void FormCreate();
    void FormMouseDown(QMouseEvent* AEvent);

    bool FPainted = false;
    bool FDragging = false;
    QPoint FDragOffset;
};
