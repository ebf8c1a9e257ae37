#include "zep_email_empfaenger.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpression>

#include "vko_info.h"

TZEP_EMail_Mult_Empfaenger::TZEP_EMail_Mult_Empfaenger(QWidget* AParent)
    : QWidget(AParent), FEdit(new QLineEdit(this)), FHinweis(new TZEP_EingabeHinweis(this)) {
    setObjectName(QStringLiteral("frmEmpfaenger"));
    FEdit->setObjectName(QStringLiteral("edtEmpfaenger"));
    FEdit->setPlaceholderText(QStringLiteral("name@firma.de; ..."));
    QHBoxLayout* layout = ZEP_ZeileMitHinweis(this, FHinweis);
    layout->addWidget(FEdit, 1);
    setFocusProxy(FEdit);
    connect(FEdit, &QLineEdit::editingFinished, this, [this] { Pruefen(); });
    connect(FEdit, &QLineEdit::textEdited, this, [this] {
        if (FHinweis->isVisibleTo(this)) {
            Pruefen();
        }
    });
}

void TZEP_EMail_Mult_Empfaenger::EingestellteEmpfaenger_Set(const QString& AValue) try {
    FEdit->setText(AValue);
    Pruefen();
} catch (...) {
    RethrowRegistered("TZEP_EMail_Mult_Empfaenger.EingestellteEmpfaenger_Set");
}

QString TZEP_EMail_Mult_Empfaenger::EingestellteEmpfaenger_Get() const try {
    return FEdit->text();
} catch (...) {
    RethrowRegistered("TZEP_EMail_Mult_Empfaenger.EingestellteEmpfaenger_Get");
}

bool TZEP_EMail_Mult_Empfaenger::Eingabe_Gueltig() const {
    return ErsteUngueltige().isEmpty();
}

QString TZEP_EMail_Mult_Empfaenger::ErsteUngueltige() const {
    static const QRegularExpression adresse(
        QStringLiteral("^[^@\\s;,<>\"]+@[^@\\s;,<>\"]+\\.[^@\\s;,<>\".]+$"));
    for (const QString& teil : FEdit->text().split(QLatin1Char(';'))) {
        const QString empfaenger = teil.trimmed();
        if (!empfaenger.isEmpty() && !adresse.match(empfaenger).hasMatch()) {
            return empfaenger;
        }
    }
    return {};
}

void TZEP_EMail_Mult_Empfaenger::Pruefen() {
    const QString falsch = ErsteUngueltige();
    FHinweis->Zeigen(falsch.isEmpty()
                         ? QString()
                         : QStringLiteral("Keine gültige E-Mail-Adresse: „%1“").arg(falsch));
}
