#include "md_processor.h"

#include <algorithm>

#include "md_templates.h"
#include "md_tokenlist.h"
#include "vko_benutzer.h"
#include "vko_database.h"
#include "vko_info.h"
#include "vko_keyfeld.h"
#include "vko_meldungsliste.h"
#include "vko_stringpool.h"
#include "zep_dbfile.h"
#include "zep_ga_player.h"

TZEP_MD_Processor::TZEP_MD_Processor(std::unique_ptr<TZEP_GA_Player> APlayer) try {
    FMdRdFile = std::make_unique<TZEP_DBFile>();
    FMandorel_Player = std::move(APlayer);
    FToken_List = std::make_unique<TZEP_MD_Tokenlist>();
    FTemplates = std::make_unique<TZEP_MD_TemplateList>();
    FTemplates->LoadTemplates();
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Create");
}

TZEP_MD_Processor::~TZEP_MD_Processor() {
    ReleaseGuarded("TZEP_MD_Processor.Destroy", [this] { FTemplates.reset(); });
    ReleaseGuarded("TZEP_MD_Processor.Destroy", [this] { FToken_List.reset(); });
    ReleaseGuarded("TZEP_MD_Processor.Destroy", [this] { FMandorel_Player.reset(); });
    ReleaseGuarded("TZEP_MD_Processor.Destroy", [this] { FMandorel_List.clear(); });
    ReleaseGuarded("TZEP_MD_Processor.Destroy", [this] { FMdRdFile.reset(); });
    VKOInfo().FehlerTerminate();
}

