#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// While a test run plays beside the user, the main window's own controls rest (a second run,
// an edit or a delete would meet the store in the middle of the run); windows of its own, the
// progress window among them, stay usable. AAktiv is true for as long as the lock lives.
class TZEP_MD_RunSperre {
public:
    TZEP_MD_RunSperre(QWidget& AFenster, bool& AAktiv);
    ~TZEP_MD_RunSperre();
    TZEP_MD_RunSperre(const TZEP_MD_RunSperre&) = delete;
    TZEP_MD_RunSperre& operator=(const TZEP_MD_RunSperre&) = delete;

private:
    bool& FAktiv;
    QList<QPointer<QWidget>> FGesperrt;
};
