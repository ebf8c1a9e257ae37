#include "md_processor.h"

#include "md_templates.h"
#include "md_tokenlist.h"
#include "vko_benutzer.h"
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
    FMandorel_List.clear();
    TVKO_StringPool pool;
    const TVKO_StringPoolScope sharedTexts(pool);
    FMdRdFile->Reset();
    for (bool found = FMdRdFile->Get_first_extMode(); found;
         found = FMdRdFile->Get_next_extMode()) {
        LoadCurrentRecord();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Load_Reports");
}

void TZEP_MD_Processor::Load_Report(const QString& AName, const QString& AProgrammName) try {
    FMandorel_List.clear();
    if (ReadRecord(AProgrammName, Wert_2_Wert4KeyFeld(AName))) {
        LoadCurrentRecord();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Load_Report");
}

void TZEP_MD_Processor::LoadCurrentRecord() {
    const QString programm = VKO_Intern(FMdRdFile->Wert(TZEP_DBFile::CProgramKey));
    const QString name = FMdRdFile->Wert(TZEP_DBFile::CDisplayName);
    auto mandorel = std::make_unique<TZEP_MD_Mandorel>();
    try {
        // The blob's bytes themselves: a device per record would cost more than the rest.
        if (mandorel->LoadFromBytes(FMdRdFile->BlobBytes(), name, programm)) {
            FMandorel_List.push_back(std::move(mandorel));
        }
    } catch (...) {
        // One damaged record must not hide the others.
        const TVKO_FehlerInfo fehler = VKOInfo().FehlerInfo(std::current_exception());
        VKOInfo().WriteTextWithStamp(
            QStringLiteral("Der Mandorel %1 für das Programm %2 kann nicht gelesen werden "
                           "und wird übersprungen: %3")
                .arg(FMdRdFile->Wert(TZEP_DBFile::CNameKey), programm, fehler.Text));
        VKOInfo().ResetErrorSpezNoWrite();
    }
}

void TZEP_MD_Processor::Save_Reports() try {
    for (auto index = static_cast<qsizetype>(FMandorel_List.size()) - 1; index >= 0; --index) {
        TZEP_MD_Mandorel& mandorel = *FMandorel_List[static_cast<std::size_t>(index)];
        // The marker is reset only after the write, so a failed write stays pending.
        switch (mandorel.Modify_Marker()) {
            case TZEP_DataOperation::None:
                break;
            case TZEP_DataOperation::Insert:
                InsertReport(mandorel);
                mandorel.SetModify_Marker(TZEP_DataOperation::None);
                break;
            case TZEP_DataOperation::Update:
                UpdateReport(mandorel);
                mandorel.SetModify_Marker(TZEP_DataOperation::None);
                break;
            case TZEP_DataOperation::Delete:
                DeleteReport(mandorel);
                FMandorel_List.erase(FMandorel_List.begin() + index);
                break;
            default: {
                const int marker = static_cast<int>(mandorel.Modify_Marker());
                mandorel.SetModify_Marker(TZEP_DataOperation::None);
                VKOInfo().FehlerRaise("TZEP_MD_Processor.Save_Reports",
                                      CVKO_Info_Fehler_Standard_IllegalerParameter,
                                      {QStringLiteral("Änderungskennzeichen %1 des Mandorels %2")
                                           .arg(marker)
                                           .arg(mandorel.Name_Anzeige())});
            }
        }
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Save_Reports");
}

void TZEP_MD_Processor::WriteBlob(const TZEP_MD_Mandorel& AMandorel, TZEP_DBOperation AOperation) {
    QIODevice& blob = FMdRdFile->StartStreamBuchung(AOperation, false);
    AMandorel.SaveToStream(blob);
    FMdRdFile->EndStreamBuchung();
}

void TZEP_MD_Processor::InsertReport(const TZEP_MD_Mandorel& AMandorel) try {
    const TIntPair benutzer = WpGetBenuAngemeldet();
    FMdRdFile->Reset();
    FMdRdFile->SetKeyWert(TZEP_DBFile::CProgramKey, AMandorel.Programm().toUpper());
    FMdRdFile->SetWert(TZEP_DBFile::CDisplayName, AMandorel.Name_Anzeige());
    FMdRdFile->SetWert(TZEP_DBFile::CCreatedBy, benutzer);
    FMdRdFile->SetWert(TZEP_DBFile::CChangedBy, benutzer);
    WriteBlob(AMandorel, TZEP_DBOperation::wrdonInsert);
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.InsertReport");
}

void TZEP_MD_Processor::UpdateReport(const TZEP_MD_Mandorel& AMandorel) try {
    if (!ReadRecord(AMandorel.Programm(), AMandorel.Name_Key())) {
        // Another process deleted the record meanwhile: the commit the user just made wins
        // and is written again, rather than being dropped without a word.
        VKOInfo().WriteTextWithStamp(
            QStringLiteral("Der Mandorel %1 für das Programm %2 war nicht mehr gespeichert und "
                           "wurde neu angelegt.")
                .arg(AMandorel.Name_Key(), AMandorel.Programm()));
        InsertReport(AMandorel);
        return;
    }
    FMdRdFile->SetWert(TZEP_DBFile::CChangedBy, WpGetBenuAngemeldet());
    WriteBlob(AMandorel, TZEP_DBOperation::wrdonUpdate);
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

TZEP_MD_Mandorel* TZEP_MD_Processor::Modify_Mandorel_Start(const QString& AName,
                                                           const QString& AProgrammName) try {
    if (FCO_Report) {
        VKOInfo().FehlerRaise("TZEP_MD_Processor.Modify_Mandorel_Start", MD_Koord(1003));
    }
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
    FMandorel_List.erase(FMandorel_List.begin() + index);
    FCO_Report->SetModify_Marker(TZEP_DataOperation::Update);
    FMandorel_List.push_back(std::move(FCO_Report));
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Modify_Mandorel_Commit");
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
