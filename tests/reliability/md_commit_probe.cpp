// Commits versioned Mandorele one after another, as an open window does, and reports each on
// standard output: "B <name key> <version>" before the commit and "C <name key> <version>"
// once it returned, after "bereit" when the Mandorele are loaded. Tests kill it at random
// moments, run it beside scheduled runs, or fill its disk.
//
//   md_commit_probe <first version> <commits, 0 = until killed> [options]
//     --fenster          through the controller, as the window commits (default: the store)
//     --neu, --aendern   only new Mandorele, only edits (default: every fourth is new)
//     --voll=<bytes>     the disk is full that many bytes beyond the largest database file
//     --auffuellen=<n>   pads every description with n characters
//     --planen           with --fenster, every new Mandorel is booked with a daily plan
#include <sys/resource.h>
#include <QApplication>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <memory>
#include <random>

#include "md_gui_controller.h"
#include "md_processor.h"
#include "md_test_support.h"
#include "md_versioned_mandorel.h"
#include "vko_database.h"
#include "vko_info.h"
#include "vko_programm.h"

namespace {

const QString CProgramm = QStringLiteral("PLON");

struct TOptionen {
    qint32 ErsteVersion = 1;
    qint64 Anzahl = 0;
    bool Fenster = false;
    bool NurNeu = false;
    bool NurAendern = false;
    qint64 Voll = -1;
    qsizetype Auffuellen = 0;
    bool Planen = false;
};

TOptionen Lesen(const QStringList& AArgumente) {
    TOptionen optionen;
    optionen.ErsteVersion = AArgumente.value(1).toInt();
    optionen.Anzahl = AArgumente.value(2).toLongLong();
    for (const QString& argument : AArgumente.mid(3)) {
        const QString wert = argument.section(QLatin1Char('='), 1);
        if (argument == QLatin1String("--fenster")) {
            optionen.Fenster = true;
        } else if (argument == QLatin1String("--planen")) {
            optionen.Planen = true;
        } else if (argument == QLatin1String("--neu")) {
            optionen.NurNeu = true;
        } else if (argument == QLatin1String("--aendern")) {
            optionen.NurAendern = true;
        } else if (argument.startsWith(QLatin1String("--voll="))) {
            optionen.Voll = wert.toLongLong();
        } else if (argument.startsWith(QLatin1String("--auffuellen="))) {
            optionen.Auffuellen = wert.toLongLong();
        }
    }
    return optionen;
}

void Melden(char AArt, const QString& ANameKey, qint32 AVersion) {
    std::printf("%c %s %d\n", AArt, ANameKey.toUtf8().constData(), AVersion);
    std::fflush(stdout);
}

// A full disk: writes beyond the limit fail with EFBIG instead of ending the process.
void DiskFuellen(qint64 AFrei) {
    qint64 groesste = 0;
    for (const char* suffix : {"", "-wal"}) {
        groesste =
            qMax(groesste, QFileInfo(TVKO_Database::DefaultPath() + QLatin1String(suffix)).size());
    }
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(groesste + AFrei);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// One way to commit: through the store itself, or through the controller as the window does.
class TBuchung {
public:
    virtual ~TBuchung() = default;
    virtual QStringList Laden() = 0;
    virtual void Aendern(const QString& ANameKey, qint32 AVersion, qsizetype AAuffuellen) = 0;
    virtual QString Neu(qint32 AVersion, qsizetype AAuffuellen) = 0;
};

std::unique_ptr<TZEP_GA_Player> Player() {
    return std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>());
}

class TStoreBuchung : public TBuchung {
public:
    QStringList Laden() override {
        FStore.Load_Reports();
        QStringList keys;
        FStore.Enum_Mandorele(
            [&keys](TZEP_MD_Mandorel& AMandorel) { keys.append(AMandorel.Name_Key()); });
        return keys;
    }

    void Aendern(const QString& ANameKey, qint32 AVersion, qsizetype AAuffuellen) override {
        TZEP_MD_Mandorel* kopie = FStore.Modify_Mandorel_Start(ANameKey, CProgramm);
        if (kopie == nullptr) {
            throw EVKO_Error(QStringLiteral("%1 ist nicht geladen.").arg(ANameKey));
        }
        MD_SetVersion(*kopie, AVersion, AAuffuellen);
        if (!FStore.Modify_Mandorel_Commit()) {
            throw EVKO_Error(QStringLiteral("%1 ließ sich nicht übernehmen.").arg(ANameKey));
        }
        FStore.Save_Reports();
    }

