#include "md_gui_templatedetails.h"

#include <QEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "md_gui_controller_intf.h"
#include "md_gui_token_panel.h"
#include "md_mandorel.h"
#include "md_run_guarded.h"
#include "md_templates.h"
#include "vko_info.h"
#include "zep_path_frames.h"
#include "zep_wertevorrat_registry.h"

TZEP_MD_TemplateDetails_Frm::TZEP_MD_TemplateDetails_Frm(TZEP_MD_GUI_Controller& AController,
                                                         QWidget* AOwner) try
    : TZEP_MD_FrameOf(AController, AOwner),
      scbTemplateReplacableTokens(new QScrollArea(this)),
      FPanelBox(new QWidget),
      FRegistry(std::make_unique<TZEP_MD_Wertevorrat_Registry>()) {
    setObjectName(QStringLiteral("TZEP_MD_TemplateDetails_Frm"));
    scbTemplateReplacableTokens->setObjectName(QStringLiteral("scbTemplateReplacableTokens"));
    scbTemplateReplacableTokens->setWidgetResizable(true);
    scbTemplateReplacableTokens->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scbTemplateReplacableTokens->setFrameShape(QFrame::NoFrame);
    // The box itself takes no input: the keyboard goes straight to the first parameter.
    scbTemplateReplacableTokens->setFocusPolicy(Qt::NoFocus);
    FPanelBox->setObjectName(QStringLiteral("pnlTokens"));
    scbTemplateReplacableTokens->setWidget(FPanelBox);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scbTemplateReplacableTokens);
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Create");
}

TZEP_MD_TemplateDetails_Frm::~TZEP_MD_TemplateDetails_Frm() {
    ReleaseGuarded("TZEP_MD_TemplateDetails_Frm.Destroy", [this] { Clear_Anzeige(); });
}

QString TZEP_MD_TemplateDetails_Frm::View_Caption() {
    return QStringLiteral("Parameter des Einzelschritts");
}

QUuid TZEP_MD_TemplateDetails_Frm::Docking_Key() {
    return QUuid(QStringLiteral("{02D712A2-AC80-4671-AB85-8ACAF94614F3}"));
}

void TZEP_MD_TemplateDetails_Frm::Initialize() try {
    FRegistry->LoadFromSettings();
    for (const TZEP_MD_Wertevorrat_Fehler& fehler : FRegistry->Fehler()) {
        if (fehler.Zeile == 0) {
            VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1018), {fehler.Grund});
        } else {
            VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1017),
                                  {fehler.Datei, QString::number(fehler.Zeile), fehler.Grund});
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Initialize");
}

void TZEP_MD_TemplateDetails_Frm::Toggle_RO_RW(bool ARO) try {
    TZEP_MD_Frame::Toggle_RO_RW(ARO);
    FRO = ARO;
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Toggle_RO_RW");
}

void TZEP_MD_TemplateDetails_Frm::Notification_ReportChanged() try {
    Clear_Anzeige();
    FAbgewiesen.clear();
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Notification_ReportChanged");
}

