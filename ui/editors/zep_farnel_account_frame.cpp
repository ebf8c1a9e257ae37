#include "zep_farnel_account_frame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "vko_info.h"

TZEP_Farnel_Account_Info_Frame::TZEP_Farnel_Account_Info_Frame(QWidget* AParent)
    : QWidget(AParent),
      FArt(new QLabel(this)),
      FEdit(new QLineEdit(this)),
      FHinweis(new TZEP_EingabeHinweis(this)) {
    setObjectName(QStringLiteral("frmKonto"));
    FEdit->setObjectName(QStringLiteral("edtKontonummer"));
    FEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,18}")), FEdit));
    QHBoxLayout* layout = ZEP_ZeileMitHinweis(this, FHinweis);
    layout->setSpacing(4);
    layout->addWidget(FArt);
    layout->addWidget(FEdit, 1);
    setFocusProxy(FEdit);
    SetModus(0);
    connect(FEdit, &QLineEdit::inputRejected, this, [this] { Pruefen(true); });
    connect(FEdit, &QLineEdit::textChanged, this, [this] { Pruefen(false); });
}

void TZEP_Farnel_Account_Info_Frame::SetModus(int AModus) {
    FModus = AModus;
    FArt->setText(AModus == 11 ? QStringLiteral("Konto")
                               : QStringLiteral("Konto (%1)").arg(AModus));
}

void TZEP_Farnel_Account_Info_Frame::Kontonummer_Set(const QString& AValue) try {
    FEdit->setText(AValue.trimmed());
    Pruefen(false);
} catch (...) {
    RethrowRegistered("TZEP_Farnel_Account_Info_Frame.Kontonummer_Set");
}

QString TZEP_Farnel_Account_Info_Frame::Kontonummer_Get() const try {
    bool zahl = false;
    const qulonglong nummer = FEdit->text().toULongLong(&zahl);
    return zahl ? QString::number(nummer) : FEdit->text();
} catch (...) {
    RethrowRegistered("TZEP_Farnel_Account_Info_Frame.Kontonummer_Get");
}

bool TZEP_Farnel_Account_Info_Frame::Eingabe_Gueltig() const {
    bool zahl = false;
    FEdit->text().toULongLong(&zahl);
    return FEdit->text().isEmpty() || zahl;
}

void TZEP_Farnel_Account_Info_Frame::Pruefen(bool AAbgewiesen) {
    FHinweis->Zeigen(AAbgewiesen || !Eingabe_Gueltig()
                         ? QStringLiteral("Die Kontonummer besteht nur aus Ziffern")
                         : QString());
}
