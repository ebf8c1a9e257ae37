#include "zep_mandanten_combobox.h"

#include "vko_info.h"

TZEP_MandantenCombobox::TZEP_MandantenCombobox(const QList<TZEP_MD_Mandant>& AMandanten,
                                               QWidget* AParent)
    : QComboBox(AParent) {
    setObjectName(QStringLiteral("cmbMandant"));
    for (const TZEP_MD_Mandant& mandant : AMandanten) {
        addItem(mandant.Nummer + QStringLiteral(" – ") + mandant.Name, mandant.Nummer);
    }
    setCurrentIndex(-1);
}

void TZEP_MandantenCombobox::ItemIndex_Text_Set(const QString& AValue) try {
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toString().compare(AValue, Qt::CaseInsensitive) == 0) {
            setCurrentIndex(i);
            return;
        }
    }
    if (AValue.isEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    addItem(AValue + QStringLiteral(" (nicht in der Liste)"), AValue);
    setCurrentIndex(count() - 1);
} catch (...) {
    RethrowRegistered("TZEP_MandantenCombobox.ItemIndex_Text_Set");
}

QString TZEP_MandantenCombobox::ItemIndex_Text_Get() const try {
    return currentIndex() < 0 ? QString() : currentData().toString();
} catch (...) {
    RethrowRegistered("TZEP_MandantenCombobox.ItemIndex_Text_Get");
}