void TZEP_MD_TemplateDetails_Frm::Notification_TemplateChanged(
    const QString& ANewTemplate_Name) try {
    scbTemplateReplacableTokens->hide();
    // The box is shown again also when the rebuild fails.
    struct TShow {
        QWidget* Box;
        ~TShow() { Box->show(); }
    } show{scbTemplateReplacableTokens};
    Clear_Anzeige();
    QList<TZEP_MD_TokenInfo> tokens;
    if (!Controller().Tokens4Template(ANewTemplate_Name, tokens)) {
        return;
    }
    const TZEP_MD_Template* vorlage = nullptr;
    FSchritt = Controller().Template_ByKennung(ANewTemplate_Name, vorlage) ? vorlage->AnzeigeName()
                                                                           : ANewTemplate_Name;
    FMaxHintLabelWidth = 0;
    for (const TZEP_MD_TokenInfo& token : tokens) {
        const auto abgewiesen = FAbgewiesen.constFind(token.Kennung);
        const QString wert = abgewiesen != FAbgewiesen.cend() ? abgewiesen->Text : token.Wert;
        auto* panel = new TZEP_MD_Token_Panel(
            FPanelBox, *FRegistry, Controller().FileDialog(),
            {token.Kennung, token.AnzeigeName, false, token.WertMasked, wert},
            [this](const QString& AKennung, const QString& AWert) { EditExit(AKennung, AWert); },
            [this](QWidget* AInput) { EditEnter(AInput); });
        panel->show();
        panel->installEventFilter(this);
        FPanels.append(panel);
        FMaxHintLabelWidth = std::max(FMaxHintLabelWidth, panel->HintLabel_NaturalWidth());
    }
    Komponenten_der_Panels_ausrichten(true);
    scbTemplateReplacableTokens->viewport()->installEventFilter(this);
    Toggle_RO_RW(FRO);
    Verdeckte_Eintraege_melden(tokens);
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Notification_TemplateChanged");
}

// Once per token and window: the value-set file's entry for a masked token is not used.
void TZEP_MD_TemplateDetails_Frm::Verdeckte_Eintraege_melden(
    const QList<TZEP_MD_TokenInfo>& ATokens) {
    for (const TZEP_MD_TokenInfo& token : ATokens) {
        const TZEP_MD_Wertevorrat_TokenEditFunc entry =
            FRegistry->GetRegisteredWertevorrat(token.Kennung);
        if (!token.WertMasked || !entry.Vorhanden() || FVerdeckteGemeldet.contains(token.Kennung)) {
            continue;
        }
        FVerdeckteGemeldet.insert(token.Kennung);
        VKOInfo().ShowMeldung(
            CVKO_Buttons_OK, MD_Koord(1017),
            {entry.Datei, QString::number(entry.Zeile),
             QStringLiteral("der Platzhalter „%1“ ist verdeckt, sein Wert wird in keiner Auswahl "
                            "gezeigt")
                 .arg(token.Kennung)});
    }
}

void TZEP_MD_TemplateDetails_Frm::Clear_Anzeige() try {
    Abgewiesene_Merken();
    FLastFocusedEdit = nullptr;
    scbTemplateReplacableTokens->viewport()->removeEventFilter(this);
    // A panel that goes writes nothing: the Mandorel it belonged to may no longer be selected.
    for (TZEP_MD_Token_Panel* panel : FPanels) {
        panel->Detach();
    }
    while (!FPanels.isEmpty()) {
        delete FPanels.takeLast();
    }
    FPanelBox->setMinimumHeight(0);
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Clear_Anzeige");
}

void TZEP_MD_TemplateDetails_Frm::Abgewiesene_Merken() {
    for (const TZEP_MD_Token_Panel* panel : FPanels) {
        if (panel->Eingabe_Gueltig()) {
            FAbgewiesen.remove(panel->TokenName());
        } else {
            FAbgewiesen.insert(panel->TokenName(),
                               {panel->TokenValue_Get(), FSchritt, panel->AnzeigeName()});
        }
    }
}

