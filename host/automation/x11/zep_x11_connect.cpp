#include "zep_x11_connect.h"

#include <QHash>
#include <QThread>
#include <mutex>

// After Qt's headers: Xlib defines macros that clash with them.
#include <X11/Xlib.h>

namespace {

constexpr int CConnectAttempts = 5;
constexpr int CConnectRetryMs = 50;

// Xlib's authorisation is one for the whole process: connections are opened one at a time.
std::mutex GConnecting;
QHash<QByteArray, QByteArray> GCookies;

}  // namespace

void ZEP_X11_SetCookie(const QByteArray& ADisplayName, const QByteArray& ACookie) {
    const std::lock_guard lock(GConnecting);
    if (ACookie.isEmpty()) {
        GCookies.remove(ADisplayName);
    } else {
        GCookies.insert(ADisplayName, ACookie);
    }
}

_XDisplay* ZEP_X11_Connect(const QByteArray& ADisplayName) {
    const std::lock_guard lock(GConnecting);
    QByteArray cookie = GCookies.value(ADisplayName);
    char name[] = "MIT-MAGIC-COOKIE-1";
    if (!cookie.isEmpty()) {
        XSetAuthorization(name, static_cast<int>(sizeof name - 1), cookie.data(),
                          static_cast<int>(cookie.size()));
    }
    Display* display = nullptr;
    for (int attempt = 0; attempt < CConnectAttempts && display == nullptr; ++attempt) {
        if (attempt > 0) {
            QThread::msleep(CConnectRetryMs);
        }
        display = XOpenDisplay(ADisplayName.constData());
    }
    if (!cookie.isEmpty()) {
        XSetAuthorization(nullptr, 0, nullptr, 0);
    }
    return display;
}
