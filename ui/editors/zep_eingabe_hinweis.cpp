#include "zep_eingabe_hinweis.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TZEP_EingabeHinweis::TZEP_EingabeHinweis(QWidget* AParent) : QLabel(AParent) {
    setObjectName(QStringLiteral("lblHinweis"));
    setTextFormat(Qt::PlainText);
    QPalette farben = palette();
    farben.setColor(QPalette::WindowText, QColor(192, 0, 0));
    setPalette(farben);
    setWordWrap(true);
    hide();
}

void TZEP_EingabeHinweis::Zeigen(const QString& AText) {
    setText(AText);
    setToolTip(AText);
    setVisible(!AText.isEmpty());
}

QHBoxLayout* ZEP_ZeileMitHinweis(QWidget* AEditor, TZEP_EingabeHinweis* AHinweis) {
    auto* spalte = new QVBoxLayout(AEditor);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(2);
    auto* zeile = new QHBoxLayout;
    spalte->addLayout(zeile);
    spalte->addWidget(AHinweis);
    return zeile;
}
