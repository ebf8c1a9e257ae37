#include "md_startwindow.h"

#include <QLabel>
#include <QVBoxLayout>

TZEP_MD_StartWindow::TZEP_MD_StartWindow(QWidget* AParent) : QWidget(AParent) {
    setWindowTitle(QStringLiteral("Mandorel"));
    resize(640, 400);
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(
        QStringLiteral("Mandorel ist bereit.\n\nGeplante Mandorele laufen über die Befehlszeile, "
                       "zum Beispiel:\nquandrix -RUN -PROG:PLON -REPORT:MONATSLISTE"));
    hint->setTextFormat(Qt::PlainText);
    hint->setAlignment(Qt::AlignCenter);
    layout->addWidget(hint);
}
