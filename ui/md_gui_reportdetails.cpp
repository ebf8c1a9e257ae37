#include "md_gui_reportdetails.h"

#include <algorithm>
#include <utility>

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "md_glyph_imagelist.h"
#include "md_gui_controller_intf.h"
#include "md_mandorel.h"
#include "md_run_guarded.h"
#include "md_templates.h"
#include "vko_info.h"
#include "zep_menu_file.h"

namespace {

constexpr int CZelle_Bild = 0;
constexpr int CZelle_Bearbeiten = 1;
constexpr int CZelle_Name = 2;
constexpr int CZelle_Kennung = 3;
constexpr int CRolle_Bild = Qt::UserRole;
constexpr int CRolle_AndereAktion = Qt::UserRole + 1;

const char* const CProgrammCodes[] = {"PLON", "KUDRE", "MIRVELTO", "OSKENA", "DURF", "WENTICOR"};

int GlyphIndex(TZEP_RessGlyphImageList::TGlyph AGlyph) {
    return static_cast<int>(AGlyph);
}

QLabel* FeldLabel(const QString& AText, QWidget* ABuddy) {
    auto* label = new QLabel(AText);
    label->setFixedWidth(135);
    label->setBuddy(ABuddy);
    ABuddy->setAccessibleName(AText.trimmed());
    return label;
}

}  // namespace

// Opens the step chooser in the name cell, and only when an add or edit image asked for it.
class TStepChooserDelegate : public QStyledItemDelegate {
public:
    explicit TStepChooserDelegate(TZEP_MD_ReportDetail_Frm& AView)
        : QStyledItemDelegate(&AView), FView(AView) {}

    QWidget* createEditor(QWidget* AParent, const QStyleOptionViewItem&,
                          const QModelIndex& AIndex) const override {
        QComboBox* chooser = nullptr;
        RunGuarded("TZEP_MD_ReportDetail_Frm.vtReportSequenceCreateEditor", [&] {
            if (FView.vtReportSequenceEditing(AIndex.column())) {
                chooser = FView.vtReportSequenceCreateEditor(AParent, AIndex.row());
            }
        });
        return chooser;
    }
    // The chooser shows its names whole, however narrow the name column is.
    void updateEditorGeometry(QWidget* AEditor, const QStyleOptionViewItem& AOption,
                              const QModelIndex&) const override {
        QRect zelle = AOption.rect;
        zelle.setWidth(std::max(zelle.width(), AEditor->sizeHint().width()));
        AEditor->setGeometry(zelle);
    }
    void setEditorData(QWidget*, const QModelIndex&) const override {}
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

    void CloseChooser(QComboBox* AChooser) { Q_EMIT closeEditor(AChooser, NoHint); }

protected:
    // Escape closes the chooser rather than the window.
    bool eventFilter(QObject* AEditor, QEvent* AEvent) override {
        if (AEvent->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent*>(AEvent)->key() == Qt::Key_Escape) {
            AEvent->accept();
            return true;
        }
        return QStyledItemDelegate::eventFilter(AEditor, AEvent);
    }

private:
    TZEP_MD_ReportDetail_Frm& FView;
};

