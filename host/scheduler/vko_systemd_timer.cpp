#include "vko_systemd_timer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "vko_clock.h"
#include "vko_info.h"
#include "vko_oncalendar.h"
#include "vko_planmani.h"
#include "vko_program_file.h"
#include "vko_unit_ordner.h"

namespace {

constexpr int CSystemctlTimeoutMs = 30000;
const QLatin1String CPraefix("quandrix-plan-");

// A text as far as its first control character: a line break or NUL would end the line of a
// unit file and let the rest become a line of its own.
QString BisSteuerzeichen(const QString& AText) {
    for (qsizetype i = 0; i < AText.size(); ++i) {
        const char16_t zeichen = AText[i].unicode();
        if (zeichen < 0x20 || zeichen == 0x7f) {
            return AText.left(i);
        }
    }
    return AText;
}

// One word of an ExecStart= or Environment= line: quoted, with the characters systemd expands
// escaped.
QString UnitWort(const QString& AWort) {
    QString text = BisSteuerzeichen(AWort);
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""))
        .replace(QLatin1Char('%'), QStringLiteral("%%"))
        .replace(QLatin1Char('$'), QStringLiteral("$$"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A description: one line, no specifiers.
QString Beschreibung(const QString& AText) {
    return BisSteuerzeichen(AText).replace(QLatin1Char('%'), QStringLiteral("%%"));
}

// A program code is one word of the program directory; nothing else becomes an argument.
bool IstProgrammCode(const QString& AProgramm) {
    static const QRegularExpression CWort(QStringLiteral("^[A-Za-z0-9_]{1,32}$"));
    return CWort.match(AProgramm).hasMatch();
}

void Protokoll(const QString& AText) {
    VKOInfo().WriteTextWithStamp(AText);
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

QString TVKO_SystemdTimer::ServiceText(const TPlanSatz& APlansatz, const QString& AProgramm,
                                       const QString& ANameKey,
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
    // Each argument a word of its own: no text is ever split into arguments.
    worte << FProgramm << QStringLiteral("-RUN") << QStringLiteral("-PROG:") + AProgramm
          << QStringLiteral("-REPORT:") + ANameKey;
    QStringList zitiert;
    for (const QString& wort : worte) {
        zitiert.append(UnitWort(wort));
    }
    text += QStringLiteral("ExecStart=") + zitiert.join(QLatin1Char(' ')) + QLatin1Char('\n');
    return text;
}

QString TVKO_SystemdTimer::Marke(const TPlanManiDM& APlanMani) {
    return QStringLiteral("# Quandrix-Plan der Datenbank ") + BisSteuerzeichen(APlanMani.Path());
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
    // Held from reading the plan store to the last systemctl call: another window's
    // synchronisation never reads the store before this one's units are in place, nor
    // removes them as strays.
    TVKO_UnitOrdner ordner(FUnitOrdner, Marke(APlanMani));
    struct TGeplant {
        TPlanSatz Satz;
        QString Programm;
        QString NameKey;
    };
    QMap<QString, TGeplant> geplant;
    // A record that cannot be read keeps its units as they are; the others go on.
    QStringList unlesbar;
    const QDateTime jetzt = vko_Now();
    for (const TIntTrio& id : APlanMani.PlanIds()) {
        TPlanSatz satz;
        TZEP_PfadKommandoArgumenteList kommandos;
        try {
            // Another workstation's plan runs there; a unit of it here goes as a stray.
            if (!APlanMani.PlanLaden(id, satz, kommandos) || !APlanMani.Eigener(satz) ||
                VKO_OnCalendar(satz, jetzt).isEmpty()) {
                continue;
            }
            TGeplant plan{satz, {}, {}};
            if (!APlanMani.Mandorel_ZumPlan(satz, plan.Programm, plan.NameKey)) {
                Protokoll(QStringLiteral("Der Plan %1 mit dem Auftrag „%2“ gehört zu keinem "
                                         "gespeicherten Mandorel; für ihn wird keine Unit "
                                         "geschrieben.")
                              .arg(UnitName(id), BisSteuerzeichen(satz.JobText)));
            } else if (!IstProgrammCode(plan.Programm)) {
                Protokoll(QStringLiteral("Der Plan %1 nennt das Programm „%2“, das kein "
                                         "Programmkürzel ist; für ihn wird keine Unit "
                                         "geschrieben.")
                              .arg(UnitName(id), BisSteuerzeichen(plan.Programm)));
            } else {
                geplant.insert(UnitName(id), plan);
            }
        } catch (const EVKO_Error& AFehler) {
            unlesbar.append(UnitName(id));
            Protokoll(AFehler.Text());
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
    const QString timer = QStringLiteral(".timer");
    const QString service = QStringLiteral(".service");
    // A unit of an earlier build is taken over for a plan, but never removed.
    const auto fremd = [&ordner](const QString& ADatei) {
        return ordner.Zustand(ADatei) == TVKO_UnitOrdner::TZustand::Fremd;
    };
    const auto nichtEigen = [&ordner](const QString& ADatei) {
        const TVKO_UnitOrdner::TZustand zustand = ordner.Zustand(ADatei);
        return zustand == TVKO_UnitOrdner::TZustand::Fremd ||
               zustand == TVKO_UnitOrdner::TZustand::Frueher;
    };
    QMap<QString, std::pair<QString, QString>> soll;
    for (auto it = geplant.cbegin(); it != geplant.cend(); ++it) {
        if (fremd(it.key() + timer) || fremd(it.key() + service)) {
            Protokoll(QStringLiteral("Die Unit %1 im Ordner %2 stammt nicht von dieser "
                                     "Installation und bleibt unverändert; der Plan wird nicht "
                                     "eingerichtet.")
                          .arg(it.key(), FUnitOrdner));
            continue;
        }
        soll.insert(it.key(), {TimerText(it->Satz, jetzt),
                               ServiceText(it->Satz, it->Programm, it->NameKey, display)});
    }
    // Units no plan keeps: of this installation they go; a plan blocked by a foreign unit
    // loses its own half too, since its timer would start the foreign service.
    QStringList weg;
    for (const QString& endung : {timer, service}) {
        for (const QString& datei : ordner.Namen(CPraefix, endung)) {
            const QString name = datei.chopped(endung.size());
            if (!weg.contains(name) && !soll.contains(name) && !unlesbar.contains(name)) {
                weg.append(name);
            }
        }
    }
    for (const QString& name : weg) {
        if (!geplant.contains(name) && (nichtEigen(name + timer) || nichtEigen(name + service))) {
            Protokoll(QStringLiteral("Die Unit %1 im Ordner %2 stammt nicht von dieser "
                                     "Installation und bleibt unverändert.")
                          .arg(name, FUnitOrdner));
        }
        if (ordner.Zustand(name + timer) == TVKO_UnitOrdner::TZustand::Eigen) {
            Systemctl({QStringLiteral("disable"), QStringLiteral("--now"), name + timer});
        }
        ordner.Entfernen(name + timer);
        ordner.Entfernen(name + service);
    }
    QStringList geaendert;
    for (auto it = soll.cbegin(); it != soll.cend(); ++it) {
        const bool timerNeu = ordner.Schreiben(it.key() + timer, it.value().first);
        const bool serviceNeu = ordner.Schreiben(it.key() + service, it.value().second);
        if (timerNeu || serviceNeu) {
            geaendert.append(it.key());
        }
    }
    Systemctl({QStringLiteral("daemon-reload")});
    for (auto it = soll.cbegin(); it != soll.cend(); ++it) {
        Systemctl({QStringLiteral("enable"), QStringLiteral("--now"), it.key() + timer});
    }
    // A running timer keeps its old elapse until it is restarted.
    for (const QString& name : geaendert) {
        Systemctl({QStringLiteral("restart"), name + timer});
    }
    return TVKO_SyncErgebnis::Abgeglichen;
} catch (...) {
    RethrowRegistered("TVKO_SystemdTimer.Synchronisieren");
}

TVKO_SyncErgebnis TVKO_SystemdTimer::Erneuern(TPlanManiDM& APlanMani, const QString& AJobText) try {
    // No folder, no timer to renew: a run does not create it.
    if (!QFileInfo(FUnitOrdner).isDir()) {
        return TVKO_SyncErgebnis::Abgeglichen;
    }
    TVKO_UnitOrdner ordner(FUnitOrdner, Marke(APlanMani));
    const QDateTime jetzt = vko_Now();
    QStringList geaendert;
    for (const TIntTrio& id : APlanMani.PlanIds_ByJobText(AJobText)) {
        const QString datei = UnitName(id) + QStringLiteral(".timer");
        TPlanSatz satz;
        TZEP_PfadKommandoArgumenteList kommandos;
        const TVKO_UnitOrdner::TZustand zustand = ordner.Zustand(datei);
        if (zustand == TVKO_UnitOrdner::TZustand::Fremd) {
            Protokoll(QStringLiteral("Die Unit %1 im Ordner %2 stammt nicht von dieser "
                                     "Installation und bleibt unverändert.")
                          .arg(UnitName(id), FUnitOrdner));
        }
        // A plan without units of its own, or one that ended, waits for the next
        // synchronisation.
        if (zustand == TVKO_UnitOrdner::TZustand::Eigen &&
            APlanMani.PlanLaden(id, satz, kommandos) && APlanMani.Eigener(satz) &&
            !VKO_OnCalendar(satz, jetzt).isEmpty() &&
            ordner.Schreiben(datei, TimerText(satz, jetzt))) {
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
