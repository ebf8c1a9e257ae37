#include "md_postgres_cluster.h"

#include <libpq-fe.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <stdexcept>

namespace {

const QString CBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

QString DataFolder(const QString& AFolder) {
    return AFolder + QStringLiteral("/data");
}

}  // namespace

TPostgresCluster& TPostgresCluster::Instance() {
    static TPostgresCluster cluster;
    return cluster;
}

TPostgresCluster::TPostgresCluster() {
    QByteArray vorlage = QDir::tempPath().toUtf8() + "/md_pg_XXXXXX";
    if (::mkdtemp(vorlage.data()) == nullptr) {
        throw std::runtime_error("no temporary folder for the cluster");
    }
    FFolder = QString::fromUtf8(vorlage);
    ::chmod(vorlage.constData(), 0755);
    if (::geteuid() == 0) {
        const passwd* postgres = ::getpwnam("postgres");
        if (postgres == nullptr ||
            ::chown(vorlage.constData(), postgres->pw_uid, postgres->pw_gid) != 0) {
            throw std::runtime_error("the postgres user is missing");
        }
    }
    Run({CBin + QStringLiteral("initdb"), QStringLiteral("-D"), DataFolder(FFolder),
         QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"),
         QStringLiteral("postgres"), QStringLiteral("-E"), QStringLiteral("UTF8"),
         QStringLiteral("--locale=C"), QStringLiteral("--no-sync")});
    Start();
}

TPostgresCluster::~TPostgresCluster() {
    Run({CBin + QStringLiteral("pg_ctl"), QStringLiteral("-D"), DataFolder(FFolder),
         QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
         QStringLiteral("stop")});
    QDir(FFolder).removeRecursively();
}

void TPostgresCluster::Run(const QStringList& AArguments) const {
    QStringList arguments = AArguments;
    QString programm = arguments.takeFirst();
    if (::geteuid() == 0) {
        arguments = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                QStringLiteral("--"), programm} +
                    arguments;
        programm = QStringLiteral("runuser");
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(FFolder);
    process.start(programm, arguments);
    process.waitForFinished(120000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        throw std::runtime_error((QStringLiteral("PostgreSQL cluster: ") +
                                  AArguments.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                                  QString::fromLocal8Bit(process.readAll()))
                                     .toStdString());
    }
}

void TPostgresCluster::Stop() {
    Run({CBin + QStringLiteral("pg_ctl"), QStringLiteral("-D"), DataFolder(FFolder),
         QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
         QStringLiteral("stop")});
}

void TPostgresCluster::Start() {
    Run({CBin + QStringLiteral("pg_ctl"), QStringLiteral("-D"), DataFolder(FFolder),
         QStringLiteral("-w"), QStringLiteral("-l"), FFolder + QStringLiteral("/log"),
         QStringLiteral("-o"),
         QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off -c max_connections=200")
             .arg(FFolder),
         QStringLiteral("start")});
}

QString TPostgresCluster::NewDatabase() {
    const QString name = QStringLiteral("md_test_%1").arg(++FNummer);
    const QString verwaltung =
        QStringLiteral("postgresql:///postgres?host=%1&user=postgres").arg(FFolder);
    PGconn* connection = PQconnectdb(verwaltung.toUtf8().constData());
    PGresult* result =
        PQexec(connection, QStringLiteral("CREATE DATABASE %1").arg(name).toUtf8().constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    const QString fehler = QString::fromUtf8(PQerrorMessage(connection));
    PQclear(result);
    PQfinish(connection);
    if (!ok) {
        throw std::runtime_error(fehler.toStdString());
    }
    return QStringLiteral("postgresql:///%1?host=%2&user=postgres").arg(name, FFolder);
}

QString TPostgresCluster::DienstDatei(const QString& AFolder, const QString& ADienst,
                                      const QString& AOrt) const {
    const QString pfad = AFolder + QStringLiteral("/pg_service.conf");
    QFile dienste(pfad);
    if (!dienste.open(QIODevice::WriteOnly)) {
        throw std::runtime_error("the service file cannot be written");
    }
    const QString datenbank = AOrt.section(QLatin1Char('?'), 0, 0).section(QLatin1Char('/'), -1);
    dienste.write(QStringLiteral("[%1]\nhost=%2\ndbname=%3\nuser=postgres\n")
                      .arg(ADienst, FFolder, datenbank)
                      .toUtf8());
    return pfad;
}
