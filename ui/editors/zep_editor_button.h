#pragma once

#include <QString>

class QToolButton;
class QWidget;

// The small button beside an editor's field: named for assistive tools, reached by Tab (Space
// presses it), while a click leaves the keyboard focus where it is.
QToolButton* ZEP_EditorButton(QWidget* AParent, const QString& AObjectName, const QString& AText,
                              const QString& AName);
