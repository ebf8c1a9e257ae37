#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include "md_gui_run_progress.h"

TEST(Progress, ReadsFromTopToBottomWhatRunsForWhichProgram) {
    TZEP_MD_Progress progress;
    progress.SetProgReport(QStringLiteral("PLON"), QStringLiteral("Monatsliste"));
    progress.show();
    const QList<QLabel*> labels{progress.lblProgressHint, progress.lblReportName,
                                progress.lblProgressHint2, progress.lblProgramm,
                                progress.lblProgressHint3};
    QStringList texts;
    int previousTop = -1;
    for (QLabel* label : labels) {
        texts.append(label->text());
        const int top = label->mapTo(&progress, QPoint(0, 0)).y();
        EXPECT_GT(top, previousTop);
        previousTop = top;
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Der Mandorel "), QStringLiteral("Monatsliste"),
                                  QStringLiteral("für das Programm"), QStringLiteral("PLON"),
                                  QStringLiteral("wird gerade ausgeführt.")}));
    EXPECT_EQ(progress.size(), QSize(409, 249));
    EXPECT_TRUE(progress.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(Progress, ShowsTextsLiterally) {
    TZEP_MD_Progress progress;
    progress.SetProgReport(QStringLiteral("P&L"), QStringLiteral("<b>Liste</b>"));
    EXPECT_EQ(progress.lblProgramm->textFormat(), Qt::PlainText);
    EXPECT_EQ(progress.lblReportName->text(), QStringLiteral("<b>Liste</b>"));
}

TEST(Progress, IsDraggedByAnyPointOfItsSurface) {
    TZEP_MD_Progress progress;
    progress.show();
    progress.move(100, 100);
    const QPoint start = progress.pos();
    QWidget* grip = progress.lblProgressHint2;
    const QPoint at(5, 5);
    QTest::mousePress(grip, Qt::LeftButton, Qt::NoModifier, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(30, 20)),
                     QPointF(grip->mapToGlobal(at + QPoint(30, 20))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(grip, &move);
    QTest::mouseRelease(grip, Qt::LeftButton, Qt::NoModifier, at + QPoint(30, 20));
    EXPECT_EQ(progress.pos(), start + QPoint(30, 20));
}
