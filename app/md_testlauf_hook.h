#pragma once

#include <QString>

class TZEP_MD_GUI_Controller;
class TZEP_MD_Main;

// A test hook for sessions that X11 input cannot reach (a Wayland desktop): QUANDRIX_TESTLAUF
// names a stored Mandorel as "<program>/<name>"; once the window is up, it is selected and
// "Testlauf" is pressed as a user presses it, and the window then closes. Empty: no hook.
QString MD_TestlaufHook();
void MD_RunTestlaufHook(const QString& AHook, TZEP_MD_Main& AWindow,
                        TZEP_MD_GUI_Controller& AController);
