#include "zep_path_frames.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "md_run_guarded.h"

TZEP_PathDialogFrame::TZEP_PathDialogFrame(QWidget* AParent)
    : QWidget(AParent), FEdit(new QLineEdit(this)), FButton(new QToolButton(this)) {
    FEdit->setObjectName(QStringLiteral("edtPfad"));
    FButton->setObjectName(QStringLiteral("btnWaehlen"));
    FButton->setText(QStringLiteral("…"));
    FButton->setToolTip(QStringLiteral("Auswählen"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(FEdit, 1);
    layout->addWidget(FButton);
    setFocusProxy(FEdit);
    connect(FButton, &QToolButton::clicked, this, [this] {
        RunGuarded("TZEP_PathDialogFrame.btnWaehlenClick", [this] { btnWaehlenClick(); });
    });
}

QString TZEP_PathDialogFrame::Text() const {
    return FEdit->text();
}

void TZEP_PathDialogFrame::SetText(const QString& AText) {
    FEdit->setText(AText);
}

void TZEP_PathDialogFrame::btnWaehlenClick() {
    const QString start = FEdit->text().isEmpty() ? QDir::homePath() : FEdit->text();
    const QString pfad = Choose(start);
    if (!pfad.isEmpty()) {
        FEdit->setText(QDir::toNativeSeparators(pfad));
    }
    // The value is written when the edit is left, as after typing.
    FEdit->setFocus(Qt::OtherFocusReason);
}

TZEP_OpenDialogFrame::TZEP_OpenDialogFrame(QWidget* AParent) : TZEP_PathDialogFrame(AParent) {
    setObjectName(QStringLiteral("frmOrdner"));
}

QString TZEP_OpenDialogFrame::Choose(const QString& AStart) {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Ordner wählen"), AStart);
}

TZEP_FileOpenDialogFrame::TZEP_FileOpenDialogFrame(QWidget* AParent)
    : TZEP_PathDialogFrame(AParent) {
    setObjectName(QStringLiteral("frmDatei"));
}

QString TZEP_FileOpenDialogFrame::Choose(const QString& AStart) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Datei wählen"), AStart, QString(),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}
