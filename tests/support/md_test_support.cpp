#include "md_test_support.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <stdexcept>

#include "vko_clock.h"
#include "vko_folder.h"

namespace {

constexpr const char* CXdgVariables[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                         "XDG_STATE_HOME"};

void WriteFile(const QString& APath, const QByteArray& AContent) {
    QFile file(APath);
    // Owner-only, as the program wants its settings, whatever umask the tests run under.
    if (!file.open(QIODevice::WriteOnly) || file.write(AContent) != AContent.size() ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        throw std::runtime_error("cannot write " + APath.toStdString());
    }
}

}  // namespace

TTempHome::TTempHome() : FOldHome(qgetenv("HOME")) {
    if (!FDir.isValid()) {
        throw std::runtime_error("no temporary folder");
    }
    for (const char* name : CXdgVariables) {
        FOldXdg.emplace_back(name, qgetenv(name));
        qunsetenv(name);
    }
    qputenv("HOME", FDir.path().toLocal8Bit());
}

TTempHome::~TTempHome() {
    qputenv("HOME", FOldHome);
    for (const auto& [name, value] : FOldXdg) {
        if (!value.isEmpty()) {
            qputenv(name, value);
        }
    }
}

QString TTempHome::SettingsFolder() const {
    return VKO_FolderPath(TVKOFolder::Einstellungen);
}

QString TTempHome::DataFolder() const {
    return VKO_FolderPath(TVKOFolder::Daten);
}

void TTempHome::WriteSetting(const QString& AFileName, const QByteArray& AContent) const {
    WriteFile(SettingsFolder() + QLatin1Char('/') + AFileName, AContent);
}

QString TTempHome::ReadLog() const {
    QFile log(VKOInfo().LogFilePath());
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

TFixedClock::TFixedClock(const QDateTime& ANow)
    : FNow(std::make_shared<QDateTime>(ANow)),
      FPrevious(VKO_SetClock([now = FNow] { return *now; })) {}

TFixedClock::TFixedClock(int AYear, int AMonth, int ADay)
    : TFixedClock(QDateTime(QDate(AYear, AMonth, ADay), QTime(10, 30))) {}

TFixedClock::~TFixedClock() {
    VKO_SetClock(std::move(FPrevious));
}

int TScriptedPresenter::Present(const TVKO_Meldung& AMeldung) {
    FShared->Meldungen.append(AMeldung);
    if (!FShared->Answers.isEmpty()) {
        return FShared->Answers.takeFirst();
    }
    return AMeldung.Buttons == CVKO_Buttons_JaNein ? CVKO_Antwort_Nein : CVKO_Antwort_OK;
}

void TScriptedPresenter::PresentError(const TVKO_FehlerInfo& AFehler) {
    FShared->Fehler.append(AFehler);
}

TScriptedPresenterScope::TScriptedPresenterScope()
    : FShared(std::make_shared<TScriptedPresenter::TShared>()),
      FPrevious(VKOInfo().SetPresenter(std::make_unique<TScriptedPresenter>(FShared))) {}

TScriptedPresenterScope::~TScriptedPresenterScope() {
    VKOInfo().SetPresenter(std::move(FPrevious));
}

TZEP_GA_Bildschirm TRecordingPlayer::TakeFehlerBildschirm() {
    return std::exchange(FFailed, false) ? FShared->FailScreen : TZEP_GA_Bildschirm{};
}

void TRecordingPlayer::PlaySequence(const TZEP_GA_Sequence& ASequence) {
    FFailed = !FShared->FailWith.isEmpty();
    if (FFailed) {
        if (FShared->FailAtStep > 0) {
            throw EZEP_GA_SchrittFehler(FShared->FailWith, FShared->FailAtStep);
        }
        throw EVKO_Error(FShared->FailWith);
    }
    FShared->Played.push_back(ASequence);
}

QByteArray ReadTestData(const QString& AName) {
    QFile file(QStringLiteral(MD_TEST_DATA_DIR "/") + AName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("missing test data " + AName.toStdString());
    }
    return file.readAll();
}