TZEP_MD_ReportDetail_Frm::TZEP_MD_ReportDetail_Frm(TZEP_MD_GUI_Controller& AController,
                                                   QWidget* AOwner) try
    : TZEP_MD_FrameOf(AController, AOwner) {
    setObjectName(QStringLiteral("TZEP_MD_ReportDetail_Frm"));
    auto* layout = new QVBoxLayout(this);

    auto* hint = new QLabel(QStringLiteral(
        "Hier sehen Sie die Detailinformation zum Mandorel. Um nachvollziehen zu können, welche "
        "Auswertung durch einen Report durchgeführt wird, und warum diese benötigt wird, "
        "erfassen Sie bitte bei der Neuanlage eine aussagekräftige Beschreibung und "
        "Begründung. "));
    hint->setObjectName(QStringLiteral("lblReportDetailsHint"));
    hint->setWordWrap(true);
    layout->addWidget(hint);

    cmbReportProgramm = new QComboBox;
    cmbReportProgramm->setObjectName(QStringLiteral("cmbReportProgramm"));
    cmbReportProgramm->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    edtReportName = new QLineEdit;
    edtReportName->setObjectName(QStringLiteral("edtReportName"));
    edtReportName->setMaxLength(20);
    edtReportBeschreibung = new QLineEdit;
    edtReportBeschreibung->setObjectName(QStringLiteral("edtReportBeschreibung"));
    edtReportBeschreibung->setMaxLength(300);
    edtReportGrund = new QLineEdit;
    edtReportGrund->setObjectName(QStringLiteral("edtReportGrund"));
    edtReportGrund->setMaxLength(300);

    auto* felder = new QGridLayout;
    felder->addWidget(FeldLabel(QStringLiteral("Programm "), cmbReportProgramm), 0, 0);
    felder->addWidget(cmbReportProgramm, 0, 1);
    felder->addWidget(FeldLabel(QStringLiteral("Name"), edtReportName), 1, 0);
    felder->addWidget(edtReportName, 1, 1);
    felder->addWidget(FeldLabel(QStringLiteral("Beschreibung"), edtReportBeschreibung), 2, 0);
    felder->addWidget(edtReportBeschreibung, 2, 1);
    felder->addWidget(FeldLabel(QStringLiteral("Grund der Auswertung"), edtReportGrund), 3, 0);
    felder->addWidget(edtReportGrund, 3, 1);
    layout->addLayout(felder);

    auto* sequenceHint = new QLabel(
        QStringLiteral("Hier sehen Sie die Einzelschritte aus denen der Mandorel besteht."));
    sequenceHint->setObjectName(QStringLiteral("lblReportSequenceHint"));
    sequenceHint->setWordWrap(true);
    layout->addWidget(sequenceHint);

    vtReportSequence = new QTreeWidget;
    vtReportSequence->setObjectName(QStringLiteral("vtReportSequence"));
    vtReportSequence->setAccessibleName(QStringLiteral("Einzelschritte"));
    vtReportSequence->setColumnCount(4);
    vtReportSequence->setHeaderHidden(true);
    vtReportSequence->setRootIsDecorated(false);
    vtReportSequence->setSelectionMode(QAbstractItemView::SingleSelection);
    vtReportSequence->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vtReportSequence->header()->setStretchLastSection(false);
    vtReportSequence->header()->setSectionResizeMode(CZelle_Name, QHeaderView::ResizeToContents);
    vtReportSequence->header()->setSectionResizeMode(CZelle_Kennung, QHeaderView::ResizeToContents);
    vtReportSequence->header()->setSectionResizeMode(CZelle_Bild, QHeaderView::Fixed);
    vtReportSequence->header()->setSectionResizeMode(CZelle_Bearbeiten, QHeaderView::Fixed);
    vtReportSequence->header()->resizeSection(CZelle_Bild, 28);
    vtReportSequence->header()->resizeSection(CZelle_Bearbeiten, 28);
    FDelegate = new TStepChooserDelegate(*this);
    vtReportSequence->setItemDelegateForColumn(CZelle_Name, FDelegate);
    vtReportSequence->installEventFilter(this);
    layout->addWidget(vtReportSequence, 1);

    setTabOrder(cmbReportProgramm, edtReportName);
    setTabOrder(edtReportName, edtReportBeschreibung);
    setTabOrder(edtReportBeschreibung, edtReportGrund);
    setTabOrder(edtReportGrund, vtReportSequence);

    connect(cmbReportProgramm, &QComboBox::activated, this, [this](int AIndex) {
        RunGuarded("TZEP_MD_ReportDetail_Frm.cmbReportProgrammSelect",
                   [&] { cmbReportProgrammSelect(AIndex); });
    });
    connect(edtReportName, &QLineEdit::editingFinished, this, [this] {
        RunGuarded("TZEP_MD_ReportDetail_Frm.edtReportNameExit", [&] { edtReportNameExit(); });
    });
    connect(edtReportBeschreibung, &QLineEdit::editingFinished, this, [this] {
        RunGuarded("TZEP_MD_ReportDetail_Frm.edtReportBeschreibungExit",
                   [&] { edtReportBeschreibungExit(); });
    });
    connect(edtReportGrund, &QLineEdit::editingFinished, this, [this] {
        RunGuarded("TZEP_MD_ReportDetail_Frm.edtReportGrundExit", [&] { edtReportGrundExit(); });
    });
    connect(vtReportSequence, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* ARow, int AColumn) {
                RunGuarded("TZEP_MD_ReportDetail_Frm.vtReportSequenceColumnNodeImageClick",
                           [&] { vtReportSequenceColumnNodeImageClick(ARow, AColumn); });
            });
    connect(vtReportSequence, &QTreeWidget::itemSelectionChanged, this, [this] {
        RunGuarded("TZEP_MD_ReportDetail_Frm.vtReportSequenceSelectionChanged",
                   [&] { vtReportSequenceSelectionChanged(); });
    });
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.Create");
}

