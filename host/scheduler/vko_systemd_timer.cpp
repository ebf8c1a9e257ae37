#include "vko_systemd_timer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "vko_clock.h"
#include "vko_info.h"
#include "vko_oncalendar.h"
#include "vko_planmani.h"
#include "vko_program_file.h"

namespace {

constexpr int CSystemctlTimeoutMs = 30000;
const QLatin1String CPraefix("quandrix-plan-");

// One word of an ExecStart= line: quoted, with the characters systemd expands escaped.
QString UnitWort(const QString& AWort) {
    QString text = AWort;
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""))
        .replace(QLatin1Char('%'), QStringLiteral("%%"))
        .replace(QLatin1Char('$'), QStringLiteral("$$"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A text written into a unit file as one line.
QString EineZeile(const QString& AText) {
    QString text = AText;
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
}

// A description: one line, no specifiers.
QString Beschreibung(const QString& AText) {
    return EineZeile(AText).replace(QLatin1Char('%'), QStringLiteral("%%"));
}

bool SchreibeWennAnders(const QString& APfad, const QString& AText) {
    const QByteArray inhalt = AText.toUtf8();
    QFile alt(APfad);
    if (alt.open(QIODevice::ReadOnly) && alt.readAll() == inhalt) {
        return false;
    }
    QSaveFile datei(APfad);
    if (!datei.open(QIODevice::WriteOnly) || datei.write(inhalt) != inhalt.size() ||
        !datei.commit()) {
        throw EVKO_Error(
            QStringLiteral("Die Datei %1 konnte nicht geschrieben werden.").arg(APfad));
    }
    return true;
}

}  // namespace

TVKO_SystemdTimer::TVKO_SystemdTimer(QString AUnitOrdner, QString AProgramm)
    : FUnitOrdner(std::move(AUnitOrdner)), FProgramm(std::move(AProgramm)) {
    if (FUnitOrdner.isEmpty()) {
        FUnitOrdner = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/systemd/user");
    }
    if (FProgramm.isEmpty()) {
        // The program that plans runs them: an installed one from where it is installed.
        FProgramm = VKO_ProgramFile();
    }
}

QString TVKO_SystemdTimer::UnitName(const TIntTrio& APlanId) {
    return CPraefix + QString::number(APlanId.I1);
}

QString TVKO_SystemdTimer::TimerText(const TPlanSatz& APlansatz, const QDateTime& AAb) const {
    QString text = QStringLiteral("[Unit]\nDescription=Quandrix %1\n\n[Timer]\n")
                       .arg(Beschreibung(APlansatz.JobText));
    for (const QString& kalender : VKO_OnCalendar(APlansatz, AAb)) {
        text += QStringLiteral("OnCalendar=") + kalender + QLatin1Char('\n');
    }
    // A run missed while the machine was off runs at the next start.
    text +=
        QStringLiteral("Persistent=true\nUnit=%1.service\n\n[Install]\nWantedBy=timers.target\n")
            .arg(UnitName(APlansatz.PlanId));
    return text;
}

QString TVKO_SystemdTimer::ServiceText(const TPlanSatz& APlansatz,
                                       const TZEP_PfadKommandoArgumenteRec& AKommando,
                                       const QProcessEnvironment& ADisplay) const {
    QString text = QStringLiteral("[Unit]\nDescription=Quandrix %1\n\n[Service]\nType=oneshot\n")
                       .arg(Beschreibung(APlansatz.JobText));
    QStringList worte;
    if (APlansatz.EigenerBildschirm) {
        // A private display that lives only for this run: no locked screen, logged-out user or
        // person at the desktop meets it.
        worte << QStringLiteral("/usr/bin/xvfb-run") << QStringLiteral("-a") << QStringLiteral("-s")
              << QStringLiteral("-screen 0 1280x1024x24");
    } else {
        for (const char* name : {"DISPLAY", "XAUTHORITY"}) {
            const QString wert = ADisplay.value(QString::fromLatin1(name));
            if (!wert.isEmpty()) {
                text += QStringLiteral("Environment=") +
                        UnitWort(QString::fromLatin1(name) + QLatin1Char('=') + wert) +
                        QLatin1Char('\n');
            }
        }
    }
    worte << FProgramm << QProcess::splitCommand(AKommando.Argumente);
    QStringList zitiert;
    for (const QString& wort : worte) {
        zitiert.append(UnitWort(EineZeile(wort)));
    }
    text += QStringLiteral("ExecStart=") + zitiert.join(QLatin1Char(' ')) + QLatin1Char('\n');
    return text;
}

bool TVKO_SystemdTimer::Systemctl(const QStringList& AArgumente, QString* AAusgabe) const {
    QProcess prozess;
    prozess.setProcessChannelMode(QProcess::SeparateChannels);
    prozess.start(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + AArgumente);
    if (!prozess.waitForStarted(CSystemctlTimeoutMs) ||
        !prozess.waitForFinished(CSystemctlTimeoutMs)) {
        prozess.kill();
        prozess.waitForFinished();
        return false;
    }
    if (AAusgabe != nullptr) {
        *AAusgabe = QString::fromUtf8(prozess.readAllStandardOutput());
    }
    return prozess.exitStatus() == QProcess::NormalExit && prozess.exitCode() == 0;
}

TVKO_SyncErgebnis TVKO_SystemdTimer::Synchronisieren(TPlanManiDM& APlanMani) try {
    struct TGeplant {
        TPlanSatz Satz;
        TZEP_PfadKommandoArgumenteRec Kommando;
    };
    QMap<QString, TGeplant> geplant;
    // A record that cannot be read keeps its units as they are; the others go on.
    QStringList unlesbar;
    const QDateTime jetzt = vko_Now();
    for (const TIntTrio& id : APlanMani.PlanIds()) {
        TPlanSatz satz;
        TZEP_PfadKommandoArgumenteList kommandos;
        try {
            if (APlanMani.PlanLaden(id, satz, kommandos) && !kommandos.isEmpty() &&
                !VKO_OnCalendar(satz, jetzt).isEmpty()) {
                geplant.insert(UnitName(id), TGeplant{satz, kommandos.first()});
            }
        } catch (const EVKO_Error& AFehler) {
            unlesbar.append(UnitName(id));
            VKOInfo().WriteTextWithStamp(AFehler.Text());
        }
    }
    QString umgebung;
    if (!Systemctl({QStringLiteral("show-environment")}, &umgebung)) {
        return geplant.isEmpty() ? TVKO_SyncErgebnis::Abgeglichen
                                 : TVKO_SyncErgebnis::NichtErreichbar;
    }
    // The display comes from the service manager where the desktop session put it there,
    // otherwise from the session that synchronises.
    QProcessEnvironment display;
    if (!(QLatin1Char('\n') + umgebung).contains(QLatin1String("\nDISPLAY="))) {
        const QProcessEnvironment eigene = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "XAUTHORITY"}) {
            if (eigene.contains(QString::fromLatin1(name))) {
                display.insert(QString::fromLatin1(name), eigene.value(QString::fromLatin1(name)));
            }
        }
    }
    QMap<QString, std::pair<QString, QString>> soll;
    for (auto it = geplant.cbegin(); it != geplant.cend(); ++it) {
        soll.insert(it.key(),
                    {TimerText(it->Satz, jetzt), ServiceText(it->Satz, it->Kommando, display)});
    }
    QDir ordner(FUnitOrdner);
    QStringList weg;
    for (const QString& datei :
         ordner.entryList({CPraefix + QStringLiteral("*.timer")}, QDir::Files)) {
        const QString name = datei.chopped(6);
        if (!soll.contains(name) && !unlesbar.contains(name)) {
            weg.append(name);
        }
    }
    for (const QString& name : weg) {
        Systemctl(
            {QStringLiteral("disable"), QStringLiteral("--now"), name + QStringLiteral(".timer")});
        ordner.remove(name + QStringLiteral(".timer"));
        ordner.remove(name + QStringLiteral(".service"));
    }
    if (!soll.isEmpty() && !QDir().mkpath(FUnitOrdner)) {
        throw EVKO_Error(
            QStringLiteral("Der Ordner %1 konnte nicht angelegt werden.").arg(FUnitOrdner));
    }
    QStringList geaendert;
    for (auto it = soll.cbegin(); it != soll.cend(); ++it) {
        const bool timer = SchreibeWennAnders(ordner.filePath(it.key() + QStringLiteral(".timer")),
                                              it.value().first);
        const bool service = SchreibeWennAnders(
            ordner.filePath(it.key() + QStringLiteral(".service")), it.value().second);
        if (timer || service) {
            geaendert.append(it.key());
        }
    }
    Systemctl({QStringLiteral("daemon-reload")});
    for (auto it = soll.cbegin(); it != soll.cend(); ++it) {
        Systemctl({QStringLiteral("enable"), QStringLiteral("--now"),
                   it.key() + QStringLiteral(".timer")});
    }
    // A running timer keeps its old elapse until it is restarted.
    for (const QString& name : geaendert) {
        Systemctl({QStringLiteral("restart"), name + QStringLiteral(".timer")});
    }
    return TVKO_SyncErgebnis::Abgeglichen;
} catch (...) {
    RethrowRegistered("TVKO_SystemdTimer.Synchronisieren");
}

