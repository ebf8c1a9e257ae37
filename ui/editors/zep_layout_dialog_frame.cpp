#include "zep_layout_dialog_frame.h"

#include <QBuffer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextStream>
#include <QToolButton>
#include <QVBoxLayout>

#include "md_run_guarded.h"

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

TZEP_LayoutDialogFrame::TZEP_LayoutDialogFrame(QWidget* AParent)
    : QWidget(AParent), FEdit(new QLineEdit(this)), FButton(new QToolButton(this)) {
    setObjectName(QStringLiteral("frmLayout"));
    FEdit->setObjectName(QStringLiteral("edtLayoutDatei"));
    FEdit->setPlaceholderText(QStringLiteral("Layoutdatei"));
    FButton->setObjectName(QStringLiteral("btnEinstellungen"));
    FButton->setText(QStringLiteral("Einstellungen …"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(FEdit, 1);
    layout->addWidget(FButton);
    setFocusProxy(FEdit);
    connect(FButton, &QToolButton::clicked, this, [this] {
        RunGuarded("TZEP_LayoutDialogFrame.btnEinstellungenClick",
                   [this] { btnEinstellungenClick(); });
    });
}

void TZEP_LayoutDialogFrame::Set_LayoutEinstellungen(QIODevice& AStream) try {
    FEinstellungen.clear();
    QTextStream lines(&AStream);
    lines.setEncoding(QStringConverter::Utf8);
    QString line;
    while (lines.readLineInto(&line)) {
        FEinstellungen.append(line);
    }
    FButton->setToolTip(FEinstellungen.join(QLatin1Char('\n')));
} catch (...) {
    RethrowRegistered("TZEP_LayoutDialogFrame.Set_LayoutEinstellungen");
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

void TZEP_LayoutDialogFrame::btnEinstellungenClick() {
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Layouteinstellungen"));
    auto* text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("memEinstellungen"));
    text->setPlainText(FEinstellungen.join(QLatin1Char('\n')));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    if (dialog.exec() == QDialog::Accepted) {
        QByteArray bytes = text->toPlainText().toUtf8();
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        Set_LayoutEinstellungen(stream);
    }
    // The value is written when the edit is left.
    FEdit->setFocus(Qt::OtherFocusReason);
}