QString TZEP_MD_ReportDetail_Frm::View_Caption() {
    return QStringLiteral("Details des Reports");
}

QUuid TZEP_MD_ReportDetail_Frm::Docking_Key() {
    return QUuid(QStringLiteral("{EE0205E4-BFD7-4EE4-A791-A05AF04CD867}"));
}

void TZEP_MD_ReportDetail_Frm::Initialize() try {
    using TGlyph = TZEP_RessGlyphImageList::TGlyph;
    FImageInd_Delete = GlyphIndex(TGlyph::Loeschen);
    FImageInd_Add = GlyphIndex(TGlyph::Hinzufuegen);
    FImageInd_Edit = GlyphIndex(TGlyph::Bearbeiten);
    cmbReportProgramm->clear();
    cmbReportProgramm->addItem(QString());
    const TZEP_MenuFile& menuFile = Controller().MenuFile();
    for (const char* code : CProgrammCodes) {
        const QString programm = QString::fromLatin1(code);
        const QString anzeige = menuFile.ProgrammName_ByExeName(programm);
        cmbReportProgramm->addItem(anzeige.isEmpty() ? programm : anzeige, programm);
    }
    LayoutColumns();
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.Initialize");
}

void TZEP_MD_ReportDetail_Frm::Notification_ReportChanged() try {
    AktReport_2_Anzeige();
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.Notification_ReportChanged");
}

void TZEP_MD_ReportDetail_Frm::Anzeige_Clear() {
    const QSignalBlocker blocker(vtReportSequence);
    vtReportSequence->clear();
    FAndereAktionen.clear();
    edtReportName->clear();
    edtReportBeschreibung->clear();
    edtReportGrund->clear();
    cmbReportProgramm->setCurrentIndex(0);
}

void TZEP_MD_ReportDetail_Frm::Select_SelectedProgramm() {
    cmbReportProgramm->setCurrentIndex(0);
    const TZEP_MD_Mandorel* report = Controller().Selected_Mandorel();
    if (report == nullptr) {
        return;
    }
    for (int i = 0; i < cmbReportProgramm->count(); ++i) {
        if (cmbReportProgramm->itemData(i).toString().compare(report->Programm(),
                                                              Qt::CaseInsensitive) == 0) {
            cmbReportProgramm->setCurrentIndex(i);
            return;
        }
    }
}

void TZEP_MD_ReportDetail_Frm::AktReport_2_Anzeige() try {
    Anzeige_Clear();
    TZEP_MD_Mandorel* report = Controller().Selected_Mandorel();
    if (report == nullptr) {
        return;
    }
    Select_SelectedProgramm();
    edtReportName->setText(report->Name_Anzeige());
    edtReportGrund->setText(report->Auswertungs_Grund());
    edtReportBeschreibung->setText(report->Auswertungs_Beschreibung());
    const QSignalBlocker blocker(vtReportSequence);
    for (const TZEP_GA_SingleAction& action : report->Sequence().Actions()) {
        if (action.Kind == TZEP_GA_ActionKind::Template) {
            const TZEP_MD_Template* vorlage = nullptr;
            if (Controller().Template_ByKennung(action.Text, vorlage)) {
                ProcessTemplate(*vorlage);
            } else {
                ProcessUnbekannt(action.Text);
            }
        } else {
            ProcessOther(action);
        }
    }
    LayoutColumns();
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.AktReport_2_Anzeige");
}

void TZEP_MD_ReportDetail_Frm::ProcessTemplate(const TZEP_MD_Template& ATemplate) try {
    AddRow(FImageInd_Delete, FImageInd_Edit, ATemplate.AnzeigeName(), ATemplate.Kennung());
} catch (...) {
    RethrowRegistered("ProcessTemplate");
}

