#include "zep_x11_connect.h"

#include <QThread>

// After Qt's headers: Xlib defines macros that clash with them.
#include <X11/Xlib.h>

namespace {

constexpr int CConnectAttempts = 5;
constexpr int CConnectRetryMs = 50;

}  // namespace

_XDisplay* ZEP_X11_Connect(const QByteArray& ADisplayName) {
    Display* display = nullptr;
    for (int attempt = 0; attempt < CConnectAttempts && display == nullptr; ++attempt) {
        if (attempt > 0) {
            QThread::msleep(CConnectRetryMs);
        }
        display = XOpenDisplay(ADisplayName.constData());
    }
    return display;
}
