#include "md_gui_token_panel.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>

#include "md_delimitedtext.h"
#include "md_run_guarded.h"
#include "vko_info.h"
#include "vko_saison_edit.h"
#include "zep_email_empfaenger.h"
#include "zep_farnel_account_frame.h"
#include "zep_layout_dialog_frame.h"
#include "zep_mandanten_checkcombo.h"
#include "zep_mandanten_combobox.h"
#include "zep_path_frames.h"
#include "zep_wertevorrat_registry.h"

namespace {

constexpr int CMaxPlainLength = 300;
constexpr int CAccountMode = 11;

// The list's marker of a stored value that the list does not offer.
const QString CNichtInListe = QStringLiteral(" (nicht in der Liste)");

void SetLayoutValue(TZEP_LayoutDialogFrame& AFrame, const QString& AValue) {
    if (AValue.isEmpty()) {
        return;
    }
    QStringList items = MD_SplitDelimited(AValue, QLatin1Char(' '));
    AFrame.Edit()->setText(items.takeLast());
    QByteArray lines;
    for (const QString& item : items) {
        lines += item.toUtf8() + '\n';
    }
    QBuffer stream(&lines);
    stream.open(QIODevice::ReadOnly);
    AFrame.Set_LayoutEinstellungen(stream);
}

QString LayoutValue(const TZEP_LayoutDialogFrame& AFrame) {
    QByteArray lines = AFrame.LayoutEinstellungen();
    QBuffer stream(&lines);
    stream.open(QIODevice::ReadOnly);
    QStringList items;
    while (!stream.atEnd()) {
        items.append(QString::fromUtf8(stream.readLine()).chopped(1));
    }
    return TZEP_LayoutDialogFrame::Wert_Bilden(items, AFrame.Edit()->text());
}

}  // namespace

TZEP_MD_Token_Panel::TZEP_MD_Token_Panel(QWidget* AParent,
                                         const TZEP_MD_Wertevorrat_Registry& ARegistry,
                                         IZEP_MD_FileDialog* ADialoge, const TToken& AToken,
                                         TZEP_MD_Token_Panel_Exit AOnExit,
                                         TZEP_MD_Token_Panel_Enter AOnEnter) try
    : QFrame(AParent),
      FTokenName(AToken.Name),
      FAnzeigeName(AToken.AnzeigeName),
      FHintLabel(new QLabel(this)),
      FOnExit(std::move(AOnExit)),
      FOnEnter(std::move(AOnEnter)) {
    setObjectName(QStringLiteral("pnlToken"));
    setProperty("token", AToken.Name);
    FHintLabel->setObjectName(QStringLiteral("lblToken"));
    FHintLabel->setTextFormat(Qt::PlainText);
    FHintLabel->setWordWrap(true);
    FHintLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QString text = AToken.AnzeigeName;
    if (AToken.Pflichtfeld) {
        text += QStringLiteral(" *");
        QPalette farben = FHintLabel->palette();
        farben.setColor(QPalette::WindowText, QColor(255, 134, 17));
        FHintLabel->setPalette(farben);
    }
    FHintLabel->setText(text);
    FNaturalWidth = FHintLabel->fontMetrics().horizontalAdvance(text) + 2;
    FInputComp = CreateInput(ARegistry, ADialoge, AToken.Value, AToken.WertMaskieren);
    FInputComp->setObjectName(FInputComp->objectName().isEmpty() ? QStringLiteral("edtToken")
                                                                 : FInputComp->objectName());
    FInputComp->setAccessibleName(AToken.AnzeigeName);
    FHintLabel->setBuddy(FInputComp);
    Watch(FInputComp);
    for (QWidget* kind : FInputComp->findChildren<QWidget*>()) {
        Watch(kind);
    }
    SetHintLabel_Width(FNaturalWidth);
} catch (...) {
    RethrowRegistered("TZEP_MD_Token_Panel.Create");
}

TZEP_MD_Token_Panel::~TZEP_MD_Token_Panel() {
    ReleaseGuarded("TZEP_MD_Token_Panel.Destroy", [this] { Detach(); });
}

void TZEP_MD_Token_Panel::Watch(QWidget* AWidget) {
    AWidget->installEventFilter(this);
    if (auto* edit = qobject_cast<QLineEdit*>(AWidget)) {
        connect(edit, &QLineEdit::returnPressed, this,
                [this] { RunGuarded("TZEP_MD_Token_Panel.Exit", [this] { Exit(); }); });
    }
}