// A step whose template left the catalogue stays listed and is booked back unchanged: only the
// user deletes it. A run still fails on it and says which template is missing.
void TZEP_MD_ReportDetail_Frm::ProcessUnbekannt(const QString& AKennung) try {
    QTreeWidgetItem* row = AddRow(FImageInd_Delete, FImageInd_Edit,
                                  QStringLiteral("unbekannte Vorlage ") + AKennung, AKennung);
    row->setIcon(CZelle_Name, Controller().Images().Icon(TZEP_RessGlyphImageList::TGlyph::Warnung));
    row->setToolTip(CZelle_Name,
                    QStringLiteral("Der Vorlagenkatalog enthält die Vorlage „%1“ nicht; ein "
                                   "Lauf dieses Mandorels schlägt fehl.")
                        .arg(AKennung));
} catch (...) {
    RethrowRegistered("ProcessUnbekannt");
}

void TZEP_MD_ReportDetail_Frm::ProcessOther(const TZEP_GA_SingleAction& AAction) try {
    const QString text = AAction.ToString();
    QTreeWidgetItem* row = AddRow(FImageInd_Delete, FImageInd_Edit, text, text);
    row->setData(CZelle_Kennung, CRolle_AndereAktion, FAndereAktionen.size());
    FAndereAktionen.append(AAction);
} catch (...) {
    RethrowRegistered("ProcessOther");
}

void TZEP_MD_ReportDetail_Frm::SetImage(QTreeWidgetItem* ARow, int AColumn, int AImage) {
    ARow->setData(AColumn, CRolle_Bild, AImage);
    ARow->setIcon(AColumn, AImage < 0 ? QIcon()
                                      : Controller().Images().Icon(
                                            static_cast<TZEP_RessGlyphImageList::TGlyph>(AImage)));
    QString was;
    if (AImage == FImageInd_Delete) {
        was = QStringLiteral("Schritt löschen");
    } else if (AImage == FImageInd_Add) {
        was = QStringLiteral("Schritt hinzufügen");
    } else if (AImage == FImageInd_Edit) {
        was = QStringLiteral("Schritt ändern");
    }
    ARow->setData(AColumn, Qt::AccessibleTextRole, was);
    ARow->setToolTip(AColumn, was);
}

QTreeWidgetItem* TZEP_MD_ReportDetail_Frm::AddRow(int AImage, int AEditImage, const QString& AName,
                                                  const QString& AKennung) {
    auto* row = new QTreeWidgetItem(vtReportSequence);
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    SetImage(row, CZelle_Bild, AImage);
    SetImage(row, CZelle_Bearbeiten, AEditImage);
    row->setText(CZelle_Name, AName);
    row->setText(CZelle_Kennung, AKennung);
    return row;
}

void TZEP_MD_ReportDetail_Frm::AddAddRow() {
    AddRow(FImageInd_Add, -1, QString(), QString());
}

bool TZEP_MD_ReportDetail_Frm::IsAddRow(const QTreeWidgetItem* ARow) const {
    return ARow != nullptr && ARow->data(CZelle_Bild, CRolle_Bild).toInt() == FImageInd_Add;
}

