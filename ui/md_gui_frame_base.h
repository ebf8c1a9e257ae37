#pragma once

#include <QString>
#include <QUuid>
#include <QWidget>

class TZEP_MD_GUI_Controller;

// The base of the docked views. The main window docks, captions, initialises and switches
// every view through it without knowing the view's class.
class TZEP_MD_Frame : public QWidget {
    Q_OBJECT

public:
    // The view does not own the controller.
    TZEP_MD_Frame(TZEP_MD_GUI_Controller& AController, QWidget* AOwner = nullptr);

    // Loads the view's first content.
    virtual void Initialize() = 0;
    // Disables the view's edit fields, combo boxes and buttons at any depth when ARO is true,
    // enables them otherwise; other controls keep their state.
    virtual void Toggle_RO_RW(bool ARO);
    // Writes what the view shows into the selected Mandorel, so that a run, a preview or an
    // export uses the edit as it is shown. Views that write every change at once need nothing.
    virtual void Anzeige_2_Report() {}

    // The class operations View_Caption and Docking_Key of the view, for a caller that does
    // not know its class.
    virtual QString Frame_Caption() const = 0;
    virtual QUuid Frame_DockingKey() const = 0;

protected:
    TZEP_MD_GUI_Controller& Controller() const { return FController; }

private:
    TZEP_MD_GUI_Controller& FController;
};

// Gives a view the frame's caption and docking key from its class operations.
template <typename TView>
class TZEP_MD_FrameOf : public TZEP_MD_Frame {
public:
    using TZEP_MD_Frame::TZEP_MD_Frame;
    QString Frame_Caption() const override { return TView::View_Caption(); }
    QUuid Frame_DockingKey() const override { return TView::Docking_Key(); }
};
