#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "md_mandorel.h"

class QDateTime;
class TZEP_DBFile;
enum class TZEP_DBOperation;
class TZEP_GA_Begleitung;
class TZEP_GA_Player;
struct TZEP_GA_Bildschirm;
class TZEP_MD_TemplateList;
class TZEP_MD_Tokenlist;
class TVKO_Database;
class TVKO_InfoMeldungListe;

// The report store: every stored Mandorel in memory, their record file, the edit transaction
// on a working copy, and the execution of a Mandorel.
class TZEP_MD_Processor {
public:
    // Opens the record file and loads the template catalogue; loads no Mandorel yet.
    explicit TZEP_MD_Processor(std::unique_ptr<TZEP_GA_Player> APlayer);
    ~TZEP_MD_Processor();
    TZEP_MD_Processor(const TZEP_MD_Processor&) = delete;
    TZEP_MD_Processor& operator=(const TZEP_MD_Processor&) = delete;

    // Skips a record that cannot be read, with a log line.
    void Load_Reports();
    // Whether another program committed or deleted a Mandorel since Load_Reports.
    [[nodiscard]] bool Reports_Geaendert();
    // Loads only the Mandorel with this name and program, for a run that needs no other. A
    // stored record that cannot be read, or holds no step, is an error that names it.
    void Load_Report(const QString& AName, const QString& AProgrammName);
    // Writes every pending change in one transaction of the database, together with what
    // AMitschreiben writes on the same connection before the records; when any of it fails,
    // nothing is written and every change stays pending. An update of a record that another
    // program changed since it was read is refused with message 1015.
    void Save_Reports(const std::function<void()>& AMitschreiben = {});
    // The record file's connection, for stores that write in its transactions.
    TVKO_Database& Database();

    // Takes the Mandorel over (AMandorel is then empty) unless one with its program and name
    // key is stored; then it adds message 1001 to AErrors and answers false.
    [[nodiscard]] bool Add_Mandorel(std::unique_ptr<TZEP_MD_Mandorel>& AMandorel,
                                    TVKO_InfoMeldungListe* AErrors);
    void Delete_Mandorel(const QString& AName, const QString& AProgrammName);
    TZEP_MD_Mandorel* Modify_Mandorel_Start(const QString& AName, const QString& AProgrammName);
    [[nodiscard]] bool Modify_Mandorel_Commit();
    void Modify_Mandorel_Abort();
    // The working copy of the open edit, or none.
    const TZEP_MD_Mandorel* Modify_Mandorel_Copy() const { return FCO_Report.get(); }

    // After a failed Save_Reports, each takes back one change that is still pending, so that
    // the list holds what is stored again and nothing of it is written by a later save.
    // The insert of AMandorel: hands it back, or none when it was stored.
    std::unique_ptr<TZEP_MD_Mandorel> Add_Mandorel_Undo(const TZEP_MD_Mandorel* AMandorel);
    void Delete_Mandorel_Undo(const QString& AName, const QString& AProgrammName);
    // The last commit: its copy is the open working copy again (the same object), and the
    // list holds the Mandorel as the record file stores it now. None when it was stored.
    TZEP_MD_Mandorel* Modify_Mandorel_Reopen();
    TZEP_MD_Mandorel* Mandorel_ByName(const QString& AName, const QString& AProgrammName) const;
    void Enum_Mandorele(const TZEP_MD_Enum_Callback& AEnumMD_Callback) const;

    // Expands the steps with this run's token values and plays them. False, with nothing
    // played, when a step names a template the catalogue lacks (Fehlende_Vorlage names it).
    [[nodiscard]] bool Execute_Mandorel(const TZEP_MD_Mandorel& AMandorel);
    [[nodiscard]] bool Execute_Mandorel(const QString& AName, const QString& AProgrammName);
    // While set, runs play beside the user (a test run of the window) with ABegleitung.
    void SetBegleitung(TZEP_GA_Begleitung* ABegleitung) { FBegleitung = ABegleitung; }
    // The sequence a run on ADatum would play, expanded as the run expands it, with every
    // masked value as "***"; nothing is played. False as Execute_Mandorel.
    [[nodiscard]] bool Preview_Mandorel(const TZEP_MD_Mandorel& AMandorel, const QDateTime& ADatum,
                                        TZEP_GA_Sequence& AVorschau);
    const QString& Fehlende_Vorlage() const { return FFehlende_Vorlage; }
    // The screen at the failure of the last run, as the player kept it, taken once.
    TZEP_GA_Bildschirm TakeFehlerBildschirm();
    // The values of the tokens that the Mandorel's actions name, as a run of it now uses them,
    // in token order; a masked value is given as "***".
    QList<QPair<QString, QString>> Token_Werte_Lauf(const TZEP_MD_Mandorel& AMandorel);

private:
    // The texts of every action a run of the Mandorel plays, before tokens are replaced.
    QStringList Texte_Lauf(const TZEP_MD_Mandorel& AMandorel) const;
    void LoadCurrentRecord(TVKO_ByteSlab& ASlab);
    // The Mandorel of the current record, its blob copied into ASlab; none when it holds no
    // step.
    std::unique_ptr<TZEP_MD_Mandorel> ReadCurrentRecord(TVKO_ByteSlab& ASlab);
    int Get_MD_Index(const QString& AName, const QString& AProgrammName) const;
    // Both answer the version the record has once the transaction is committed.
    qint64 InsertReport(const TZEP_MD_Mandorel& AMandorel);
    qint64 UpdateReport(const TZEP_MD_Mandorel& AMandorel);
    void DeleteReport(const TZEP_MD_Mandorel& AMandorel);
    // Positions the record file on a stored record; false when there is none.
    bool ReadRecord(const QString& AProgramm, const QString& ANameKey);
    void WriteBlob(const TZEP_MD_Mandorel& AMandorel, TZEP_DBOperation AOperation);
    void RegisterSecrets(const TZEP_MD_Mandorel& AMandorel) const;
    // Expands the steps with the values ATokens holds; false when a template is missing.
    bool Expand_Mandorel(const TZEP_MD_Mandorel& AMandorel, const TZEP_MD_Tokenlist& ATokens,
                         TZEP_GA_Sequence& ARun);

    std::vector<std::unique_ptr<TZEP_MD_Mandorel>> FMandorel_List;
    // The loaded Mandorele's blobs; a reload fills the blocks the last load freed again.
    TVKO_ByteSlab FBlobs;
    std::unique_ptr<TZEP_GA_Player> FMandorel_Player;
    std::unique_ptr<TZEP_MD_Tokenlist> FToken_List;
    std::unique_ptr<TZEP_MD_TemplateList> FTemplates;
    std::unique_ptr<TZEP_DBFile> FMdRdFile;
    std::unique_ptr<TZEP_MD_Mandorel> FCO_Report;
    // What the database said of other programs' commits when the list was last loaded.
    qint64 FGeladenerStand = 0;
    // The stored Mandorel the last commit replaced, and its place, until the commit is saved.
    std::unique_ptr<TZEP_MD_Mandorel> FCO_Original;
    int FCO_Original_Index = 0;
    QString FFehlende_Vorlage;
    TZEP_GA_Begleitung* FBegleitung = nullptr;
};