void TZEP_MD_ReportDetail_Frm::ClearSequenceSteps(int AFirstRow, bool AAddRow) try {
    for (int i = vtReportSequence->topLevelItemCount() - 1; i >= std::max(0, AFirstRow); --i) {
        delete vtReportSequence->takeTopLevelItem(i);
    }
    if (AAddRow) {
        AddAddRow();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.ClearSequenceSteps");
}

void TZEP_MD_ReportDetail_Frm::LayoutColumns() {
    vtReportSequence->resizeColumnToContents(CZelle_Kennung);
}

void TZEP_MD_ReportDetail_Frm::Toggle_RO_RW(bool ARO) try {
    TZEP_MD_Frame::Toggle_RO_RW(ARO);
    const bool neu = Controller().SelectedReport_IsNew();
    edtReportName->setEnabled(edtReportName->isEnabled() && neu);
    cmbReportProgramm->setEnabled(cmbReportProgramm->isEnabled() && neu);
    const int letzte = vtReportSequence->topLevelItemCount() - 1;
    const bool hatAddRow = letzte >= 0 && IsAddRow(vtReportSequence->topLevelItem(letzte));
    if (!ARO && !hatAddRow) {
        AddAddRow();
    } else if (ARO && hatAddRow) {
        delete vtReportSequence->takeTopLevelItem(letzte);
    }
    FInPlaceEdit = !ARO;
    LayoutColumns();
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.Toggle_RO_RW");
}

void TZEP_MD_ReportDetail_Frm::vtReportSequenceColumnNodeImageClick(QTreeWidgetItem* ARow,
                                                                    int AColumn) try {
    if (!FInPlaceEdit || ARow == nullptr ||
        (AColumn != CZelle_Bild && AColumn != CZelle_Bearbeiten)) {
        return;
    }
    const int bild = ARow->data(AColumn, CRolle_Bild).toInt();
    if (bild == FImageInd_Delete) {
        if (VKOInfo().ShowDlgMeldung(CVKO_Buttons_JaNein, MD_Koord(1009)) == CVKO_Antwort_Ja) {
            ClearSequenceSteps(vtReportSequence->indexOfTopLevelItem(ARow), true);
            Sequence_2_Report();
            LayoutColumns();
        }
    } else if (bild == FImageInd_Add || bild == FImageInd_Edit) {
        FBearbPlusGlyph_Click = true;
        vtReportSequence->setCurrentItem(ARow, CZelle_Name);
        vtReportSequence->editItem(ARow, CZelle_Name);
        FBearbPlusGlyph_Click = false;
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.vtReportSequenceColumnNodeImageClick");
}

bool TZEP_MD_ReportDetail_Frm::vtReportSequenceEditing(int AColumn) try {
    const bool erlaubt = AColumn == CZelle_Name && FBearbPlusGlyph_Click && FInPlaceEdit;
    FBearbPlusGlyph_Click = false;
    return erlaubt;
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.vtReportSequenceEditing");
}

QComboBox* TZEP_MD_ReportDetail_Frm::vtReportSequenceCreateEditor(QWidget* AParent, int ARow) try {
    const QTreeWidgetItem* row = vtReportSequence->topLevelItem(ARow);
    FBisher_Template_Kenn = row->text(CZelle_Kennung);
    FEditing_NodeInd = ARow;
    auto* chooser = new QComboBox(AParent);
    FChooser = chooser;
    chooser->setObjectName(QStringLiteral("cmbSequenceStep"));
    chooser->setAccessibleName(QStringLiteral("Schritt wählen"));
    ReportSequence_CreateEdit_Combo(chooser, ARow);
    connect(chooser, &QComboBox::activated, this, [this, chooser] {
        RunGuarded("TZEP_MD_ReportDetail_Frm.SequenceStep_Selected",
                   [&] { SequenceStep_Selected(chooser); });
    });
    QTimer::singleShot(0, chooser, [chooser] {
        RunGuarded("TZEP_MD_ReportDetail_Frm.vtReportSequenceCreateEditor",
                   [&] { chooser->showPopup(); });
    });
    return chooser;
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.vtReportSequenceCreateEditor");
}

void TZEP_MD_ReportDetail_Frm::ReportSequence_CreateEdit_Combo(QComboBox* ACombo, int ARow) try {
    ACombo->clear();
    ACombo->addItem(QString());
    const auto eintrag = [ACombo](const TZEP_MD_Template& AVorlage) {
        ACombo->addItem(AVorlage.AnzeigeName(), AVorlage.Kennung());
    };
    if (ARow == 0) {
        const TZEP_MD_Mandorel* report = Controller().Selected_Mandorel();
        Controller().Enum_Templates(eintrag, true, report ? report->Programm() : QString());
    } else {
        Controller().Enum_FolgeTemplates(
            eintrag, vtReportSequence->topLevelItem(ARow - 1)->text(CZelle_Kennung));
    }
    const QTreeWidgetItem* row = vtReportSequence->topLevelItem(ARow);
    if (!row->text(CZelle_Kennung).isEmpty()) {
        for (int i = 1; i < ACombo->count(); ++i) {
            if (ACombo->itemText(i).compare(row->text(CZelle_Name), Qt::CaseInsensitive) == 0) {
                ACombo->setCurrentIndex(i);
                break;
            }
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.ReportSequence_CreateEdit_Combo");
}

// A choice ends the chooser, also one that changes nothing.
void TZEP_MD_ReportDetail_Frm::SequenceStep_Selected(QComboBox* ACombo) try {
    TakeStep(ACombo);
    if (ACombo == FChooser) {
        FChooser = nullptr;
        FDelegate->CloseChooser(ACombo);
        vtReportSequence->setFocus();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.SequenceStep_Selected");
}

void TZEP_MD_ReportDetail_Frm::TakeStep(QComboBox* ACombo) {
    const QString kennung = ACombo->currentData().toString();
    const TZEP_MD_Template* vorlage = nullptr;
    if (ACombo->currentIndex() <= 0 || kennung.isEmpty() ||
        !Controller().Template_ByKennung(kennung, vorlage) || FEditing_NodeInd < 0 ||
        FEditing_NodeInd >= vtReportSequence->topLevelItemCount()) {
        return;
    }
    if (kennung.compare(FBisher_Template_Kenn, Qt::CaseInsensitive) == 0) {
        return;
    }
    if (!FBisher_Template_Kenn.trimmed().isEmpty() &&
        VKOInfo().ShowDlgMeldung(CVKO_Buttons_JaNein, MD_Koord(1007)) == CVKO_Antwort_Nein) {
        return;
    }
    TZEP_MD_Mandorel* report = Controller().Selected_Mandorel();
    const QString& zielProgramm = vorlage->TargetProgramFile();
    if (!zielProgramm.isEmpty() && (report == nullptr || zielProgramm != report->Programm())) {
        Controller().SelectedReport_SetProgramm(zielProgramm);
        Select_SelectedProgramm();
    }
    const int bearbeitet = FEditing_NodeInd;
    ClearSequenceSteps(bearbeitet + 1, true);
    QTreeWidgetItem* row = vtReportSequence->topLevelItem(bearbeitet);
    SetImage(row, CZelle_Bild, FImageInd_Delete);
    SetImage(row, CZelle_Bearbeiten, FImageInd_Edit);
    row->setText(CZelle_Name, vorlage->AnzeigeName());
    row->setIcon(CZelle_Name, QIcon());
    row->setToolTip(CZelle_Name, QString());
    row->setText(CZelle_Kennung, vorlage->Kennung());
    row->setData(CZelle_Kennung, CRolle_AndereAktion, QVariant());
    FBisher_Template_Kenn = vorlage->Kennung();
    // Written at once: the schedule view and a test run see the step just chosen.
    Sequence_2_Report();
    Controller().Listeners().SendNotification_TemplateChanged(vorlage->Kennung());
    LayoutColumns();
    FEditing_NodeInd = -1;
}

void TZEP_MD_ReportDetail_Frm::vtReportSequenceSelectionChanged() try {
    const QList<QTreeWidgetItem*> auswahl = vtReportSequence->selectedItems();
    if (!auswahl.isEmpty()) {
        Controller().Listeners().SendNotification_TemplateChanged(
            auswahl.first()->text(CZelle_Kennung));
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.vtReportSequenceSelectionChanged");
}

void TZEP_MD_ReportDetail_Frm::cmbReportProgrammSelect(int AIndex) try {
    const QString code = cmbReportProgramm->itemData(AIndex).toString();
    if (code.isEmpty()) {
        return;
    }
    Controller().SelectedReport_SetProgramm(code);
    ClearSequenceSteps(0, true);
    LayoutColumns();
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.cmbReportProgrammSelect");
}

void TZEP_MD_ReportDetail_Frm::edtReportNameExit() try {
    if (Controller().Selected_Mandorel() != nullptr) {
        Controller().SelectedReport_SetName(edtReportName->text());
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.edtReportNameExit");
}

void TZEP_MD_ReportDetail_Frm::edtReportBeschreibungExit() try {
    if (TZEP_MD_Mandorel* report = Controller().Selected_Mandorel(); report != nullptr) {
        report->SetAuswertungs_Beschreibung(edtReportBeschreibung->text());
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.edtReportBeschreibungExit");
}

void TZEP_MD_ReportDetail_Frm::edtReportGrundExit() try {
    if (TZEP_MD_Mandorel* report = Controller().Selected_Mandorel(); report != nullptr) {
        report->SetAuswertungs_Grund(edtReportGrund->text());
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.edtReportGrundExit");
}

QString TZEP_MD_ReportDetail_Frm::Angaben_Gefuellt_Check() const {
    if (cmbReportProgramm->currentIndex() < 0 ||
        cmbReportProgramm->currentIndex() >= cmbReportProgramm->count()) {
        return QStringLiteral("Es ist kein Programm gewählt.");
    }
    const std::pair<const QLineEdit*, const char*> felder[] = {
        {edtReportName, "Name"},
        {edtReportBeschreibung, "Beschreibung"},
        {edtReportGrund, "Grund der Auswertung"}};
    for (const auto& [feld, name] : felder) {
        if (feld->text().isEmpty()) {
            return QStringLiteral("Das Feld „%1“ ist leer.").arg(QString::fromUtf8(name));
        }
    }
    for (int i = 0; i < vtReportSequence->topLevelItemCount(); ++i) {
        if (!vtReportSequence->topLevelItem(i)->text(CZelle_Kennung).isEmpty()) {
            return {};
        }
    }
    return QStringLiteral("Es ist noch kein Schritt angelegt.");
}

void TZEP_MD_ReportDetail_Frm::WriteHeadFields() {
    // A field still being typed in when Buchen is pressed has not been left yet.
    edtReportNameExit();
    edtReportBeschreibungExit();
    edtReportGrundExit();
}

bool TZEP_MD_ReportDetail_Frm::Notification_BeforeBuchen() try {
    const QString fehlt = Angaben_Gefuellt_Check();
    if (!fehlt.isEmpty()) {
        VKOInfo().ShowDlgMeldung(CVKO_Buttons_OK, MD_Koord(1005), {fehlt});
        return false;
    }
    WriteHeadFields();
    Sequence_2_Report();
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.Notification_BeforeBuchen");
}

void TZEP_MD_ReportDetail_Frm::Anzeige_2_Report() try {
    if (!FInPlaceEdit) {
        return;
    }
    WriteHeadFields();
    Sequence_2_Report();
} catch (...) {
    RethrowRegistered("TZEP_MD_ReportDetail_Frm.Anzeige_2_Report");
}

void TZEP_MD_ReportDetail_Frm::Sequence_2_Report() {
    TZEP_MD_Mandorel* report = Controller().Selected_Mandorel();
    if (report == nullptr) {
        return;
    }
    TZEP_GA_Sequence& sequence = report->Sequence();
    const QString zielProgramm = sequence.TargetProgramFile();
    sequence.Clear();
    sequence.SetTargetProgramFile(zielProgramm);
    for (int i = 0; i < vtReportSequence->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = vtReportSequence->topLevelItem(i);
        const QVariant andere = row->data(CZelle_Kennung, CRolle_AndereAktion);
        if (andere.isValid()) {
            sequence.Append(FAndereAktionen.at(andere.toInt()));
        } else if (!row->text(CZelle_Kennung).isEmpty()) {
            sequence.Append(
                TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, row->text(CZelle_Kennung)});
        }
    }
}

// The image cells by keyboard: Delete deletes the current step, Return or F2 opens its
// chooser, on the add row the chooser of a new step.
bool TZEP_MD_ReportDetail_Frm::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched != vtReportSequence || AEvent->type() != QEvent::KeyPress) {
        return TZEP_MD_Frame::eventFilter(AWatched, AEvent);
    }
    const int taste = static_cast<QKeyEvent*>(AEvent)->key();
    QTreeWidgetItem* row = vtReportSequence->currentItem();
    if (row == nullptr) {
        return false;
    }
    int zelle = -1;
    if (taste == Qt::Key_Delete && !IsAddRow(row)) {
        zelle = CZelle_Bild;
    } else if (taste == Qt::Key_Return || taste == Qt::Key_Enter || taste == Qt::Key_F2) {
        zelle = IsAddRow(row) ? CZelle_Bild : CZelle_Bearbeiten;
    }
    if (zelle < 0 || !FInPlaceEdit) {
        return false;
    }
    RunGuarded("TZEP_MD_ReportDetail_Frm.vtReportSequenceColumnNodeImageClick",
               [&] { vtReportSequenceColumnNodeImageClick(row, zelle); });
    return true;
}
