#pragma once

#include <QByteArray>

struct _XDisplay;

// Opens a connection to the X display; null when it cannot be reached. An X server may refuse
// a connection opened right after another one closed, so it tries a few times.
_XDisplay* ZEP_X11_Connect(const QByteArray& ADisplayName);
