#pragma once

#include <QByteArray>

struct _XDisplay;

// Opens a connection to the X display; null when it cannot be reached or refuses us. An X
// server may refuse a connection opened right after another one closed, so it tries a few times.
_XDisplay* ZEP_X11_Connect(const QByteArray& ADisplayName);

// The cookie a display of this process asks its clients for: connections to ADisplayName made
// here present it. An empty cookie forgets the display.
void ZEP_X11_SetCookie(const QByteArray& ADisplayName, const QByteArray& ACookie);
