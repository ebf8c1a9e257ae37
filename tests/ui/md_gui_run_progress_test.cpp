#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "md_gui_run_progress.h"
#include "zep_ga_begleitung.h"

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

TEST(Progress, AnUnattendedRunOffersNoStop) {
    TZEP_MD_Progress progress;
    progress.Show(QStringLiteral("PLON"), QStringLiteral("Monatsliste"));
    EXPECT_FALSE(progress.btnAnhalten->isVisible());
    EXPECT_FALSE(progress.imgBildschirm->isVisible());
}

TEST(Progress, ATestRunIsStoppedAndWatchedAndTheWindowShrinksAfterwards) {
    TZEP_GA_Begleitung begleitung;
    TZEP_MD_Progress progress;
    progress.SetBegleitung(&begleitung);
    progress.Show(QStringLiteral("PLON"), QStringLiteral("Monatsliste"));
    auto* anhalten = progress.findChild<QPushButton*>(QStringLiteral("btnAnhalten"));
    ASSERT_NE(anhalten, nullptr);
    ASSERT_TRUE(anhalten->isVisible());
    EXPECT_EQ(anhalten->text(), QStringLiteral("Anhalten"));
    EXPECT_EQ(progress.size(), QSize(409, 249)) << "no picture yet, no room for one";

    // A red picture of 640 by 400 from the run's display.
    QByteArray rot;
    for (int i = 0; i < 640 * 400; ++i) {
        rot.append("\x00\x00\xff\xff", 4);
    }
    begleitung.SetBild({640, 400, rot});
    for (int i = 0; i < 100 && !progress.imgBildschirm->isVisible(); ++i) {
        QTest::qWait(20);
    }
    ASSERT_TRUE(progress.imgBildschirm->isVisible()) << "the picture did not come";
    const QImage gezeigt = progress.imgBildschirm->pixmap().toImage();
    EXPECT_EQ(gezeigt.size(), QSize(640, 400));
    EXPECT_EQ(gezeigt.pixelColor(320, 200), QColor(Qt::red));
    EXPECT_GE(progress.width(), 640);
    EXPECT_GE(progress.height(), 249 + 400);
    EXPECT_EQ(progress.lblProgressHint3->text(), QStringLiteral("wird gerade ausgeführt."));
    EXPECT_FALSE(progress.isModal());

    QTest::mouseClick(anhalten, Qt::LeftButton);
    EXPECT_TRUE(begleitung.Angehalten());
    EXPECT_FALSE(anhalten->isEnabled()) << "a second stop is no use";

    progress.SetBegleitung(nullptr);
    EXPECT_FALSE(anhalten->isVisible());
    EXPECT_FALSE(progress.imgBildschirm->isVisible());
    EXPECT_EQ(progress.size(), QSize(409, 249));
}
