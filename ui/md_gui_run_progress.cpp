#include "md_gui_run_progress.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "md_run_guarded.h"
#include "vko_info.h"
#include "zep_ga_begleitung.h"

namespace {

QLabel* AddLabel(QVBoxLayout* ALayout, const QString& AText, const char* AName) {
    auto* label = new QLabel(AText);
    label->setObjectName(QString::fromLatin1(AName));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    ALayout->addWidget(label);
    return label;
}

}  // namespace

TZEP_MD_Progress::TZEP_MD_Progress(QWidget* AParent)
    : QWidget(AParent, Qt::Window | Qt::FramelessWindowHint) {
    FormCreate();
}

void TZEP_MD_Progress::FormCreate() try {
    setObjectName(QStringLiteral("TZEP_MD_Progress"));
    setWindowTitle(QStringLiteral("Ausführung des Mandorels"));
    setFixedSize(CBreite, CHoehe);

    auto* outerLayout = new QVBoxLayout(this);
    outerLayout->setContentsMargins(3, 3, 3, 3);
    auto* outer = new QFrame;
    outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    outerLayout->addWidget(outer);

    auto* panelLayout = new QVBoxLayout(outer);
    panelLayout->setContentsMargins(outer->frameWidth(), outer->frameWidth(), outer->frameWidth(),
                                    outer->frameWidth());
    panelLayout->setSpacing(0);

    auto* header = new QLabel(QStringLiteral("Ausführung des Mandorels"));
    header->setObjectName(QStringLiteral("pnlHeader"));
    header->setTextFormat(Qt::PlainText);
    header->setFixedHeight(51);
    header->setAlignment(Qt::AlignCenter);
    header->setAutoFillBackground(true);
    QPalette headerPalette = header->palette();
    headerPalette.setColor(QPalette::Window, QColor(0x1F, 0x4E, 0x9C));
    headerPalette.setColor(QPalette::WindowText, Qt::white);
    header->setPalette(headerPalette);
    QFont headerFont = header->font();
    headerFont.setBold(true);
    headerFont.setPointSizeF(headerFont.pointSizeF() * 1.25);
    header->setFont(headerFont);
    panelLayout->addWidget(header);

    auto* inner = new QWidget;
    inner->setObjectName(QStringLiteral("pnlInner"));
    auto* labels = new QVBoxLayout(inner);
    labels->setSpacing(4);
    lblProgressHint = AddLabel(labels, QStringLiteral("Der Mandorel "), "lblProgressHint");
    lblProgressHint->setFixedHeight(37);
    lblProgressHint->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    lblReportName = AddLabel(labels, QStringLiteral("%s"), "lblReportName");
    QFont nameFont = lblReportName->font();
    nameFont.setBold(true);
    lblReportName->setFont(nameFont);
    lblProgressHint2 = AddLabel(labels, QStringLiteral("für das Programm"), "lblProgressHint2");
    lblProgramm = AddLabel(labels, QStringLiteral("%s"), "lblProgramm");
    lblProgramm->setFont(nameFont);
    lblProgressHint3 =
        AddLabel(labels, QStringLiteral("wird gerade ausgeführt."), "lblProgressHint3");
    labels->addStretch();
    btnAnhalten = new QPushButton(QStringLiteral("Anhalten"));
    btnAnhalten->setObjectName(QStringLiteral("btnAnhalten"));
    btnAnhalten->hide();
    labels->addWidget(btnAnhalten, 0, Qt::AlignHCenter);
    panelLayout->addWidget(inner, 1);

    imgBildschirm = new QLabel;
    imgBildschirm->setObjectName(QStringLiteral("imgBildschirm"));
    imgBildschirm->setAlignment(Qt::AlignCenter);
    imgBildschirm->hide();
    panelLayout->addWidget(imgBildschirm);

    FBildTimer = new QTimer(this);
    FBildTimer->setInterval(CBildPollMs);
    connect(FBildTimer, &QTimer::timeout, this,
            [this] { RunGuarded("TZEP_MD_Progress.NeuesBild", [this] { NeuesBild(); }); });
    connect(btnAnhalten, &QPushButton::clicked, this, [this] {
        RunGuarded("TZEP_MD_Progress.btnAnhaltenClick", [this] {
            if (FBegleitung != nullptr) {
                FBegleitung->Anhalten();
                btnAnhalten->setEnabled(false);
            }
        });
    });
} catch (...) {
    RethrowRegistered("TZEP_MD_Progress.FormCreate");
}