void TZEP_MD_Processor::Load_Reports() try {
    // Taken before the rows: a commit in between makes the next question answer yes.
    FGeladenerStand = FMdRdFile->Database().Datenstand();
    FMandorel_List.clear();
    FCO_Original.reset();
    TVKO_StringPool pool;
    const TVKO_StringPoolScope sharedTexts(pool);
    const TVKO_ByteSlabLoad blobs(FBlobs);
    FMdRdFile->Reset();
    for (bool found = FMdRdFile->Get_first_extMode(); found;
         found = FMdRdFile->Get_next_extMode()) {
        LoadCurrentRecord(FBlobs);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Load_Reports");
}

bool TZEP_MD_Processor::Reports_Geaendert() try {
    return FMdRdFile->Database().Datenstand() != FGeladenerStand;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Reports_Geaendert");
}

void TZEP_MD_Processor::Load_Report(const QString& AName, const QString& AProgrammName) try {
    FMandorel_List.clear();
    FCO_Original.reset();
    if (!ReadRecord(AProgrammName, Wert_2_Wert4KeyFeld(AName))) {
        return;
    }
    // The record is there: a run must fail on its damage, not report it as missing.
    const QString nameKey = FMdRdFile->Wert(TZEP_DBFile::CNameKey);
    const QString programm = FMdRdFile->Wert(TZEP_DBFile::CProgramKey);
    std::unique_ptr<TZEP_MD_Mandorel> mandorel;
    TVKO_ByteSlab blob(0);
    try {
        mandorel = ReadCurrentRecord(blob);
    } catch (...) {
        throw EVKO_Error(
            QStringLiteral("Der Mandorel %1 für das Programm %2 kann nicht gelesen werden: %3")
                .arg(nameKey, programm, VKOInfo().FehlerInfo(std::current_exception()).Text));
    }
    if (!mandorel) {
        throw EVKO_Error(QStringLiteral("Der Mandorel %1 für das Programm %2 ist gespeichert, "
                                        "enthält aber keinen Schritt.")
                             .arg(nameKey, programm));
    }
    FMandorel_List.push_back(std::move(mandorel));
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Load_Report");
}

std::unique_ptr<TZEP_MD_Mandorel> TZEP_MD_Processor::ReadCurrentRecord(TVKO_ByteSlab& ASlab) {
    auto mandorel = std::make_unique<TZEP_MD_Mandorel>();
    // The blob's bytes themselves: a device per record would cost more than the rest.
    if (!mandorel->LoadFromBytes(ASlab.Copy(FMdRdFile->BlobView()),
                                 FMdRdFile->Wert(TZEP_DBFile::CDisplayName),
                                 VKO_Intern(FMdRdFile->Wert(TZEP_DBFile::CProgramKey)))) {
        return nullptr;
    }
    mandorel->SetRecord_Version(FMdRdFile->Version());
    return mandorel;
}

void TZEP_MD_Processor::LoadCurrentRecord(TVKO_ByteSlab& ASlab) {
    try {
        if (auto mandorel = ReadCurrentRecord(ASlab)) {
            FMandorel_List.push_back(std::move(mandorel));
        }
    } catch (...) {
        // One damaged record must not hide the others.
        const TVKO_FehlerInfo fehler = VKOInfo().FehlerInfo(std::current_exception());
        VKOInfo().WriteTextWithStamp(
            QStringLiteral("Der Mandorel %1 für das Programm %2 kann nicht gelesen werden "
                           "und wird übersprungen: %3")
                .arg(FMdRdFile->Wert(TZEP_DBFile::CNameKey),
                     FMdRdFile->Wert(TZEP_DBFile::CProgramKey), fehler.Text));
        VKOInfo().ResetErrorSpezNoWrite();
    }
}

void TZEP_MD_Processor::Save_Reports(const std::function<void()>& AMitschreiben) try {
    // What the records hold once the transaction is committed; applied only then, so that a
    // failure anywhere leaves every change pending as it was.
    std::vector<std::pair<TZEP_MD_Mandorel*, qint64>> versionen;
    std::vector<const TZEP_MD_Mandorel*> geloescht;
    const bool offen =
        AMitschreiben ||
        std::any_of(FMandorel_List.begin(), FMandorel_List.end(), [](const auto& AMandorel) {
            return AMandorel->Modify_Marker() != TZEP_DataOperation::None;
        });
    // Nothing to write takes no write lock.
    if (offen) {
        TVKO_Transaction buchung(Database());
        if (AMitschreiben) {
            AMitschreiben();
        }
        for (auto index = static_cast<qsizetype>(FMandorel_List.size()) - 1; index >= 0; --index) {
            TZEP_MD_Mandorel& mandorel = *FMandorel_List[static_cast<std::size_t>(index)];
            switch (mandorel.Modify_Marker()) {
                case TZEP_DataOperation::None:
                    break;
                case TZEP_DataOperation::Insert:
                    versionen.emplace_back(&mandorel, InsertReport(mandorel));
                    break;
                case TZEP_DataOperation::Update:
                    versionen.emplace_back(&mandorel, UpdateReport(mandorel));
                    break;
                case TZEP_DataOperation::Delete:
                    DeleteReport(mandorel);
                    geloescht.push_back(&mandorel);
                    break;
                default: {
                    const int marker = static_cast<int>(mandorel.Modify_Marker());
                    mandorel.SetModify_Marker(TZEP_DataOperation::None);
                    VKOInfo().FehlerRaise(
                        "TZEP_MD_Processor.Save_Reports",
                        CVKO_Info_Fehler_Standard_IllegalerParameter,
                        {QStringLiteral("Änderungskennzeichen %1 des Mandorels %2")
                             .arg(marker)
                             .arg(mandorel.Name_Anzeige())});
                }
            }
        }
        buchung.Commit();
    }
    for (const auto& [mandorel, version] : versionen) {
        mandorel->SetRecord_Version(version);
        mandorel->SetModify_Marker(TZEP_DataOperation::None);
    }
    std::erase_if(FMandorel_List, [&geloescht](const auto& AMandorel) {
        return std::find(geloescht.begin(), geloescht.end(), AMandorel.get()) != geloescht.end();
    });
    // The last commit is stored: the Mandorel it replaced is no longer needed to undo it.
    FCO_Original.reset();
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Save_Reports");
}

TVKO_Database& TZEP_MD_Processor::Database() {
    return FMdRdFile->Database();
}

void TZEP_MD_Processor::WriteBlob(const TZEP_MD_Mandorel& AMandorel, TZEP_DBOperation AOperation) {
    QIODevice& blob = FMdRdFile->StartStreamBuchung(AOperation, false);
    AMandorel.SaveToStream(blob);
    FMdRdFile->EndStreamBuchung();
}

qint64 TZEP_MD_Processor::InsertReport(const TZEP_MD_Mandorel& AMandorel) try {
    const TIntPair benutzer = WpGetBenuAngemeldet();
    FMdRdFile->Reset();
    FMdRdFile->SetKeyWert(TZEP_DBFile::CProgramKey, AMandorel.Programm().toUpper());
    FMdRdFile->SetWert(TZEP_DBFile::CDisplayName, AMandorel.Name_Anzeige());
    FMdRdFile->SetWert(TZEP_DBFile::CCreatedBy, benutzer);
    FMdRdFile->SetWert(TZEP_DBFile::CChangedBy, benutzer);
    WriteBlob(AMandorel, TZEP_DBOperation::wrdonInsert);
    return FMdRdFile->Version();
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.InsertReport");
}

qint64 TZEP_MD_Processor::UpdateReport(const TZEP_MD_Mandorel& AMandorel) try {
    if (!ReadRecord(AMandorel.Programm(), AMandorel.Name_Key())) {
        // Another process deleted the record meanwhile: the commit the user just made wins
        // and is written again, rather than being dropped without a word.
        VKOInfo().WriteTextWithStamp(
            QStringLiteral("Der Mandorel %1 für das Programm %2 war nicht mehr gespeichert und "
                           "wurde neu angelegt.")
                .arg(AMandorel.Name_Key(), AMandorel.Programm()));
        return InsertReport(AMandorel);
    }
    if (FMdRdFile->Version() != AMandorel.Record_Version()) {
        // Another window or process committed since this Mandorel was read: writing now would
        // silently drop that change.
        VKOInfo().FehlerRaise("TZEP_MD_Processor.UpdateReport", MD_Koord(1015),
                              {AMandorel.Name_Anzeige(), AMandorel.Programm()});
    }
    FMdRdFile->SetWert(TZEP_DBFile::CChangedBy, WpGetBenuAngemeldet());
    WriteBlob(AMandorel, TZEP_DBOperation::wrdonUpdate);
    return FMdRdFile->Version();
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.UpdateReport");
}

bool TZEP_MD_Processor::ReadRecord(const QString& AProgramm, const QString& ANameKey) {
    FMdRdFile->Reset();
    FMdRdFile->SetKeyWert(TZEP_DBFile::CProgramKey, AProgramm.toUpper());
    FMdRdFile->SetKeyWert(TZEP_DBFile::CNameKey, ANameKey);
    return FMdRdFile->Read();
}

void TZEP_MD_Processor::DeleteReport(const TZEP_MD_Mandorel& AMandorel) try {
    if (ReadRecord(AMandorel.Programm(), AMandorel.Name_Key())) {
        FMdRdFile->Write(TZEP_DBOperation::wrdonDelete);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.DeleteReport");
}

bool TZEP_MD_Processor::Add_Mandorel(std::unique_ptr<TZEP_MD_Mandorel>& AMandorel,
                                     TVKO_InfoMeldungListe* AErrors) try {
    // The record file is asked too: another process may have stored the name since the load.
    if (Get_MD_Index(AMandorel->Name_Key(), AMandorel->Programm()) >= 0 ||
        ReadRecord(AMandorel->Programm(), AMandorel->Name_Key())) {
        if (AErrors != nullptr) {
            AErrors->Meldung_Add(MD_Koord(1001),
                                 {AMandorel->Name_Anzeige(), AMandorel->Programm()});
        }
        return false;
    }
    AMandorel->SetModify_Marker(TZEP_DataOperation::Insert);
    FMandorel_List.push_back(std::move(AMandorel));
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Add_Mandorel");
}

void TZEP_MD_Processor::Delete_Mandorel(const QString& AName, const QString& AProgrammName) try {
    const int index = Get_MD_Index(AName, AProgrammName);
    if (index >= 0) {
        FMandorel_List[static_cast<std::size_t>(index)]->SetModify_Marker(
            TZEP_DataOperation::Delete);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Delete_Mandorel");
}

void TZEP_MD_Processor::Delete_Mandorel_Undo(const QString& AName,
                                             const QString& AProgrammName) try {
    const int index = Get_MD_Index(AName, AProgrammName);
    if (index >= 0) {
        TZEP_MD_Mandorel& mandorel = *FMandorel_List[static_cast<std::size_t>(index)];
        if (mandorel.Modify_Marker() == TZEP_DataOperation::Delete) {
            mandorel.SetModify_Marker(TZEP_DataOperation::None);
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Delete_Mandorel_Undo");
}

std::unique_ptr<TZEP_MD_Mandorel> TZEP_MD_Processor::Add_Mandorel_Undo(
    const TZEP_MD_Mandorel* AMandorel) try {
    const auto found =
        std::find_if(FMandorel_List.begin(), FMandorel_List.end(),
                     [AMandorel](const auto& AItem) { return AItem.get() == AMandorel; });
    if (found == FMandorel_List.end() || (*found)->Modify_Marker() != TZEP_DataOperation::Insert) {
        return nullptr;
    }
    std::unique_ptr<TZEP_MD_Mandorel> mandorel = std::move(*found);
    FMandorel_List.erase(found);
    mandorel->SetModify_Marker(TZEP_DataOperation::None);
    return mandorel;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Add_Mandorel_Undo");
}

TZEP_MD_Mandorel* TZEP_MD_Processor::Modify_Mandorel_Start(const QString& AName,
                                                           const QString& AProgrammName) try {
    if (FCO_Report) {
        VKOInfo().FehlerRaise("TZEP_MD_Processor.Modify_Mandorel_Start", MD_Koord(1003));
    }
    FCO_Original.reset();
    const int index = Get_MD_Index(AName, AProgrammName);
    if (index < 0) {
        return nullptr;
    }
    FCO_Report = TZEP_MD_Mandorel::Clone(*FMandorel_List[static_cast<std::size_t>(index)]);
    return FCO_Report.get();
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Modify_Mandorel_Start");
}

bool TZEP_MD_Processor::Modify_Mandorel_Commit() try {
    if (!FCO_Report) {
        return false;
    }
    const int index = Get_MD_Index(FCO_Report->Name_Key(), FCO_Report->Programm());
    if (index < 0) {
        return false;
    }
    FCO_Original = std::move(FMandorel_List[static_cast<std::size_t>(index)]);
    FCO_Original_Index = index;
    FMandorel_List.erase(FMandorel_List.begin() + index);
    FCO_Report->SetModify_Marker(TZEP_DataOperation::Update);
    FMandorel_List.push_back(std::move(FCO_Report));
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Modify_Mandorel_Commit");
}

TZEP_MD_Mandorel* TZEP_MD_Processor::Modify_Mandorel_Reopen() try {
    if (!FCO_Original || FCO_Report) {
        return nullptr;
    }
    const int index = Get_MD_Index(FCO_Original->Name_Key(), FCO_Original->Programm());
    if (index < 0 || FMandorel_List[static_cast<std::size_t>(index)]->Modify_Marker() !=
                         TZEP_DataOperation::Update) {
        return nullptr;
    }
    FCO_Report = std::move(FMandorel_List[static_cast<std::size_t>(index)]);
    FMandorel_List.erase(FMandorel_List.begin() + index);
    FCO_Report->SetModify_Marker(TZEP_DataOperation::None);
    std::unique_ptr<TZEP_MD_Mandorel> stored = std::move(FCO_Original);
    TVKO_ByteSlab blob(0);
    try {
        // What the file holds now, which differs from what was read when another program
        // changed or deleted it meanwhile.
        stored =
            ReadRecord(stored->Programm(), stored->Name_Key()) ? ReadCurrentRecord(blob) : nullptr;
    } catch (...) {
        // Unreadable now: the Mandorel as it was read stays the best knowledge of the store.
        VKOInfo().RegisterException("TZEP_MD_Processor.Modify_Mandorel_Reopen",
                                    std::current_exception(), false);
    }
    if (stored) {
        const auto at =
            std::min(static_cast<std::size_t>(FCO_Original_Index), FMandorel_List.size());
        FMandorel_List.insert(FMandorel_List.begin() + static_cast<std::ptrdiff_t>(at),
                              std::move(stored));
    }
    return FCO_Report.get();
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Modify_Mandorel_Reopen");
}

void TZEP_MD_Processor::Modify_Mandorel_Abort() try { FCO_Report.reset(); } catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Modify_Mandorel_Abort");
}

TZEP_MD_Mandorel* TZEP_MD_Processor::Mandorel_ByName(const QString& AName,
                                                     const QString& AProgrammName) const try {
    const int index = Get_MD_Index(AName, AProgrammName);
    return index < 0 ? nullptr : FMandorel_List[static_cast<std::size_t>(index)].get();
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Mandorel_ByName");
}

void TZEP_MD_Processor::Enum_Mandorele(const TZEP_MD_Enum_Callback& AEnumMD_Callback) const try {
    for (const auto& mandorel : FMandorel_List) {
        AEnumMD_Callback(*mandorel);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Enum_Mandorele");
}

int TZEP_MD_Processor::Get_MD_Index(const QString& AName, const QString& AProgrammName) const try {
    const QString key = Wert_2_Wert4KeyFeld(AName);
    for (std::size_t i = 0; i < FMandorel_List.size(); ++i) {
        const TZEP_MD_Mandorel& mandorel = *FMandorel_List[i];
        if (mandorel.Programm().compare(AProgrammName, Qt::CaseInsensitive) == 0 &&
            mandorel.Name_Key().compare(key, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Get_MD_Index");
}