void TZEP_MD_Token_Panel::Detach() {
    FOnExit = nullptr;
    FOnEnter = nullptr;
}

QWidget* TZEP_MD_Token_Panel::CreateInput(const TZEP_MD_Wertevorrat_Registry& ARegistry,
                                          IZEP_MD_FileDialog* ADialoge, const QString& AValue,
                                          bool AMaskieren) try {
    // A choice or a dialog would show a masked value in clear: such a token keeps the masked edit.
    const TZEP_MD_Wertevorrat_TokenEditFunc entry =
        AMaskieren ? TZEP_MD_Wertevorrat_TokenEditFunc{}
                   : ARegistry.GetRegisteredWertevorrat(FTokenName);
    switch (entry.EditorClass) {
        case TZEP_MD_EditorKind::MandantenCheckCombo: {
            auto* editor = new TZEP_MandantenCheckCombo(ARegistry.Mandanten(), this);
            editor->SelectedText_Set(AValue);
            return editor;
        }
        case TZEP_MD_EditorKind::MandantenCombobox: {
            auto* editor = new TZEP_MandantenCombobox(ARegistry.Mandanten(), this);
            editor->ItemIndex_Text_Set(AValue);
            return editor;
        }
        case TZEP_MD_EditorKind::OpenDialogFrame: {
            auto* editor = new TZEP_OpenDialogFrame(ADialoge, this);
            editor->SetText(AValue);
            return editor;
        }
        case TZEP_MD_EditorKind::FileOpenDialogFrame: {
            auto* editor = new TZEP_FileOpenDialogFrame(ADialoge, this);
            editor->SetText(AValue);
            return editor;
        }
        case TZEP_MD_EditorKind::SaisonButtonEdit: {
            auto* editor = new TVKOSaisonButtonEdit(this);
            editor->SaisonEdit()->SetText(AValue);
            FInputTop = 2;
            return editor;
        }
        case TZEP_MD_EditorKind::EMail_Mult_Empfaenger: {
            auto* editor = new TZEP_EMail_Mult_Empfaenger(this);
            editor->EingestellteEmpfaenger_Set(AValue);
            return editor;
        }
        case TZEP_MD_EditorKind::LayoutDialogFrame: {
            auto* editor = new TZEP_LayoutDialogFrame(ADialoge, this);
            SetLayoutValue(*editor, AValue);
            return editor;
        }
        case TZEP_MD_EditorKind::Farnel_Account_Info_Frame: {
            auto* editor = new TZEP_Farnel_Account_Info_Frame(this);
            editor->SetModus(CAccountMode);
            editor->Kontonummer_Set(AValue);
            return editor;
        }
        case TZEP_MD_EditorKind::Keiner:
            break;
    }
    if (entry.WerteListe) {
        return Wertevorrat_2_ComboBox(entry.WerteListe(), AValue);
    }
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(CMaxPlainLength);
    edit->setText(AValue);
    if (AMaskieren) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    }
    return edit;
} catch (...) {
    RethrowRegistered("TZEP_MD_Token_Panel.CreateInput");
}

// A stored value the list does not offer stays as an entry of its own, so that passing through
// the choice box writes it back unchanged.
QWidget* TZEP_MD_Token_Panel::Wertevorrat_2_ComboBox(const QStringList& AWerte,
                                                     const QString& AValue) try {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QStringLiteral("cmbToken"));
    for (const QString& wert : AWerte) {
        combo->addItem(wert, wert);
    }
    int index = -1;
    for (int i = 0; i < combo->count() && index < 0; ++i) {
        if (combo->itemText(i).compare(AValue, Qt::CaseInsensitive) == 0) {
            index = i;
        }
    }
    if (index < 0 && !AValue.isEmpty()) {
        combo->addItem(AValue + CNichtInListe, AValue);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
    return combo;
} catch (...) {
    RethrowRegistered("TZEP_MD_Token_Panel.Wertevorrat_2_ComboBox");
}