TVKO_SyncErgebnis TVKO_SystemdTimer::Erneuern(TPlanManiDM& APlanMani, const QString& AJobText) try {
    const QDateTime jetzt = vko_Now();
    const QDir ordner(FUnitOrdner);
    QStringList geaendert;
    for (const TIntTrio& id : APlanMani.PlanIds_ByJobText(AJobText)) {
        const QString pfad = ordner.filePath(UnitName(id) + QStringLiteral(".timer"));
        TPlanSatz satz;
        TZEP_PfadKommandoArgumenteList kommandos;
        // A plan without units, or one that ended, waits for the next synchronisation.
        if (QFileInfo::exists(pfad) && APlanMani.PlanLaden(id, satz, kommandos) &&
            !VKO_OnCalendar(satz, jetzt).isEmpty() &&
            SchreibeWennAnders(pfad, TimerText(satz, jetzt))) {
            geaendert.append(UnitName(id));
        }
    }
    if (geaendert.isEmpty()) {
        return TVKO_SyncErgebnis::Abgeglichen;
    }
    if (!Systemctl({QStringLiteral("show-environment")})) {
        return TVKO_SyncErgebnis::NichtErreichbar;
    }
    Systemctl({QStringLiteral("daemon-reload")});
    for (const QString& name : geaendert) {
        Systemctl({QStringLiteral("restart"), name + QStringLiteral(".timer")});
    }
    return TVKO_SyncErgebnis::Abgeglichen;
} catch (...) {
    RethrowRegistered("TVKO_SystemdTimer.Erneuern");
}

TVKO_SyncErgebnis PostMessage_ReloadJobs(TPlanManiDM& APlanMani, const TIntTrio&) try {
    TVKO_SyncErgebnis ergebnis = TVKO_SyncErgebnis::NichtErreichbar;
    try {
        ergebnis = TVKO_SystemdTimer().Synchronisieren(APlanMani);
    } catch (...) {
        // The plan record is saved; the next synchronisation activates it. The log names why
        // this one failed.
        VKOInfo().WriteTextWithStamp(VKOInfo().FehlerInfo(std::current_exception()).Text);
    }
    if (ergebnis == TVKO_SyncErgebnis::NichtErreichbar) {
        VKOInfo().WriteTextWithStamp(VKOInfo().MeldungText(MD_Koord(1016)));
    }
    return ergebnis;
} catch (...) {
    RethrowRegistered("PostMessage_ReloadJobs");
}