void TZEP_MD_Progress::SetProgReport(const QString& AProg, const QString& AReport) try {
    lblReportName->setText(AReport);
    lblProgramm->setText(AProg);
} catch (...) {
    RethrowRegistered("TZEP_MD_Progress.SetProgReport");
}

void TZEP_MD_Progress::SetBegleitung(TZEP_GA_Begleitung* ABegleitung) try {
    FBegleitung = ABegleitung;
    btnAnhalten->setEnabled(true);
    btnAnhalten->setVisible(ABegleitung != nullptr);
    imgBildschirm->clear();
    imgBildschirm->hide();
    setFixedSize(CBreite, CHoehe);
    if (ABegleitung != nullptr) {
        FBildTimer->start();
    } else {
        FBildTimer->stop();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Progress.SetBegleitung");
}

// The window grows by the picture when the first one comes, and keeps its labels as they were.
void TZEP_MD_Progress::NeuesBild() try {
    TZEP_GA_Bildschirm bild;
    if (FBegleitung == nullptr || !FBegleitung->TakeBild(bild) || bild.IsEmpty()) {
        return;
    }
    // The pixmap may share the image's memory, which the picture below owns only until return.
    const QImage image = QImage(reinterpret_cast<const uchar*>(bild.Pixel.constData()), bild.Breite,
                                bild.Hoehe, bild.Breite * 4, QImage::Format_RGB32)
                             .copy();
    imgBildschirm->setPixmap(QPixmap::fromImage(image));
    if (imgBildschirm->isHidden()) {
        imgBildschirm->show();
        setFixedSize(qMax(CBreite, bild.Breite + 12), CHoehe + bild.Hoehe + 6);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Progress.NeuesBild");
}

void TZEP_MD_Progress::Show(const QString& AProgramm, const QString& AName) try {
    SetProgReport(AProgramm, AName);
    ShowPainted();
} catch (...) {
    RethrowRegistered("TZEP_MD_Progress.Show");
}

void TZEP_MD_Progress::Hide() try { hide(); } catch (...) {
    RethrowRegistered("TZEP_MD_Progress.Hide");
}

void TZEP_MD_Progress::ShowPainted() {
    try {
        FPainted = false;
        show();
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.start(CPaintWaitMs);
        while (!(FPainted && windowHandle() != nullptr && windowHandle()->isExposed()) &&
               deadline.isActive()) {
            // The deadline's own timer event ends the wait at the latest.
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                            QEventLoop::ExcludeUserInputEvents);
        }
        // The painted image reaches the display before the thread blocks.
        QGuiApplication::sync();
    } catch (...) {
        // A window that is not drawn must not cost the run.
        VKOInfo().RegisterException("TZEP_MD_Progress.ShowPainted", std::current_exception(),
                                    false);
    }
}

void TZEP_MD_Progress::paintEvent(QPaintEvent* AEvent) {
    FPainted = true;
    QWidget::paintEvent(AEvent);
}

void TZEP_MD_Progress::FormMouseDown(QMouseEvent* AEvent) {
    // The window system moves the window where it can; without one we follow the mouse.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    FDragging = true;
    FDragOffset = AEvent->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TZEP_MD_Progress::mousePressEvent(QMouseEvent* AEvent) {
    if (AEvent->button() == Qt::LeftButton) {
        FormMouseDown(AEvent);
        AEvent->accept();
    }
}

void TZEP_MD_Progress::mouseMoveEvent(QMouseEvent* AEvent) {
    if (FDragging) {
        move(AEvent->globalPosition().toPoint() - FDragOffset);
        AEvent->accept();
    }
}

void TZEP_MD_Progress::mouseReleaseEvent(QMouseEvent* AEvent) {
    FDragging = false;
    AEvent->accept();
}