QString TZEP_MD_Token_Panel::TokenValue_Get() const try {
    if (auto* editor = qobject_cast<TZEP_MandantenCheckCombo*>(FInputComp)) {
        return editor->SelectedText_Get();
    }
    if (auto* editor = qobject_cast<TZEP_MandantenCombobox*>(FInputComp)) {
        return editor->ItemIndex_Text_Get();
    }
    if (auto* editor = qobject_cast<TZEP_PathDialogFrame*>(FInputComp)) {
        return editor->Text();
    }
    if (auto* editor = qobject_cast<TVKOSaisonButtonEdit*>(FInputComp)) {
        return editor->SaisonEdit()->GetText();
    }
    if (auto* editor = qobject_cast<TZEP_EMail_Mult_Empfaenger*>(FInputComp)) {
        return editor->EingestellteEmpfaenger_Get();
    }
    if (auto* editor = qobject_cast<TZEP_LayoutDialogFrame*>(FInputComp)) {
        return LayoutValue(*editor);
    }
    if (auto* editor = qobject_cast<TZEP_Farnel_Account_Info_Frame*>(FInputComp)) {
        return editor->Kontonummer_Get();
    }
    if (auto* combo = qobject_cast<QComboBox*>(FInputComp)) {
        return combo->currentIndex() < 0 ? QString() : combo->currentData().toString();
    }
    return static_cast<const QLineEdit*>(FInputComp)->text();
} catch (...) {
    RethrowRegistered("TZEP_MD_Token_Panel.TokenValue_Get");
}

bool TZEP_MD_Token_Panel::Eingabe_Gueltig() const {
    const auto* geprueft = dynamic_cast<const IZEP_GeprueftesEingabefeld*>(FInputComp);
    return geprueft == nullptr || geprueft->Eingabe_Gueltig();
}

void TZEP_MD_Token_Panel::Exit() try {
    if (FOnExit && Eingabe_Gueltig()) {
        FOnExit(FTokenName, TokenValue_Get());
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Token_Panel.Exit");
}

int TZEP_MD_Token_Panel::HintLabel_Width() const {
    return FHintLabel->width();
}

void TZEP_MD_Token_Panel::SetHintLabel_Width(int AWidth) try {
    FHintLabel->setFixedWidth(AWidth);
    Komponenten_ausrichten();
} catch (...) {
    RethrowRegistered("TZEP_MD_Token_Panel.SetHintLabel_Width");
}

void TZEP_MD_Token_Panel::Komponenten_ausrichten() try {
    const int w = FHintLabel->width();
    const int labelHeight = FHintLabel->heightForWidth(w);
    FHintLabel->setGeometry(6, 7, w, labelHeight);
    const int breite = std::max(0, width() - 12 - w);
    // An editor's hint below its field wraps to the width it gets.
    const int inputHeight = FInputComp->hasHeightForWidth() ? FInputComp->heightForWidth(breite)
                                                            : FInputComp->sizeHint().height();
    FInputComp->setGeometry(w + 9, FInputTop, breite, inputHeight);
    // The input is never cut off, also when the label is a single short line.
    setFixedHeight(std::max(labelHeight + 14, FInputTop + inputHeight + 3));
} catch (...) {
    RethrowRegistered("TZEP_MD_Token_Panel.Komponenten_ausrichten");
}

bool TZEP_MD_Token_Panel::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched == FInputComp && AEvent->type() == QEvent::LayoutRequest) {
        // A hint of the editor came or went: the panel takes the height it needs.
        RunGuarded("TZEP_MD_Token_Panel.Komponenten_ausrichten",
                   [this] { Komponenten_ausrichten(); });
    } else if (AEvent->type() == QEvent::FocusIn && FOnEnter) {
        RunGuarded("TZEP_MD_Token_Panel.Enter", [&] { FOnEnter(static_cast<QWidget*>(AWatched)); });
    } else if (AEvent->type() == QEvent::FocusOut && FOnExit &&
               static_cast<QFocusEvent*>(AEvent)->reason() != Qt::PopupFocusReason) {
        // Moving between the parts of one editor does not leave the input.
        QWidget* neu = QApplication::focusWidget();
        if (neu == nullptr || (neu != FInputComp && !FInputComp->isAncestorOf(neu))) {
            RunGuarded("TZEP_MD_Token_Panel.Exit", [this] { Exit(); });
        }
    }
    return QFrame::eventFilter(AWatched, AEvent);
}
