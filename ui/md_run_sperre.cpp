#include "md_run_sperre.h"

TZEP_MD_RunSperre::TZEP_MD_RunSperre(QWidget& AFenster, bool& AAktiv) : FAktiv(AAktiv) {
    FAktiv = true;
    for (QWidget* kind : AFenster.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!kind->isWindow() && kind->isEnabled()) {
            kind->setEnabled(false);
            FGesperrt.append(kind);
        }
    }
}

TZEP_MD_RunSperre::~TZEP_MD_RunSperre() {
    for (const QPointer<QWidget>& kind : FGesperrt) {
        if (!kind.isNull()) {
            kind->setEnabled(true);
        }
    }
    FAktiv = false;
}