bool TZEP_MD_TemplateDetails_Frm::Notification_BeforeBuchen() try {
    Abgewiesene_Merken();
    if (FAbgewiesen.isEmpty()) {
        return true;
    }
    const TAbgewiesen& erster = FAbgewiesen.first();
    VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1025),
                          {erster.Schritt, erster.Feld, erster.Text});
    for (TZEP_MD_Token_Panel* panel : FPanels) {
        if (!panel->Eingabe_Gueltig()) {
            panel->InputComp()->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    return false;
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Notification_BeforeBuchen");
}

void TZEP_MD_TemplateDetails_Frm::Anzeige_2_Report() try {
    if (FRO) {
        return;
    }
    for (TZEP_MD_Token_Panel* panel : FPanels) {
        panel->Exit();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Anzeige_2_Report");
}

void TZEP_MD_TemplateDetails_Frm::EditEnter(QWidget* AInput) try {
    if (AInput->metaObject() == &QLineEdit::staticMetaObject) {
        // Only a plain edit of the panel itself, not the edit inside an editor.
        if (qobject_cast<TZEP_MD_Token_Panel*>(AInput->parentWidget()) != nullptr) {
            FLastFocusedEdit = static_cast<QLineEdit*>(AInput);
            return;
        }
    }
    if (auto* frame = qobject_cast<TZEP_FileOpenDialogFrame*>(AInput->parentWidget())) {
        if (AInput == frame->Edit()) {
            FLastFocusedEdit = frame->Edit();
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.EditEnter");
}

void TZEP_MD_TemplateDetails_Frm::EditExit(const QString& ATokenKennung,
                                           const QString& ATokenValue) try {
    TZEP_MD_Mandorel* report = Controller().Selected_Mandorel();
    if (report != nullptr) {
        report->TokenValues().insert(ATokenKennung, ATokenValue);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.EditExit");
}

void TZEP_MD_TemplateDetails_Frm::Notification_DynTokenSelected(
    const QString& ADynToken_Kennung) try {
    if (FLastFocusedEdit.isNull()) {
        return;
    }
    TZEP_MD_Token_Panel* ziel = nullptr;
    for (TZEP_MD_Token_Panel* panel : FPanels) {
        if (panel->isAncestorOf(FLastFocusedEdit)) {
            ziel = panel;
        }
    }
    const QString bisher = FLastFocusedEdit->text();
    // A single placeholder is replaced by the one taken over; anything else is appended to.
    const bool einPlatzhalter = bisher.size() > 2 && bisher.startsWith(QLatin1Char('#')) &&
                                bisher.endsWith(QLatin1Char('#')) &&
                                bisher.count(QLatin1Char('#')) == 2;
    const QString neu = einPlatzhalter ? ADynToken_Kennung : bisher + ADynToken_Kennung;
    if (neu.size() > FLastFocusedEdit->maxLength()) {
        VKOInfo().ShowMeldung(CVKO_Buttons_OK, MD_Koord(1026),
                              {ADynToken_Kennung, ziel != nullptr ? ziel->AnzeigeName() : QString(),
                               QString::number(FLastFocusedEdit->maxLength())});
        return;
    }
    FLastFocusedEdit->setText(neu);
    if (ziel != nullptr) {
        ziel->Exit();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Notification_DynTokenSelected");
}

void TZEP_MD_TemplateDetails_Frm::Komponenten_der_Panels_ausrichten(bool AZweimal) try {
    if (FPanels.isEmpty()) {
        return;
    }
    const int breite = scbTemplateReplacableTokens->viewport()->width();
    const int w = std::min(FMaxHintLabelWidth, breite / 2);
    for (int runde = 0; runde < (AZweimal ? 2 : 1); ++runde) {
        int y = 0;
        for (TZEP_MD_Token_Panel* panel : FPanels) {
            panel->setGeometry(0, y, breite, panel->height());
            panel->SetHintLabel_Width(w);
            y += panel->height();
        }
        FPanelBox->setMinimumHeight(y);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_TemplateDetails_Frm.Komponenten_der_Panels_ausrichten");
}

bool TZEP_MD_TemplateDetails_Frm::eventFilter(QObject* AWatched, QEvent* AEvent) {
    // A panel that grows or shrinks (an editor's hint) moves the panels below it.
    if (AEvent->type() == QEvent::Resize &&
        (AWatched == scbTemplateReplacableTokens->viewport() ||
         FPanels.contains(qobject_cast<TZEP_MD_Token_Panel*>(AWatched)))) {
        RunGuarded("TZEP_MD_TemplateDetails_Frm.ResizeDo",
                   [this] { Komponenten_der_Panels_ausrichten(false); });
    }
    return TZEP_MD_Frame::eventFilter(AWatched, AEvent);
}
