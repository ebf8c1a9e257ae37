#include "zep_path_frames.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "md_file_dialog_intf.h"
#include "md_run_guarded.h"
#include "zep_editor_button.h"

TZEP_PathDialogFrame::TZEP_PathDialogFrame(QWidget* AParent, IZEP_MD_FileDialog* ADialoge,
                                           const QString& AButtonName)
    : QWidget(AParent),
      FDialoge(ADialoge),
      FEdit(new QLineEdit(this)),
      FButton(
          ZEP_EditorButton(this, QStringLiteral("btnWaehlen"), QStringLiteral("…"), AButtonName)) {
    FEdit->setObjectName(QStringLiteral("edtPfad"));
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
    if (FDialoge != nullptr) {
        const QString start = FEdit->text().isEmpty() ? QDir::homePath() : FEdit->text();
        const QString pfad = Choose(*FDialoge, start);
        if (!pfad.isEmpty()) {
            FEdit->setText(QDir::toNativeSeparators(pfad));
        }
    }
    // The value is written when the edit is left, as after typing.
    FEdit->setFocus(Qt::OtherFocusReason);
}

TZEP_OpenDialogFrame::TZEP_OpenDialogFrame(IZEP_MD_FileDialog* ADialoge, QWidget* AParent)
    : TZEP_PathDialogFrame(AParent, ADialoge, QStringLiteral("Ordner wählen")) {
    setObjectName(QStringLiteral("frmOrdner"));
}

QString TZEP_OpenDialogFrame::Choose(IZEP_MD_FileDialog& ADialoge, const QString& AStart) {
    return ADialoge.FolderName(QStringLiteral("Ordner wählen"), AStart);
}

TZEP_FileOpenDialogFrame::TZEP_FileOpenDialogFrame(IZEP_MD_FileDialog* ADialoge, QWidget* AParent)
    : TZEP_PathDialogFrame(AParent, ADialoge, QStringLiteral("Datei wählen")) {
    setObjectName(QStringLiteral("frmDatei"));
}

QString TZEP_FileOpenDialogFrame::Choose(IZEP_MD_FileDialog& ADialoge, const QString& AStart) {
    return ADialoge.TargetFileName(QStringLiteral("Datei wählen"), AStart);
}
