#pragma once

#include <QComboBox>

#include "zep_wertevorrat_registry.h"

class QStandardItemModel;

// Several clients ticked in a drop-down list; the value lists their numbers, separated by ";".
class TZEP_MandantenCheckCombo : public QComboBox {
    Q_OBJECT

public:
    TZEP_MandantenCheckCombo(const QList<TZEP_MD_Mandant>& AMandanten, QWidget* AParent = nullptr);

    // Numbers that are not in the list stay ticked as entries of their own.
    void SelectedText_Set(const QString& AValue);
    QString SelectedText_Get() const;
    void Toggle(int ARow);

protected:
    void paintEvent(QPaintEvent* AEvent) override;
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
    void AddEntry(const QString& ANummer, const QString& AText);

    QStandardItemModel* FModel;
};
