#include "md_messagebox_presenter.h"

#include <QApplication>
#include <QMessageBox>

int TZEP_MD_MessageBoxPresenter::Present(const TVKO_Meldung& AMeldung) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Mandorel"));
    box.setText(AMeldung.Text);
    box.setTextFormat(Qt::PlainText);
    if (AMeldung.Buttons == CVKO_Buttons_JaNein) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? CVKO_Antwort_Ja : CVKO_Antwort_Nein;
    }
    box.setIcon(QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return CVKO_Antwort_OK;
}

void TZEP_MD_MessageBoxPresenter::PresentError(const TVKO_FehlerInfo& AFehler) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Mandorel – Fehler"));
    box.setIcon(QMessageBox::Critical);
    box.setTextFormat(Qt::PlainText);
    box.setText(AFehler.Text);
    box.setDetailedText(QStringLiteral("Weitergegeben über:\n") +
                        AFehler.Chain.join(QLatin1Char('\n')));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
