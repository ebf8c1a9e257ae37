#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QSize>
#include <QTemporaryDir>
#include <QtGlobal>

// A virtual X display (Xvfb) that lives only for one run. The server is a child started
// directly, without a shell; it dies with the thread that started it, also when the process
// is killed, and is ended with the object. Only clients that know its cookie are let in: this
// process's connections and the programs started with its environment.
class TZEP_GA_PrivateDisplay {
public:
    // The largest screen a private display gets; a larger one of the user's is cut to it.
    static constexpr int CMaxBreite = 1920;
    static constexpr int CMaxHoehe = 1200;

    // Starts the server with the size of AGroesse (at most the largest above; an empty size
    // gives 1280x1024); raises EVKO_Error when it does not come up.
    explicit TZEP_GA_PrivateDisplay(QSize AGroesse);
    ~TZEP_GA_PrivateDisplay();
    TZEP_GA_PrivateDisplay(const TZEP_GA_PrivateDisplay&) = delete;
    TZEP_GA_PrivateDisplay& operator=(const TZEP_GA_PrivateDisplay&) = delete;

    // ":<number>", for XOpenDisplay and DISPLAY.
    const QByteArray& Name() const { return FName; }
    qint64 Pid() const { return FPid; }
    QSize Groesse() const { return FGroesse; }
    // The file of the cookie, as XAUTHORITY names it.
    QString AuthDatei() const { return FAuthOrdner.filePath(QStringLiteral("Xauthority")); }
    // The environment of a program that is to run only on this display: the process's own,
    // without WAYLAND_DISPLAY, with this DISPLAY and its cookie, and the X11 back ends of Qt and
    // GTK.
    QByteArrayList Umgebung() const;
    // The environment the server starts in: the process's own, its allocator asked to put large
    // blocks on huge pages.
    static QByteArrayList ServerUmgebung();

private:
    void CookieSchreiben();
    void End() noexcept;

    qint64 FPid = 0;
    QByteArray FName;
    QSize FGroesse;
    // Readable by the user alone.
    QTemporaryDir FAuthOrdner;
    QByteArray FCookie;
};
