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

QString ZEP_Bildschirm_Fehlt() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return {};
    }
    const QByteArray displayName = qgetenv("DISPLAY");
    if (displayName.isEmpty()) {
        return QStringLiteral(
            "Es ist kein Bildschirm verfügbar (die Umgebungsvariable DISPLAY "
            "ist leer).");
    }
    Display* display = ZEP_X11_Connect(displayName);
    if (display == nullptr) {
        return QStringLiteral(
                   "Es ist kein Bildschirm verfügbar: der X-Bildschirm „%1“ (DISPLAY) "
                   "ist nicht erreichbar.")
            .arg(QString::fromLocal8Bit(displayName));
    }
    XCloseDisplay(display);
    return {};
}
