#include "vko_saison_edit.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QRegularExpression>
#include <QToolButton>
#include <QValidator>

#include "md_run_guarded.h"
#include "vko_clock.h"
#include "vko_info.h"
#include "zep_editor_button.h"

namespace {

const QRegularExpression& Ganz() {
    static const QRegularExpression muster(QStringLiteral("^(FS|HW) \\d{4}$"));
    return muster;
}

// What may still become a season, typed from the left.
const QRegularExpression& Anfang() {
    static const QRegularExpression muster(QStringLiteral("^(|F|H|FS|HW|(FS|HW) \\d{0,3})$"));
    return muster;
}

class TSaisonValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& AInput, int&) const override {
        AInput = AInput.toUpper();
        if (Ganz().match(AInput).hasMatch()) {
            return Acceptable;
        }
        return Anfang().match(AInput).hasMatch() ? Intermediate : Invalid;
    }
};

}  // namespace

TVKOSaisonEdit::TVKOSaisonEdit(QWidget* AParent) : QLineEdit(AParent) {
    setObjectName(QStringLiteral("edtSaison"));
    setPlaceholderText(QStringLiteral("FS 2027"));
    setValidator(new TSaisonValidator(this));
}

void TVKOSaisonEdit::SetText(const QString& AText) try { setText(AText); } catch (...) {
    RethrowRegistered("TVKOSaisonEdit.SetText");
}

QString TVKOSaisonEdit::GetText() const try { return text(); } catch (...) {
    RethrowRegistered("TVKOSaisonEdit.GetText");
}

bool TVKOSaisonEdit::IstSaison(const QString& AText) {
    return Ganz().match(AText).hasMatch();
}

TVKOSaisonButtonEdit::TVKOSaisonButtonEdit(QWidget* AParent)
    : QWidget(AParent),
      FEdit(new TVKOSaisonEdit(this)),
      FButton(ZEP_EditorButton(this, QStringLiteral("btnSaison"), QStringLiteral("…"),
                               QStringLiteral("Saison wählen"))),
      FHinweis(new TZEP_EingabeHinweis(this)) {
    setObjectName(QStringLiteral("frmSaison"));
    FButton->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(FButton);
    const int jahr = vko_Now().date().year();
    for (int j = jahr - 1; j <= jahr + 2; ++j) {
        for (const QString& art : {QStringLiteral("FS"), QStringLiteral("HW")}) {
            const QString saison = QStringLiteral("%1 %2").arg(art).arg(j);
            menu->addAction(saison, this, [this, saison] {
                RunGuarded("TVKOSaisonButtonEdit.SaisonClick", [this, &saison] {
                    FEdit->setText(saison);
                    Pruefen(false);
                    FEdit->setFocus(Qt::OtherFocusReason);
                });
            });
        }
    }
    FButton->setMenu(menu);
    QHBoxLayout* layout = ZEP_ZeileMitHinweis(this, FHinweis);
    layout->setSpacing(2);
    layout->addWidget(FEdit, 1);
    layout->addWidget(FButton);
    setFocusProxy(FEdit);
    connect(FEdit, &QLineEdit::inputRejected, this, [this] { Pruefen(true); });
    connect(FEdit, &QLineEdit::textChanged, this, [this] { Pruefen(false); });
    connect(FEdit, &QLineEdit::editingFinished, this, [this] { Pruefen(false); });
}

bool TVKOSaisonButtonEdit::Eingabe_Gueltig() const {
    return FEdit->text().isEmpty() || TVKOSaisonEdit::IstSaison(FEdit->text());
}

void TVKOSaisonButtonEdit::Pruefen(bool AAbgewiesen) {
    if (AAbgewiesen) {
        FHinweis->Zeigen(QStringLiteral("Saison: FS oder HW und das Jahr, etwa „FS 2027“"));
    } else if (Eingabe_Gueltig() || FEdit->hasFocus()) {
        FHinweis->Zeigen({});
    } else {
        FHinweis->Zeigen(QStringLiteral("Unvollständige Saison, nichts übernommen"));
    }
}
