#pragma once

#include <QComboBox>

#include "zep_wertevorrat_registry.h"

// One client of the registry's list; its value is the client's number.
class TZEP_MandantenCombobox : public QComboBox {
    Q_OBJECT

public:
    TZEP_MandantenCombobox(const QList<TZEP_MD_Mandant>& AMandanten, QWidget* AParent = nullptr);

    // A number that is not in the list is kept as an entry of its own, so it is not lost.
    void ItemIndex_Text_Set(const QString& AValue);
    QString ItemIndex_Text_Get() const;
};
