#pragma once

#include <QString>

// What a run shows while it plays; the controller reaches the window only through this, so
// that the store needs no widgets.
class IZEP_MD_ProgressWindow {
public:
    virtual ~IZEP_MD_ProgressWindow() = default;
    // Program first, report second.
    virtual void Show(const QString& AProgramm, const QString& AName) = 0;
    virtual void Hide() = 0;
};
