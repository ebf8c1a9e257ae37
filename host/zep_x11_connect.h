#pragma once

#include <QByteArray>
#include <QString>

struct _XDisplay;

// Opens a connection to the X display; null when it cannot be reached. An X server may refuse
// a connection opened right after another one closed, so it tries a few times.
_XDisplay* ZEP_X11_Connect(const QByteArray& ADisplayName);

// Empty text when the windowing system the toolkit will use can be reached; otherwise why not,
// in German. Without this the toolkit would end the process without a word of its own.
QString ZEP_Bildschirm_Fehlt();