    QString Neu(qint32 AVersion, qsizetype AAuffuellen) override {
        auto mandorel =
            TZEP_MD_Mandorel::CreateNew(QStringLiteral("Neu %1").arg(AVersion), CProgramm);
        MD_SetVersion(*mandorel, AVersion, AAuffuellen);
        const QString key = mandorel->Name_Key();
        if (!FStore.Add_Mandorel(mandorel, nullptr)) {
            throw EVKO_Error(QStringLiteral("%1 gibt es schon.").arg(key));
        }
        FStore.Save_Reports();
        return key;
    }

private:
    TZEP_MD_Processor FStore{Player()};
};

class TFensterBuchung : public TBuchung {
public:
    explicit TFensterBuchung(bool APlanen) : FPlanen(APlanen) {}

    QStringList Laden() override {
        QStringList keys;
        FController.Enum_Mandorele(
            [&keys](TZEP_MD_Mandorel& AMandorel) { keys.append(AMandorel.Name_Key()); });
        return keys;
    }

    void Aendern(const QString& ANameKey, qint32 AVersion, qsizetype AAuffuellen) override {
        FController.Select_Mandorel(ANameKey, CProgramm);
        FController.EditSelectedReport_Start();
        Buchen(AVersion, AAuffuellen);
    }

    QString Neu(qint32 AVersion, qsizetype AAuffuellen) override {
        FController.CreateNewReport_Start();
        FController.SelectedReport_SetName(QStringLiteral("Neu %1").arg(AVersion));
        FController.SelectedReport_SetProgramm(CProgramm);
        if (FPlanen) {
            TPlanSatz satz;
            satz.Aktiv = true;
            satz.Art = TPlanArt::Taeglich;
            (void)FController.Save_Plan(satz);
        }
        return Buchen(AVersion, AAuffuellen);
    }

private:
    QString Buchen(qint32 AVersion, qsizetype AAuffuellen) {
        TZEP_MD_Mandorel* mandorel = FController.Selected_Mandorel();
        if (mandorel == nullptr) {
            throw EVKO_Error(QStringLiteral("Es ist kein Mandorel gewählt."));
        }
        MD_SetVersion(*mandorel, AVersion, AAuffuellen);
        FController.ReportChanges_Commit();
        // The commit reloads and selects the stored Mandorel again: it must be the new version.
        mandorel = FController.Selected_Mandorel();
        std::unique_ptr<TZEP_MD_Mandorel> ohnePlan;
        if (FPlanen && mandorel != nullptr && mandorel->PlanIds().size() == 2) {
            // The booked plan's id joins the version's own.
            ohnePlan = TZEP_MD_Mandorel::Clone(*mandorel);
            ohnePlan->PlanIds().removeLast();
            mandorel = ohnePlan.get();
        }
        if (mandorel == nullptr || MD_VersionOf(*mandorel) != AVersion) {
            throw EVKO_Error(
                QStringLiteral("Nach dem Buchen ist Version %1 nicht gewählt.").arg(AVersion));
        }
        return mandorel->Name_Key();
    }

    TZEP_MD_GUI_Controller_Impl FController{Player(), {}};
    bool FPlanen = false;
};

int Buchen(const TOptionen& AOptionen) {
    std::unique_ptr<TBuchung> buchung;
    if (AOptionen.Fenster) {
        buchung = std::make_unique<TFensterBuchung>(AOptionen.Planen);
    } else {
        buchung = std::make_unique<TStoreBuchung>();
    }
    QStringList keys = buchung->Laden();
    if (AOptionen.Voll >= 0) {
        DiskFuellen(AOptionen.Voll);
    }
    std::mt19937 zufall(static_cast<std::mt19937::result_type>(AOptionen.ErsteVersion));
    std::printf("bereit\n");
    std::fflush(stdout);
    for (qint64 i = 0; AOptionen.Anzahl == 0 || i < AOptionen.Anzahl; ++i) {
        const qint32 version = AOptionen.ErsteVersion + static_cast<qint32>(i);
        const bool neu =
            AOptionen.NurNeu || keys.isEmpty() || (!AOptionen.NurAendern && i % 4 == 3);
        if (neu) {
            const QString key = QStringLiteral("NEU_%1").arg(version);
            Melden('B', key, version);
            keys.append(buchung->Neu(version, AOptionen.Auffuellen));
            Melden('C', key, version);
        } else {
            const QString key =
                keys.at(std::uniform_int_distribution<qsizetype>(0, keys.size() - 1)(zufall));
            Melden('B', key, version);
            buchung->Aendern(key, version, AOptionen.Auffuellen);
            Melden('C', key, version);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList argumente;
    for (int i = 0; i < argc; ++i) {
        argumente.append(QString::fromLocal8Bit(argv[i]));
    }
    const TOptionen optionen = Lesen(argumente);
    std::unique_ptr<QCoreApplication> application;
    if (optionen.Fenster) {
        application = std::make_unique<QApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        return Buchen(optionen);
    } catch (...) {
        VKOProgramm().ShowException(std::current_exception(), false);
        return 1;
    }
}
