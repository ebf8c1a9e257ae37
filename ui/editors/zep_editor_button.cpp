#include "zep_editor_button.h"

#include <QToolButton>

QToolButton* ZEP_EditorButton(QWidget* AParent, const QString& AObjectName, const QString& AText,
                              const QString& AName) {
    auto* button = new QToolButton(AParent);
    button->setObjectName(AObjectName);
    button->setText(AText);
    button->setToolTip(AName);
    button->setAccessibleName(AName);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}
