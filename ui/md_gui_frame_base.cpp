#include "md_gui_frame_base.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "vko_info.h"

TZEP_MD_Frame::TZEP_MD_Frame(TZEP_MD_GUI_Controller& AController, QWidget* AOwner) try
    : QWidget(AOwner), FController(AController) {
    resize(320, 240);
} catch (...) {
    RethrowRegistered("TZEP_MD_Frame.Create");
}

void TZEP_MD_Frame::Toggle_RO_RW(bool ARO) try {
    for (QWidget* control : findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(control) != nullptr ||
            qobject_cast<QComboBox*>(control) != nullptr ||
            qobject_cast<QAbstractButton*>(control) != nullptr) {
            control->setEnabled(!ARO);
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Frame.Toggle_RO_RW");
}
