#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <exception>
#include <memory>

#include "vko_error.h"

// The module's own catalogue entries live under this program key.
TInfoKoord MD_Koord(int ANummer);

extern const TInfoKoord CVKO_Info_Fehler_Standard_IllegalerParameter;

// Button sets and answers of ShowMeldung and ShowDlgMeldung.
inline constexpr int CVKO_Buttons_OK = 0;
inline constexpr int CVKO_Buttons_JaNein = 4;
inline constexpr int CVKO_Antwort_OK = 1;
inline constexpr int CVKO_Antwort_Ja = 6;
inline constexpr int CVKO_Antwort_Nein = 7;

// A message as the presenter receives it.
struct TVKO_Meldung {
    TInfoKoord Koord;
    QString Text;
    int Buttons = CVKO_Buttons_OK;
    bool Dialog = false;  // ShowDlgMeldung rather than ShowMeldung
};

// An error as it is shown: its text and the qualified names it passed, innermost first.
struct TVKO_FehlerInfo {
    QString Text;
    QStringList Chain;
    QString ToDisplayText() const;
};

// Shows messages and errors: message boxes in a window, the log in an unattended run,
// scripted answers in tests.
class IVKO_MeldungPresenter {
public:
    virtual ~IVKO_MeldungPresenter() = default;
    virtual int Present(const TVKO_Meldung& AMeldung) = 0;
    virtual void PresentError(const TVKO_FehlerInfo& AFehler) = 0;
};

// Never waits for a person: answers OK, or No to a question, and reports to standard error.
class TVKO_LogPresenter : public IVKO_MeldungPresenter {
public:
    int Present(const TVKO_Meldung& AMeldung) override;
    void PresentError(const TVKO_FehlerInfo& AFehler) override;
};

// The suite's message and error service.
class TVKOInfo {
public:
    TVKOInfo();
    ~TVKOInfo();

    // The error guard: records AException under AName; with ARaise the caller rethrows it.
    void RegisterException(const char* AName, const std::exception_ptr& AException, bool ARaise);
    // With a catalogue entry: raises it as an error. With a null entry: raises the error that
    // a guard with the flag False recorded meanwhile, if there is one.
    void FehlerRaise(const char* AName, const TInfoKoord& AKoord, const QStringList& AArgs = {});
    // Ends a destructor check: forgets the error recorded with the flag False.
    void FehlerTerminate();
    void ResetErrorSpezNoWrite();
    TVKO_FehlerInfo FehlerInfo(const std::exception_ptr& AException) const;

    int ShowMeldung(int AButtons, const TInfoKoord& AKoord, const QStringList& AArgs = {});
    int ShowDlgMeldung(int AButtons, const TInfoKoord& AKoord, const QStringList& AArgs = {});
    void ShowFehler(const TVKO_FehlerInfo& AFehler);
    QString MeldungText(const TInfoKoord& AKoord, const QStringList& AArgs = {}) const;

    void WriteTextWithStamp(const QString& AText);
    QString LogFilePath() const;

    QString VKOInfoTerminalID() const;
    QString VKOInfoPlanerID() const;

    // Installs a presenter and hands back the one it replaces.
    std::unique_ptr<IVKO_MeldungPresenter> SetPresenter(
        std::unique_ptr<IVKO_MeldungPresenter> APresenter);

    // Texts that must never reach the log, an error text or a message: masked token values.
    void AddSecret(const QString& ASecret);
    void ClearSecrets();
    QString Redact(const QString& AText) const;

private:
    struct TRecord {
        std::exception_ptr Exception;
        TVKO_FehlerInfo Info;
    };
    TRecord& Record(const char* AName, const std::exception_ptr& AException);
    int Show(int AButtons, const TInfoKoord& AKoord, const QStringList& AArgs, bool ADialog);

    TRecord FCurrent;
    std::exception_ptr FPending;
    std::unique_ptr<IVKO_MeldungPresenter> FPresenter;
    QStringList FSecrets;
};

TVKOInfo& VKOInfo();

// Fills %1 ... %99 of ATemplate from AArgs in one pass, so that an argument's own text is never
// read as a placeholder. A placeholder without an argument stays as it is.
QString VKO_FillArgs(const QString& ATemplate, const QStringList& AArgs);

// The one-line handler of every guarded operation: records, then rethrows the current exception.
[[noreturn]] void RethrowRegistered(const char* AQualifiedName);

// Runs a release under a guard with the flag False, so that the releases after it still run.
template <typename TFn>
void ReleaseGuarded(const char* AQualifiedName, TFn&& ARelease) noexcept {
    try {
        ARelease();
    } catch (...) {
        VKOInfo().RegisterException(AQualifiedName, std::current_exception(), false);
    }
}
