#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

#include "vko_info.h"
#include "zep_ga_player.h"

// A temporary folder that serves as HOME, so that settings, data and log are the test's own.
class TTempHome {
public:
    TTempHome();
    ~TTempHome();
    TTempHome(const TTempHome&) = delete;
    TTempHome& operator=(const TTempHome&) = delete;

    QString Path() const { return FDir.path(); }
    QString SettingsFolder() const;
    QString DataFolder() const;
    // Writes a file into the settings folder.
    void WriteSetting(const QString& AFileName, const QByteArray& AContent) const;
    QString ReadLog() const;

private:
    QTemporaryDir FDir;
    QByteArray FOldHome;
    std::vector<std::pair<const char*, QByteArray>> FOldXdg;
};

// Fixes vko_Now for the lifetime of the object.
class TFixedClock {
public:
    explicit TFixedClock(const QDateTime& ANow);
    TFixedClock(int AYear, int AMonth, int ADay);
    ~TFixedClock();
    void Set(const QDateTime& ANow) { *FNow = ANow; }

private:
    std::shared_ptr<QDateTime> FNow;
    std::function<QDateTime()> FPrevious;
};

// Answers messages from a script and records every message and error it was shown.
class TScriptedPresenter : public IVKO_MeldungPresenter {
public:
    struct TShared {
        QList<int> Answers;  // taken from the front; OK or No when empty
        QList<TVKO_Meldung> Meldungen;
        QList<TVKO_FehlerInfo> Fehler;
    };

    explicit TScriptedPresenter(std::shared_ptr<TShared> AShared) : FShared(std::move(AShared)) {}
    int Present(const TVKO_Meldung& AMeldung) override;
    void PresentError(const TVKO_FehlerInfo& AFehler) override;

private:
    std::shared_ptr<TShared> FShared;
};

// Installs a scripted presenter for its lifetime and restores the previous one afterwards.
class TScriptedPresenterScope {
public:
    TScriptedPresenterScope();
    ~TScriptedPresenterScope();
    TScriptedPresenter::TShared& operator*() { return *FShared; }
    TScriptedPresenter::TShared* operator->() { return FShared.get(); }

private:
    std::shared_ptr<TScriptedPresenter::TShared> FShared;
    std::unique_ptr<IVKO_MeldungPresenter> FPrevious;
};

// Records every sequence it is asked to play; can be told to fail instead.
class TRecordingPlayer : public TZEP_GA_Player {
public:
    struct TShared {
        std::vector<TZEP_GA_Sequence> Played;
        QString FailWith;    // when set, PlaySequence raises an error with this text
        int FailAtStep = 0;  // and when set, names this step of the sequence as the failing one
        TZEP_GA_Bildschirm FailScreen;  // what the screen showed at the failure
    };

    explicit TRecordingPlayer(std::shared_ptr<TShared> AShared) : FShared(std::move(AShared)) {}
    void PlaySequence(const TZEP_GA_Sequence& ASequence) override;
    TZEP_GA_Bildschirm TakeFehlerBildschirm() override;

private:
    std::shared_ptr<TShared> FShared;
    bool FFailed = false;
};

// A file of tests/data.
QByteArray ReadTestData(const QString& AName);
