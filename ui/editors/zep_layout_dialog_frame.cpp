#include "zep_layout_dialog_frame.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTextStream>
#include <QToolButton>

#include "md_file_dialog_intf.h"
#include "md_run_guarded.h"
#include "zep_editor_button.h"

namespace {

QString Quoted(const QString& AItem) {
    bool quote = AItem.isEmpty();
    for (const QChar zeichen : AItem) {
        quote = quote || zeichen.unicode() <= 0x20 || zeichen == u'"';
    }
    if (!quote) {
        return AItem;
    }
    QString text = AItem;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

TZEP_LayoutDialogFrame::TZEP_LayoutDialogFrame(IZEP_MD_FileDialog* ADialoge, QWidget* AParent)
    : QWidget(AParent),
      FDialoge(ADialoge),
      FEdit(new QLineEdit(this)),
      FDateiButton(ZEP_EditorButton(this, QStringLiteral("btnLayoutDatei"), QStringLiteral("…"),
                                    QStringLiteral("Layoutdatei wählen"))),
      FButton(ZEP_EditorButton(this, QStringLiteral("btnEinstellungen"),
                               QStringLiteral("Einstellungen …"),
                               QStringLiteral("Layouteinstellungen"))) {
    setObjectName(QStringLiteral("frmLayout"));
    FEdit->setObjectName(QStringLiteral("edtLayoutDatei"));
    FEdit->setPlaceholderText(QStringLiteral("Layoutdatei"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(FEdit, 1);
    layout->addWidget(FDateiButton);
    layout->addWidget(FButton);
    setFocusProxy(FEdit);
    connect(FDateiButton, &QToolButton::clicked, this, [this] {
        RunGuarded("TZEP_LayoutDialogFrame.btnLayoutDateiClick", [this] { btnLayoutDateiClick(); });
    });
    connect(FButton, &QToolButton::clicked, this, [this] {
        RunGuarded("TZEP_LayoutDialogFrame.btnEinstellungenClick",
                   [this] { btnEinstellungenClick(); });
    });
}

void TZEP_LayoutDialogFrame::Set_LayoutEinstellungen(QIODevice& AStream) try {
    QStringList einstellungen;
    QTextStream lines(&AStream);
    lines.setEncoding(QStringConverter::Utf8);
    QString line;
    while (lines.readLineInto(&line)) {
        einstellungen.append(line);
    }
    Einstellungen_Uebernehmen(std::move(einstellungen));
} catch (...) {
    RethrowRegistered("TZEP_LayoutDialogFrame.Set_LayoutEinstellungen");
}

void TZEP_LayoutDialogFrame::Einstellungen_Uebernehmen(QStringList AEinstellungen) {
    FEinstellungen = std::move(AEinstellungen);
    const QString text = FEinstellungen.join(QLatin1Char('\n'));
    FButton->setToolTip(text.isEmpty() ? FButton->accessibleName() : text);
    FButton->setAccessibleDescription(text);
}

QByteArray TZEP_LayoutDialogFrame::LayoutEinstellungen() const try {
    QByteArray text;
    for (const QString& line : FEinstellungen) {
        text += line.toUtf8() + '\n';
    }
    return text;
} catch (...) {
    RethrowRegistered("TZEP_LayoutDialogFrame.LayoutEinstellungen");
}

QString TZEP_LayoutDialogFrame::Wert_Bilden(const QStringList& AEinstellungen,
                                            const QString& ADatei) {
    if (AEinstellungen.isEmpty() && ADatei.isEmpty()) {
        return {};
    }
    QStringList items;
    for (const QString& item : AEinstellungen) {
        items.append(Quoted(item));
    }
    items.append(Quoted(ADatei));
    return items.join(QLatin1Char(' '));
}

void TZEP_LayoutDialogFrame::btnLayoutDateiClick() {
    if (FDialoge != nullptr) {
        const QString start = FEdit->text().isEmpty() ? QDir::homePath() : FEdit->text();
        const QString datei = FDialoge->TargetFileName(FDateiButton->accessibleName(), start);
        if (!datei.isEmpty()) {
            FEdit->setText(QDir::toNativeSeparators(datei));
        }
    }
    // The value is written when the edit is left.
    FEdit->setFocus(Qt::OtherFocusReason);
}

void TZEP_LayoutDialogFrame::btnEinstellungenClick() {
    if (FDialoge != nullptr) {
        std::optional<QStringList> einstellungen =
            FDialoge->EditLines(FButton->accessibleName(), FEinstellungen);
        if (einstellungen) {
            Einstellungen_Uebernehmen(std::move(*einstellungen));
        }
    }
    // The value is written when the edit is left.
    FEdit->setFocus(Qt::OtherFocusReason);
}
