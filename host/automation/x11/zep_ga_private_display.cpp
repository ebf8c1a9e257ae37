#include "zep_ga_private_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "vko_info.h"
#include "zep_x11_connect.h"

extern char** environ;

namespace {

constexpr int CStartTimeoutMs = 10000;
constexpr int CEndGraceMs = 2000;
constexpr int CPollMs = 5;
// The descriptor on which the server writes its display number.
constexpr int CDisplayFd = 3;

// Both ends of a pipe, closed on every path.
class TPipe {
public:
    TPipe() {
        if (pipe2(FEnds.data(), O_CLOEXEC) != 0) {
            throw EVKO_Error(QStringLiteral("Für den eigenen Bildschirm fehlt eine Verbindung: %1.")
                                 .arg(QString::fromLocal8Bit(strerror(errno))));
        }
    }
    ~TPipe() {
        CloseRead();
        CloseWrite();
    }
    TPipe(const TPipe&) = delete;
    TPipe& operator=(const TPipe&) = delete;

    int Read() const { return FEnds[0]; }
    int Write() const { return FEnds[1]; }
    void CloseRead() { Close(FEnds[0]); }
    void CloseWrite() { Close(FEnds[1]); }

private:
    static void Close(int& AFd) {
        if (AFd >= 0) {
            ::close(AFd);
            AFd = -1;
        }
    }
    std::array<int, 2> FEnds{-1, -1};
};

// The display number the server writes once it accepts connections; -1 when it ends first or
// stays silent.
int ReadDisplayNumber(int AFd) {
    QByteArray text;
    QElapsedTimer timer;
    timer.start();
    while (!text.contains('\n')) {
        const qint64 remaining = CStartTimeoutMs - timer.elapsed();
        if (remaining <= 0) {
            return -1;
        }
        pollfd wait{AFd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(remaining));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return -1;
        }
        char buffer[32];
        const ssize_t count = ::read(AFd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return -1;
        }
        text.append(buffer, count);
    }
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok && number >= 0 ? number : -1;
}

}  // namespace

QByteArrayList TZEP_GA_PrivateDisplay::ServerUmgebung() {
    // The server's screen memory on huge pages: each first touch of a page costs a fault.
    const QByteArray huge = "glibc.malloc.hugetlb=1";
    QByteArrayList umgebung;
    QByteArray tunables = "GLIBC_TUNABLES=" + huge;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const QByteArray text(*entry);
        if (text.startsWith("GLIBC_TUNABLES=")) {
            tunables = text.endsWith('=') ? text + huge : text + ':' + huge;
        } else {
            umgebung.append(text);
        }
    }
    umgebung.append(tunables);
    return umgebung;
}

