#include "vko_info.h"

#include <cstdio>

#include "vko_clock.h"
#include "vko_datenbank_einstellung.h"
#include "vko_folder.h"
#include "vko_logfile.h"
#include "vko_meldungskatalog.h"

namespace {

QString TextOf(const std::exception_ptr& AException) {
    try {
        std::rethrow_exception(AException);
    } catch (const EVKO_Error& error) {
        return error.Text();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler");
    }
}

void WriteStandardError(const QString& AText) {
    std::fprintf(stderr, "%s\n", AText.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

TInfoKoord MD_Koord(int ANummer) {
    return TInfoKoord::Construct(QStringLiteral("QUANDRIX"), ANummer);
}

const TInfoKoord CVKO_Info_Fehler_Standard_IllegalerParameter{QStringLiteral("VKO"), 1};

QString TVKO_FehlerInfo::ToDisplayText() const {
    if (Chain.isEmpty()) {
        return Text;
    }
    return Text + QStringLiteral("\n\nWeitergegeben über: ") + Chain.join(QStringLiteral(" → "));
}

int TVKO_LogPresenter::Present(const TVKO_Meldung& AMeldung) {
    const QString line =
        QStringLiteral("Meldung %1 %2: %3")
            .arg(AMeldung.Koord.Programm, QString::number(AMeldung.Koord.Nummer), AMeldung.Text);
    VKOInfo().WriteTextWithStamp(line);
    WriteStandardError(line);
    // Nobody can answer: a question is declined, so nothing is deleted or discarded.
    return AMeldung.Buttons == CVKO_Buttons_JaNein ? CVKO_Antwort_Nein : CVKO_Antwort_OK;
}

void TVKO_LogPresenter::PresentError(const TVKO_FehlerInfo& AFehler) {
    WriteStandardError(AFehler.ToDisplayText());
}

TVKOInfo::TVKOInfo() : FPresenter(std::make_unique<TVKO_LogPresenter>()) {}

TVKOInfo::~TVKOInfo() = default;

TVKOInfo::TRecord& TVKOInfo::Record(const char* AName, const std::exception_ptr& AException) {
    const QString name = QString::fromUtf8(AName);
    if (AException && FCurrent.Exception == AException) {
        if (FCurrent.Info.Chain.isEmpty() || FCurrent.Info.Chain.constLast() != name) {
            FCurrent.Info.Chain.append(name);
        }
    } else {
        FCurrent = TRecord{AException, TVKO_FehlerInfo{TextOf(AException), {name}}};
    }
    return FCurrent;
}

void TVKOInfo::RegisterException(const char* AName, const std::exception_ptr& AException,
                                 bool ARaise) {
    const TRecord& record = Record(AName, AException);
    if (!ARaise) {
        // The error goes no further, so it must at least leave a trace.
        FPending = AException;
        WriteTextWithStamp(QStringLiteral("Fehler: ") + Redact(record.Info.Text) +
                           QStringLiteral(" (") + record.Info.Chain.join(QStringLiteral(" → ")) +
                           QLatin1Char(')'));
    }
}

void TVKOInfo::FehlerRaise(const char* AName, const TInfoKoord& AKoord, const QStringList& AArgs) {
    if (AKoord.IsNull()) {
        if (const std::exception_ptr pending = std::exchange(FPending, nullptr)) {
            Record(AName, pending);
            std::rethrow_exception(pending);
        }
        return;
    }
    try {
        throw EVKO_Error(MeldungText(AKoord, AArgs), AKoord);
    } catch (...) {
        Record(AName, std::current_exception());
        throw;
    }
}

void TVKOInfo::FehlerTerminate() {
    FPending = nullptr;
}

void TVKOInfo::ResetErrorSpezNoWrite() {
    FCurrent = TRecord{};
    FPending = nullptr;
}

TVKO_FehlerInfo TVKOInfo::FehlerInfo(const std::exception_ptr& AException) const {
    TVKO_FehlerInfo info = AException && FCurrent.Exception == AException
                               ? FCurrent.Info
                               : TVKO_FehlerInfo{TextOf(AException), {}};
    info.Text = Redact(info.Text);
    return info;
}

QString TVKOInfo::MeldungText(const TInfoKoord& AKoord, const QStringList& AArgs) const {
    QString text = VKO_KatalogText(AKoord);
    if (text.isEmpty()) {
        text = QStringLiteral("Meldung %1 %2").arg(AKoord.Programm).arg(AKoord.Nummer);
        for (const QString& arg : AArgs) {
            text += QStringLiteral(" – ") + arg;
        }
        return text;
    }
    return VKO_FillArgs(text, AArgs);
}

QString VKO_FillArgs(const QString& ATemplate, const QStringList& AArgs) {
    QString filled;
    filled.reserve(ATemplate.size());
    const auto digitAt = [&ATemplate](qsizetype AIndex) {
        return AIndex < ATemplate.size() && ATemplate[AIndex].isDigit()
                   ? ATemplate[AIndex].digitValue()
                   : -1;
    };
    for (qsizetype i = 0; i < ATemplate.size(); ++i) {
        const int first = ATemplate[i] == QLatin1Char('%') ? digitAt(i + 1) : -1;
        if (first <= 0) {
            filled += ATemplate[i];
            continue;
        }
        const int second = digitAt(i + 2);
        const int number = second >= 0 ? first * 10 + second : first;
        const qsizetype length = second >= 0 ? 3 : 2;
        if (number > AArgs.size()) {
            filled += ATemplate.mid(i, length);
        } else {
            filled += AArgs[number - 1];
        }
        i += length - 1;
    }
    return filled;
}

int TVKOInfo::Show(int AButtons, const TInfoKoord& AKoord, const QStringList& AArgs, bool ADialog) {
    return FPresenter->Present(
        TVKO_Meldung{AKoord, Redact(MeldungText(AKoord, AArgs)), AButtons, ADialog});
}

int TVKOInfo::ShowMeldung(int AButtons, const TInfoKoord& AKoord, const QStringList& AArgs) {
    return Show(AButtons, AKoord, AArgs, false);
}

int TVKOInfo::ShowDlgMeldung(int AButtons, const TInfoKoord& AKoord, const QStringList& AArgs) {
    return Show(AButtons, AKoord, AArgs, true);
}

void TVKOInfo::ShowFehler(const TVKO_FehlerInfo& AFehler) {
    TVKO_FehlerInfo shown = AFehler;
    shown.Text = Redact(shown.Text);
    WriteTextWithStamp(QStringLiteral("Fehler: ") + shown.Text + QStringLiteral(" (") +
                       shown.Chain.join(QStringLiteral(" → ")) + QLatin1Char(')'));
    FPresenter->PresentError(shown);
}

QString TVKOInfo::LogFilePath() const {
    return VKO_FilePath(TVKOFolder::Daten, QStringLiteral("quandrix.log"));
}

void TVKOInfo::WriteTextWithStamp(const QString& AText) {
    const QString line = vko_Now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                         QLatin1Char(' ') + Redact(AText);
    try {
        VKO_AppendLogLine(LogFilePath(), line);
    } catch (const EVKO_Error& error) {
        WriteStandardError(error.Text());
        WriteStandardError(VKO_OneLine(line));
    }
}

QString TVKOInfo::VKOInfoTerminalID() const {
    return VKO_Arbeitsplatz();
}

QString TVKOInfo::VKOInfoPlanerID() const {
    return QStringLiteral("MANDOREL@") + VKOInfoTerminalID();
}

std::unique_ptr<IVKO_MeldungPresenter> TVKOInfo::SetPresenter(
    std::unique_ptr<IVKO_MeldungPresenter> APresenter) {
    if (!APresenter) {
        APresenter = std::make_unique<TVKO_LogPresenter>();
    }
    return std::exchange(FPresenter, std::move(APresenter));
}

void TVKOInfo::AddSecret(const QString& ASecret) {
    if (!ASecret.isEmpty() && !FSecrets.contains(ASecret)) {
        FSecrets.append(ASecret);
        // Longer secrets first, so that one secret inside another is masked whole.
        std::sort(FSecrets.begin(), FSecrets.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
    }
}

void TVKOInfo::ClearSecrets() {
    FSecrets.clear();
}

QString TVKOInfo::Redact(const QString& AText) const {
    QString text = AText;
    for (const QString& secret : FSecrets) {
        text.replace(secret, QStringLiteral("*****"));
    }
    return text;
}

TVKOInfo& VKOInfo() {
    static TVKOInfo info;
    return info;
}

void RethrowRegistered(const char* AQualifiedName) {
    VKOInfo().RegisterException(AQualifiedName, std::current_exception(), true);
    throw;
}
