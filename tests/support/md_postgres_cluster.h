#pragma once

#include <QString>

// A throw-away PostgreSQL cluster for the tests of one binary: initdb into a temporary folder,
// the server listening on a Unix socket in that folder only (no TCP). As root, initdb and pg_ctl
// run as the postgres user, since the server refuses to run as root. Started on first use,
// stopped and removed when the binary ends.
class TPostgresCluster {
public:
    static TPostgresCluster& Instance();

    // A new, empty database of the cluster; answers its connection as the stores take it.
    QString NewDatabase();
    // Names the database AOrt of the cluster as the service ADienst in AFolder/pg_service.conf
    // and answers that file's path, for PGSERVICEFILE.
    QString DienstDatei(const QString& AFolder, const QString& ADienst, const QString& AOrt) const;
    // The socket folder (the libpq host).
    const QString& SocketFolder() const { return FFolder; }
    // Stops the server at once (as a crash would), or starts it again.
    void Stop();
    void Start();

    ~TPostgresCluster();

private:
    TPostgresCluster();
    void Run(const QStringList& AArguments) const;

    QString FFolder;
    int FNummer = 0;
};
