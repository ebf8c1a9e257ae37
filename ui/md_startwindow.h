#pragma once

#include <QWidget>

// The window of an interactive start until the docked main window takes its place.
class TZEP_MD_StartWindow : public QWidget {
    Q_OBJECT

public:
    explicit TZEP_MD_StartWindow(QWidget* AParent = nullptr);
};
