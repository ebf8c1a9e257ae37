#include "zep_ga_target_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <vector>

#include "vko_info.h"

extern char** environ;

namespace {

constexpr int CPollMs = 20;

// posix_spawn's attributes, released on every path.
class TSpawnAttributes {
public:
    TSpawnAttributes() {
        posix_spawnattr_init(&FAttributes);
        posix_spawn_file_actions_init(&FActions);
    }
    ~TSpawnAttributes() {
        posix_spawn_file_actions_destroy(&FActions);
        posix_spawnattr_destroy(&FAttributes);
    }
    TSpawnAttributes(const TSpawnAttributes&) = delete;
    TSpawnAttributes& operator=(const TSpawnAttributes&) = delete;

    posix_spawnattr_t FAttributes;
    posix_spawn_file_actions_t FActions;
};

}  // namespace

bool ZEP_GA_RunsExecutable(qint64 APid, const QString& AExecutable) {
    if (APid <= 0 || AExecutable.isEmpty()) {
        return false;
    }
    struct stat running {};
    struct stat wanted {};
    const QByteArray link = QByteArray("/proc/") + QByteArray::number(APid) + "/exe";
    return ::stat(link.constData(), &running) == 0 &&
           ::stat(QFile::encodeName(AExecutable).constData(), &wanted) == 0 &&
           running.st_dev == wanted.st_dev && running.st_ino == wanted.st_ino;
}

std::unique_ptr<TZEP_GA_TargetProcess> TZEP_GA_TargetProcess::Start(
    const QStringList& AArguments, const QByteArrayList& AUmgebung) {
    if (AArguments.isEmpty() || AArguments.first().isEmpty()) {
        throw EVKO_Error(
            QStringLiteral("Es ist kein Programm angegeben, das gestartet werden soll."));
    }
    std::vector<QByteArray> encoded;
    encoded.reserve(static_cast<size_t>(AArguments.size()));
    for (const QString& argument : AArguments) {
        encoded.push_back(argument.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& argument : encoded) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    TSpawnAttributes spawn;
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&spawn.FAttributes, &none);
    posix_spawnattr_setsigdefault(&spawn.FAttributes, &all);
    posix_spawnattr_setpgroup(&spawn.FAttributes, 0);
    posix_spawnattr_setflags(
        &spawn.FAttributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addopen(&spawn.FActions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    QByteArrayList umgebung = AUmgebung;
    std::vector<char*> envp;
    for (QByteArray& entry : umgebung) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int result = posix_spawnp(&pid, argv.front(), &spawn.FActions, &spawn.FAttributes,
                                    argv.data(), AUmgebung.isEmpty() ? environ : envp.data());
    if (result != 0) {
        throw EVKO_Error(QStringLiteral("„%1“ ließ sich nicht starten: %2.")
                             .arg(AArguments.first(), QString::fromLocal8Bit(strerror(result))));
    }
    return std::unique_ptr<TZEP_GA_TargetProcess>(new TZEP_GA_TargetProcess(pid));
}

TZEP_GA_TargetProcess::~TZEP_GA_TargetProcess() {
    Reap();
}

bool TZEP_GA_TargetProcess::IsRunning() {
    Reap();
    // The group lives on as long as one member does; the reaped leader is no longer one.
    return !FReaped || kill(static_cast<pid_t>(-FPid), 0) == 0;
}

bool TZEP_GA_TargetProcess::Owns(qint64 APid) const {
    if (APid <= 0) {
        return false;
    }
    return APid == FPid || getpgid(static_cast<pid_t>(APid)) == static_cast<pid_t>(FPid);
}

void TZEP_GA_TargetProcess::End(int AGraceMs) {
    const auto waitForEnd = [this](int AMs) {
        QElapsedTimer timer;
        timer.start();
        while (IsRunning()) {
            if (timer.elapsed() >= AMs) {
                return false;
            }
            QThread::msleep(CPollMs);
        }
        return true;
    };
    if (!IsRunning()) {
        return;
    }
    kill(static_cast<pid_t>(-FPid), SIGTERM);
    if (waitForEnd(AGraceMs)) {
        return;
    }
    kill(static_cast<pid_t>(-FPid), SIGKILL);
    waitForEnd(AGraceMs);
}

void TZEP_GA_TargetProcess::Reap() {
    if (FReaped) {
        return;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(static_cast<pid_t>(FPid), &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == static_cast<pid_t>(FPid)) {
        FReaped = true;
        FEndDescription = WIFSIGNALED(status)
                              ? QStringLiteral("beendet durch Signal %1").arg(WTERMSIG(status))
                              : QStringLiteral("Exit-Code %1").arg(WEXITSTATUS(status));
    } else if (result < 0) {
        // Someone else reaped it; it is gone all the same.
        FReaped = true;
        FEndDescription = QStringLiteral("beendet");
    }
}
