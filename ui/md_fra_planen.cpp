#include "md_fra_planen.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <utility>

#include "md_run_guarded.h"
#include "vko_clock.h"

namespace {

const char* const CTageKurz[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
const char* const CTageLang[] = {"Montag",  "Dienstag", "Mittwoch", "Donnerstag",
                                 "Freitag", "Samstag",  "Sonntag"};

// The page of each kind, in the order of the pages.
constexpr TPlanArt CSeiten[] = {TPlanArt::Taeglich, TPlanArt::Woechentlich, TPlanArt::Monatlich,
                                TPlanArt::Einmalig};

template <typename TWidget>
TWidget* Named(TWidget* AWidget, const char* AName) {
    AWidget->setObjectName(QString::fromLatin1(AName));
    return AWidget;
}

}  // namespace

TfraPlanen::TfraPlanen(QWidget* AOwner) : QWidget(AOwner) {
    setObjectName(QStringLiteral("fraPlaner"));
    auto* layout = new QVBoxLayout(this);
    chkAktiv = Named(new QCheckBox(QStringLiteral("aktiv"), this), "chkAktiv");
    layout->addWidget(chkAktiv);

    pgcPlanArt = Named(new QTabWidget(this), "pgcPlanArt");
    auto* taeglich = Named(new QWidget(pgcPlanArt), "tshTaeglich");
    auto* taeglichLayout = new QVBoxLayout(taeglich);
    auto* alleZeile = new QHBoxLayout;
    rbAlleNTage = Named(new QRadioButton(QStringLiteral("alle"), taeglich), "rbAlleNTage");
    spnAlleNTage = Named(new QSpinBox(taeglich), "spnAlleNTage");
    spnAlleNTage->setRange(1, 366);
    alleZeile->addWidget(rbAlleNTage);
    alleZeile->addWidget(spnAlleNTage);
    alleZeile->addWidget(new QLabel(QStringLiteral("Tage"), taeglich));
    alleZeile->addStretch();
    taeglichLayout->addLayout(alleZeile);
    rbNurWerktage =
        Named(new QRadioButton(QStringLiteral("nur an Werktagen"), taeglich), "rbNurWerktage");
    taeglichLayout->addWidget(rbNurWerktage);
    taeglichLayout->addStretch();
    pgcPlanArt->addTab(taeglich, QStringLiteral("Täglich"));

    auto* woechentlich = Named(new QWidget(pgcPlanArt), "tshWoechentlich");
    auto* wochenLayout = new QHBoxLayout(woechentlich);
    for (int i = 0; i < 7; ++i) {
        chkWochentag[i] = new QCheckBox(QString::fromLatin1(CTageKurz[i]), woechentlich);
        chkWochentag[i]->setObjectName(QStringLiteral("chkWochentag%1").arg(i + 1));
        wochenLayout->addWidget(chkWochentag[i]);
    }
    wochenLayout->addStretch();
    pgcPlanArt->addTab(woechentlich, QStringLiteral("Wöchentlich"));

    auto* monatlich = Named(new QWidget(pgcPlanArt), "tshMonatlich");
    auto* monatsLayout = new QVBoxLayout(monatlich);
    auto* tagZeile = new QHBoxLayout;
    rbMonatsTag = Named(new QRadioButton(QStringLiteral("am"), monatlich), "rbMonatsTag");
    spnMonatsTag = Named(new QSpinBox(monatlich), "spnMonatsTag");
    spnMonatsTag->setRange(1, 28);
    tagZeile->addWidget(rbMonatsTag);
    tagZeile->addWidget(spnMonatsTag);
    tagZeile->addWidget(new QLabel(QStringLiteral(". Tag"), monatlich));
    tagZeile->addStretch();
    monatsLayout->addLayout(tagZeile);
    rbLetzterTag =
        Named(new QRadioButton(QStringLiteral("am letzten Tag"), monatlich), "rbLetzterTag");
    monatsLayout->addWidget(rbLetzterTag);
    auto* ersterZeile = new QHBoxLayout;
    rbErsterWochentag =
        Named(new QRadioButton(QStringLiteral("am ersten"), monatlich), "rbErsterWochentag");
    cmbMonatsWochentag = Named(new QComboBox(monatlich), "cmbMonatsWochentag");
    for (const char* tag : CTageLang) {
        cmbMonatsWochentag->addItem(QString::fromLatin1(tag));
    }
    ersterZeile->addWidget(rbErsterWochentag);
    ersterZeile->addWidget(cmbMonatsWochentag);
    ersterZeile->addStretch();
    monatsLayout->addLayout(ersterZeile);
    pgcPlanArt->addTab(monatlich, QStringLiteral("Monatlich"));

    auto* einmalig = Named(new QWidget(pgcPlanArt), "tshEinmalig");
    auto* einmaligLayout = new QFormLayout(einmalig);
    dteEinmalig = Named(new QDateTimeEdit(einmalig), "dteEinmalig");
    dteEinmalig->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm"));
    einmaligLayout->addRow(QStringLiteral("am"), dteEinmalig);
    pgcPlanArt->addTab(einmalig, QStringLiteral("Einmalig"));
    layout->addWidget(pgcPlanArt);

    auto* form = new QFormLayout;
    FForm = form;
    tmeUhrzeit = Named(new QTimeEdit(this), "tmeUhrzeit");
    tmeUhrzeit->setDisplayFormat(QStringLiteral("HH:mm"));
    form->addRow(QStringLiteral("Uhrzeit"), tmeUhrzeit);
    chkErsterTag = Named(new QCheckBox(QStringLiteral("ab"), this), "chkErsterTag");
    dteErsterTag = Named(new QDateEdit(this), "dteErsterTag");
    dteErsterTag->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    form->addRow(chkErsterTag, dteErsterTag);
    chkLetzterTag = Named(new QCheckBox(QStringLiteral("bis"), this), "chkLetzterTag");
    dteLetzterTag = Named(new QDateEdit(this), "dteLetzterTag");
    dteLetzterTag->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    form->addRow(chkLetzterTag, dteLetzterTag);
    layout->addLayout(form);
    chkEigenerBildschirm =
        Named(new QCheckBox(QStringLiteral("Eigener Bildschirm"), this), "chkEigenerBildschirm");
    layout->addWidget(chkEigenerBildschirm);
    lblArbeitsplatz = Named(new QLabel(this), "lblArbeitsplatz");
    lblArbeitsplatz->setWordWrap(true);
    lblArbeitsplatz->hide();
    layout->addWidget(lblArbeitsplatz);
    lblHinweis = Named(new QLabel(this), "lblHinweis");
    lblHinweis->setWordWrap(true);
    lblHinweis->hide();
    layout->addWidget(lblHinweis);
    lblNaechste = Named(new QLabel(this), "lblNaechste");
    layout->addWidget(lblNaechste);
    layout->addStretch();

    // Fields without a caption of their own are named for screen readers.
    const std::pair<QWidget*, const char*> namen[] = {
        {spnAlleNTage, "alle n Tage"},     {spnMonatsTag, "Tag des Monats"},
        {cmbMonatsWochentag, "Wochentag"}, {dteEinmalig, "Datum und Uhrzeit"},
        {tmeUhrzeit, "Uhrzeit"},           {dteErsterTag, "erster Tag"},
        {dteLetzterTag, "letzter Tag"}};
    for (const auto& [feld, name] : namen) {
        feld->setAccessibleName(QString::fromUtf8(name));
        for (QWidget* teil : feld->findChildren<QWidget*>()) {
            teil->setAccessibleName(QString::fromUtf8(name));
        }
    }
    const auto aktualisieren = [this] {
        RunGuarded("TfraPlanen.UpdateNaechste", [this] { UpdateNaechste(); });
    };
    for (QCheckBox* box : findChildren<QCheckBox*>()) {
        connect(box, &QCheckBox::toggled, this, aktualisieren);
    }
    for (QRadioButton* knopf : findChildren<QRadioButton*>()) {
        connect(knopf, &QRadioButton::toggled, this, aktualisieren);
    }
    for (QSpinBox* feld : findChildren<QSpinBox*>()) {
        connect(feld, &QSpinBox::valueChanged, this, aktualisieren);
    }
    for (QDateTimeEdit* feld : findChildren<QDateTimeEdit*>()) {
        connect(feld, &QDateTimeEdit::dateTimeChanged, this, aktualisieren);
    }
    connect(cmbMonatsWochentag, &QComboBox::currentIndexChanged, this, aktualisieren);
    connect(chkEigenerBildschirm, &QCheckBox::clicked, this, [this] {
        RunGuarded("TfraPlanen.chkEigenerBildschirmClick",
                   [this] { FEigenerBildschirmGewaehlt = true; });
    });
    connect(pgcPlanArt, &QTabWidget::currentChanged, this, aktualisieren);
    connect(pgcPlanArt, &QTabWidget::currentChanged, this,
            [this] { RunGuarded("TfraPlanen.pgcPlanArtChange", [this] { SeiteGewechselt(); }); });
    Init();
}

void TfraPlanen::Init() {
    TPlanSatz leer;
    Clear_Plansatz(leer);
    PlanSatz2Maske(leer);
}

void TfraPlanen::PlanSatz2Maske(const TPlanSatz& APlansatz) {
    // One update of the next run at the end, not one per field. The tab bar keeps its
    // signal: it is what brings the page of the kind to the front.
    QList<QWidget*> felder = findChildren<QWidget*>();
    felder.removeAll(pgcPlanArt->tabBar());
    for (QWidget* feld : felder) {
        feld->blockSignals(true);
    }
    chkAktiv->setChecked(APlansatz.Aktiv);
    int seite = 0;
    for (int i = 0; i < 4; ++i) {
        if (CSeiten[i] == APlansatz.Art) {
            seite = i;
        }
    }
    pgcPlanArt->setCurrentIndex(seite);
    spnAlleNTage->setValue(APlansatz.AlleNTage);
    rbAlleNTage->setChecked(!APlansatz.NurWerktage);
    rbNurWerktage->setChecked(APlansatz.NurWerktage);
    for (int i = 0; i < 7; ++i) {
        chkWochentag[i]->setChecked((APlansatz.Wochentage & (1 << i)) != 0);
    }
    spnMonatsTag->setValue(APlansatz.MonatsTag);
    rbMonatsTag->setChecked(APlansatz.MonatsRegel == TPlanMonatsRegel::Tag);
    rbLetzterTag->setChecked(APlansatz.MonatsRegel == TPlanMonatsRegel::LetzterTag);
    rbErsterWochentag->setChecked(APlansatz.MonatsRegel == TPlanMonatsRegel::ErsterWochentag);
    cmbMonatsWochentag->setCurrentIndex(APlansatz.MonatsWochentag - 1);
    tmeUhrzeit->setTime(APlansatz.Uhrzeit);
    const QDateTime jetzt = vko_Now();
    dteEinmalig->setDateTime(APlansatz.Einmalig.isValid()
                                 ? APlansatz.Einmalig
                                 : QDateTime(jetzt.date().addDays(1), APlansatz.Uhrzeit));
    chkErsterTag->setChecked(APlansatz.ErsterTag.isValid());
    dteErsterTag->setDate(APlansatz.ErsterTag.isValid() ? APlansatz.ErsterTag : jetzt.date());
    chkLetzterTag->setChecked(APlansatz.LetzterTag.isValid());
    dteLetzterTag->setDate(APlansatz.LetzterTag.isValid() ? APlansatz.LetzterTag : jetzt.date());
    chkEigenerBildschirm->setChecked(APlansatz.EigenerBildschirm);
    FEigenerBildschirmGewaehlt = false;
    for (QWidget* feld : felder) {
        feld->blockSignals(false);
    }
    SeiteGewechselt();
    UpdateNaechste();
}

// A once-only run has its time in its own field: the separate time is not offered there.
void TfraPlanen::SeiteGewechselt() {
    FForm->setRowVisible(tmeUhrzeit,
                         CSeiten[qBound(0, pgcPlanArt->currentIndex(), 3)] != TPlanArt::Einmalig);
}

void TfraPlanen::EigenerBildschirm_Vorschlagen(bool AEigener) {
    if (!FEigenerBildschirmGewaehlt) {
        chkEigenerBildschirm->setChecked(AEigener);
    }
}

bool TfraPlanen::NieAusgefuehrt() const {
    TPlanSatz satz;
    Clear_Plansatz(satz);
    Maske2PlanSatz(satz);
    return Plansatz_Geplant(satz) && !NaechsteAusfuehrung(satz, vko_Now()).isValid();
}

void TfraPlanen::Maske2PlanSatz(TPlanSatz& APlansatz) const {
    APlansatz.Aktiv = chkAktiv->isChecked();
    APlansatz.Art = CSeiten[qBound(0, pgcPlanArt->currentIndex(), 3)];
    APlansatz.AlleNTage = spnAlleNTage->value();
    APlansatz.NurWerktage = rbNurWerktage->isChecked();
    APlansatz.Wochentage = 0;
    for (int i = 0; i < 7; ++i) {
        if (chkWochentag[i]->isChecked()) {
            APlansatz.Wochentage |= 1 << i;
        }
    }
    APlansatz.MonatsTag = spnMonatsTag->value();
    APlansatz.MonatsRegel = rbLetzterTag->isChecked()        ? TPlanMonatsRegel::LetzterTag
                            : rbErsterWochentag->isChecked() ? TPlanMonatsRegel::ErsterWochentag
                                                             : TPlanMonatsRegel::Tag;
    APlansatz.MonatsWochentag = cmbMonatsWochentag->currentIndex() + 1;
    APlansatz.Uhrzeit = tmeUhrzeit->time();
    APlansatz.Einmalig = dteEinmalig->dateTime();
    APlansatz.ErsterTag = chkErsterTag->isChecked() ? dteErsterTag->date() : QDate();
    APlansatz.LetzterTag = chkLetzterTag->isChecked() ? dteLetzterTag->date() : QDate();
    // Every n days counts from a first day; without one it counts from the day shown there.
    if (APlansatz.Art == TPlanArt::Taeglich && !APlansatz.NurWerktage && APlansatz.AlleNTage > 1 &&
        !APlansatz.ErsterTag.isValid()) {
        APlansatz.ErsterTag = dteErsterTag->date();
    }
    APlansatz.EigenerBildschirm = chkEigenerBildschirm->isChecked();
}

void TfraPlanen::SetHinweis(const QString& AText) {
    lblHinweis->setText(AText);
    lblHinweis->setVisible(!AText.isEmpty());
}

void TfraPlanen::SetArbeitsplatz(const QString& AText) {
    lblArbeitsplatz->setText(AText);
    lblArbeitsplatz->setVisible(!AText.isEmpty());
}

QString TfraPlanen::NaechsteText(const TPlanSatz& APlansatz, const QDateTime& AAb) {
    const QDateTime naechste = NaechsteAusfuehrung(APlansatz, AAb);
    if (!naechste.isValid()) {
        return QStringLiteral("Nächste Ausführung: keine");
    }
    return QStringLiteral("Nächste Ausführung: ") +
           QString::fromLatin1(CTageKurz[naechste.date().dayOfWeek() - 1]) + QLatin1Char(' ') +
           naechste.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

void TfraPlanen::UpdateNaechste() {
    TPlanSatz satz;
    Maske2PlanSatz(satz);
    lblNaechste->setText(NaechsteText(satz, vko_Now()));
}
