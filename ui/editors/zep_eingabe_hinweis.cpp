#include "zep_eingabe_hinweis.h"

TZEP_EingabeHinweis::TZEP_EingabeHinweis(QWidget* AParent) : QLabel(AParent) {
    setObjectName(QStringLiteral("lblHinweis"));
    setTextFormat(Qt::PlainText);
    QPalette farben = palette();
    farben.setColor(QPalette::WindowText, QColor(192, 0, 0));
    setPalette(farben);
    hide();
}

void TZEP_EingabeHinweis::Zeigen(const QString& AText) {
    setText(AText);
    setToolTip(AText);
    setVisible(!AText.isEmpty());
}
