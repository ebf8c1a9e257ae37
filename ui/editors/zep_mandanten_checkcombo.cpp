#include "zep_mandanten_checkcombo.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "md_run_guarded.h"
#include "vko_info.h"

TZEP_MandantenCheckCombo::TZEP_MandantenCheckCombo(const QList<TZEP_MD_Mandant>& AMandanten,
                                                   QWidget* AParent)
    : QComboBox(AParent), FModel(new QStandardItemModel(this)) {
    setObjectName(QStringLiteral("cmbMandanten"));
    setModel(FModel);
    for (const TZEP_MD_Mandant& mandant : AMandanten) {
        AddEntry(mandant.Nummer, mandant.Nummer + QStringLiteral(" – ") + mandant.Name);
    }
    // A tick keeps the list open, so that several clients can be ticked in one go.
    view()->viewport()->installEventFilter(this);
}

void TZEP_MandantenCheckCombo::AddEntry(const QString& ANummer, const QString& AText) {
    auto* item = new QStandardItem(AText);
    item->setData(ANummer, Qt::UserRole);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    FModel->appendRow(item);
}

void TZEP_MandantenCheckCombo::SelectedText_Set(const QString& AValue) try {
    for (int i = 0; i < FModel->rowCount(); ++i) {
        FModel->item(i)->setCheckState(Qt::Unchecked);
    }
    for (const QString& teil : AValue.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString nummer = teil.trimmed();
        bool gefunden = false;
        for (int i = 0; i < FModel->rowCount() && !gefunden; ++i) {
            QStandardItem* item = FModel->item(i);
            if (item->data(Qt::UserRole).toString().compare(nummer, Qt::CaseInsensitive) == 0) {
                item->setCheckState(Qt::Checked);
                gefunden = true;
            }
        }
        if (!gefunden && !nummer.isEmpty()) {
            AddEntry(nummer, nummer + QStringLiteral(" (nicht in der Liste)"));
            FModel->item(FModel->rowCount() - 1)->setCheckState(Qt::Checked);
        }
    }
    update();
} catch (...) {
    RethrowRegistered("TZEP_MandantenCheckCombo.SelectedText_Set");
}

QString TZEP_MandantenCheckCombo::SelectedText_Get() const try {
    QStringList nummern;
    for (int i = 0; i < FModel->rowCount(); ++i) {
        if (FModel->item(i)->checkState() == Qt::Checked) {
            nummern.append(FModel->item(i)->data(Qt::UserRole).toString());
        }
    }
    return nummern.join(QLatin1Char(';'));
} catch (...) {
    RethrowRegistered("TZEP_MandantenCheckCombo.SelectedText_Get");
}

void TZEP_MandantenCheckCombo::Toggle(int ARow) {
    QStandardItem* item = FModel->item(ARow);
    if (item != nullptr) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        update();
    }
}

void TZEP_MandantenCheckCombo::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = SelectedText_Get();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

bool TZEP_MandantenCheckCombo::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched == view()->viewport() && AEvent->type() == QEvent::MouseButtonRelease) {
        const QModelIndex index =
            view()->indexAt(static_cast<QMouseEvent*>(AEvent)->position().toPoint());
        RunGuarded("TZEP_MandantenCheckCombo.Toggle", [&] { Toggle(index.row()); });
        return true;
    }
    return QComboBox::eventFilter(AWatched, AEvent);
}