TZEP_GA_PrivateDisplay::TZEP_GA_PrivateDisplay(QSize AGroesse) {
    FGroesse = AGroesse.isEmpty()
                   ? QSize(1280, 1024)
                   : QSize(qMin(AGroesse.width(), CMaxBreite), qMin(AGroesse.height(), CMaxHoehe));
    // Everything the child needs is made before the fork: after it only plain system calls.
    const QByteArray screen =
        QByteArray::number(FGroesse.width()) + 'x' + QByteArray::number(FGroesse.height()) + "x24";
    CookieSchreiben();
    const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (server.isEmpty()) {
        throw EVKO_Error(QStringLiteral(
            "Der eigene Bildschirm lässt sich nicht starten: Xvfb ist nicht installiert "
            "(Paket xvfb)."));
    }
    std::vector<QByteArray> words{
        QFile::encodeName(server), "-displayfd", QByteArray::number(CDisplayFd), "-screen", "0",
        screen, "-nolisten", "tcp", "-nolock", "-auth", QFile::encodeName(AuthDatei()),
        // Loading the software GL driver took most of the start.
        "-extension", "GLX",
        // Else the server rebuilds itself when its last client
        // goes, and its end waits for that.
        "-noreset"};
    std::vector<char*> argv;
    for (QByteArray& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    QByteArrayList umgebung = ServerUmgebung();
    std::vector<char*> envp;
    for (QByteArray& entry : umgebung) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    TPipe pipe;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw EVKO_Error(QStringLiteral("Der eigene Bildschirm (Xvfb) ließ sich nicht starten: %1.")
                             .arg(QString::fromLocal8Bit(strerror(errno))));
    }
    if (pid == 0) {
        // Dies with the thread that started it, even when that one is killed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        const int nothing = ::open("/dev/null", O_RDWR);
        if (pipe.Write() == CDisplayFd) {
            ::fcntl(CDisplayFd, F_SETFD, 0);
        } else {
            ::dup2(pipe.Write(), CDisplayFd);
        }
        if (nothing >= 0) {
            ::dup2(nothing, STDIN_FILENO);
            ::dup2(nothing, STDOUT_FILENO);
            ::dup2(nothing, STDERR_FILENO);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(argv.front(), argv.data(), envp.data());
        ::_exit(127);
    }
    FPid = pid;
    pipe.CloseWrite();
    const int number = ReadDisplayNumber(pipe.Read());
    if (number < 0) {
        End();
        throw EVKO_Error(QStringLiteral("Der eigene Bildschirm (Xvfb) ist nicht bereit geworden."));
    }
    FName = ':' + QByteArray::number(number);
    ZEP_X11_SetCookie(FName, FCookie);
}

// One entry for any address and display number, so that it is written before the server
// says its number: the family "wild" (0xFFFF) with an empty address and number.
void TZEP_GA_PrivateDisplay::CookieSchreiben() {
    FCookie.resize(16);
    QRandomGenerator::system()->generate(FCookie.begin(), FCookie.end());
    const auto feld = [](const QByteArray& AText) {
        return QByteArray(1, static_cast<char>(AText.size() >> 8)) +
               static_cast<char>(AText.size() & 0xFF) + AText;
    };
    const QByteArray eintrag = QByteArray("\xFF\xFF", 2) + feld({}) + feld({}) +
                               feld("MIT-MAGIC-COOKIE-1") + feld(FCookie);
    QFile datei(AuthDatei());
    if (!FAuthOrdner.isValid() || !datei.open(QIODevice::WriteOnly) ||
        !datei.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        datei.write(eintrag) != eintrag.size() || !datei.flush()) {
        throw EVKO_Error(
            QStringLiteral("Der eigene Bildschirm lässt sich nicht schützen: %1 ist nicht "
                           "beschreibbar.")
                .arg(AuthDatei()));
    }
}

TZEP_GA_PrivateDisplay::~TZEP_GA_PrivateDisplay() {
    End();
}

QByteArrayList TZEP_GA_PrivateDisplay::Umgebung() const {
    QByteArrayList umgebung;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const QByteArray text(*entry);
        const QByteArray name = text.left(text.indexOf('='));
        if (name != "DISPLAY" && name != "XAUTHORITY" && name != "WAYLAND_DISPLAY" &&
            name != "QT_QPA_PLATFORM" && name != "GDK_BACKEND") {
            umgebung.append(text);
        }
    }
    umgebung << "DISPLAY=" + FName << "XAUTHORITY=" + QFile::encodeName(AuthDatei())
             << "QT_QPA_PLATFORM=xcb"
             << "GDK_BACKEND=x11";
    return umgebung;
}

void TZEP_GA_PrivateDisplay::End() noexcept {
    if (FPid <= 0) {
        return;
    }
    if (!FName.isEmpty()) {
        ZEP_X11_SetCookie(FName, {});
    }
    const auto reaped = [this](int AMs) {
        QElapsedTimer timer;
        timer.start();
        while (true) {
            int status = 0;
            const pid_t result = ::waitpid(static_cast<pid_t>(FPid), &status, WNOHANG);
            if (result == static_cast<pid_t>(FPid) || (result < 0 && errno != EINTR)) {
                return true;
            }
            if (timer.elapsed() >= AMs) {
                return false;
            }
            QThread::msleep(CPollMs);
        }
    };
    ::kill(static_cast<pid_t>(FPid), SIGTERM);
    if (!reaped(CEndGraceMs)) {
        ::kill(static_cast<pid_t>(FPid), SIGKILL);
        reaped(CEndGraceMs);
    }
    FPid = 0;
}
