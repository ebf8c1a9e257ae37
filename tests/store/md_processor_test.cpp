#include <QBuffer>

#include "md_store_fixture.h"
#include "vko_info.h"
#include "vko_meldungsliste.h"
#include "zep_dbfile.h"

namespace {

QStringList Names(const TZEP_MD_Processor& AProcessor) {
    QStringList names;
    AProcessor.Enum_Mandorele(
        [&names](TZEP_MD_Mandorel& AMandorel) { names.append(AMandorel.Name_Anzeige()); });
    return names;
}

// Writes a record straight into the record file, as another installation or a damage might.
void WriteRecord(const QString& AProgramm, const QString& AName, const QByteArray& ABlob) {
    TZEP_DBFile file;
    file.Reset();
    file.SetKeyWert(TZEP_DBFile::CProgramKey, AProgramm);
    file.SetWert(TZEP_DBFile::CDisplayName, AName);
    file.StartStreamBuchung(TZEP_DBOperation::wrdonInsert, false).write(ABlob);
    file.EndStreamBuchung();
}

void DeleteRecord(const QString& AProgramm, const QString& ANameKey) {
    TZEP_DBFile file;
    file.Reset();
    file.SetKeyWert(TZEP_DBFile::CProgramKey, AProgramm);
    file.SetKeyWert(TZEP_DBFile::CNameKey, ANameKey);
    ASSERT_TRUE(file.Read());
    file.Write(TZEP_DBOperation::wrdonDelete);
}

}  // namespace

class ProcessorTest : public TStoreTest {};

TEST_F(ProcessorTest, SavedMandoreleLoadAgainLastAddedFirst) {
    auto processor = NewProcessor();
    auto erste = Mandorel(QStringLiteral("Erste Liste"));
    auto zweite = Mandorel(QStringLiteral("Zweite Liste"));
    ASSERT_TRUE(processor->Add_Mandorel(erste, nullptr));
    ASSERT_TRUE(processor->Add_Mandorel(zweite, nullptr));
    EXPECT_EQ(erste, nullptr);
    processor->Save_Reports();

    auto reader = NewProcessor();
    reader->Load_Reports();
    EXPECT_EQ(Names(*reader),
              (QStringList{QStringLiteral("Zweite Liste"), QStringLiteral("Erste Liste")}));
    const TZEP_MD_Mandorel* read =
        reader->Mandorel_ByName(QStringLiteral("erste liste"), QStringLiteral("plon"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Name_Key(), QStringLiteral("ERSTE_LISTE"));
    EXPECT_EQ(read->Modify_Marker(), TZEP_DataOperation::None);
    EXPECT_EQ(read->TokenValues(), Mandorel(QStringLiteral("x"))->TokenValues());
}

TEST_F(ProcessorTest, AddingAnExistingProgramAndNameKeyIsRefused) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    auto twin = TZEP_MD_Mandorel::CreateNew(QStringLiteral("MONATSLISTE"), QStringLiteral("plon"));
    TVKO_InfoMeldungListe errors;
    EXPECT_FALSE(processor->Add_Mandorel(twin, &errors));
    ASSERT_NE(twin, nullptr);
    ASSERT_EQ(errors.Meldungen().size(), 1);
    EXPECT_EQ(errors.Meldungen()[0].Koord, MD_Koord(1001));
    EXPECT_EQ(errors.Meldungen()[0].Args,
              (QStringList{QStringLiteral("MONATSLISTE"), QStringLiteral("plon")}));
    EXPECT_FALSE(processor->Add_Mandorel(twin, nullptr));
    EXPECT_EQ(Names(*processor).size(), 1);
}

TEST_F(ProcessorTest, ARecordWithoutStepsIsSkippedWithoutAMessage) {
    Store(Mandorel(QStringLiteral("Leer"), {}));
    Store(Mandorel(QStringLiteral("Voll")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    EXPECT_EQ(Names(*processor), QStringList{QStringLiteral("Voll")});
    EXPECT_FALSE(FHome.ReadLog().contains(QStringLiteral("Leer")));
}

TEST_F(ProcessorTest, ADamagedRecordIsSkippedWithALogLineAndTheOthersLoad) {
    Store(Mandorel(QStringLiteral("Vorher")));
    WriteRecord(QStringLiteral("PLON"), QStringLiteral("Kaputt"), "ZMLS\x01\0\0\0\xFF\xFF\0\0");
    Store(Mandorel(QStringLiteral("Nachher")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    EXPECT_EQ(Names(*processor).size(), 2);
    EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("KAPUTT")));
    EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("PLON")));
}

TEST_F(ProcessorTest, ADeletedMandorelStaysListedUntilSaved) {
    Store(Mandorel(QStringLiteral("Weg damit")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    processor->Delete_Mandorel(QStringLiteral("Weg damit"), QStringLiteral("PLON"));
    EXPECT_EQ(Names(*processor).size(), 1);
    processor->Save_Reports();
    EXPECT_TRUE(Names(*processor).isEmpty());
    auto reader = NewProcessor();
    reader->Load_Reports();
    EXPECT_TRUE(Names(*reader).isEmpty());
}

TEST_F(ProcessorTest, EditingWorksOnACopyUntilCommitted) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    TZEP_MD_Mandorel* copy =
        processor->Modify_Mandorel_Start(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    ASSERT_NE(copy, nullptr);
    const TZEP_MD_Mandorel* stored =
        processor->Mandorel_ByName(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    EXPECT_NE(copy, stored);
    copy->SetAuswertungs_Grund(QStringLiteral("geändert"));
    EXPECT_TRUE(stored->Auswertungs_Grund().isEmpty());

    try {
        processor->Modify_Mandorel_Start(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
        ADD_FAILURE() << "a second edit was opened";
    } catch (const EVKO_Error& error) {
        EXPECT_EQ(error.Koord(), MD_Koord(1003));
    }
    EXPECT_EQ(copy->Auswertungs_Grund(), QStringLiteral("geändert"));

    EXPECT_TRUE(processor->Modify_Mandorel_Commit());
    EXPECT_FALSE(processor->Modify_Mandorel_Commit());
    processor->Save_Reports();
    auto reader = NewProcessor();
    reader->Load_Reports();
    EXPECT_EQ(reader->Mandorel_ByName(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"))
                  ->Auswertungs_Grund(),
              QStringLiteral("geändert"));
}

TEST_F(ProcessorTest, AbortDropsTheCopyAndAnUnknownNameOpensNothing) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    EXPECT_EQ(
        processor->Modify_Mandorel_Start(QStringLiteral("Gibt es nicht"), QStringLiteral("PLON")),
        nullptr);
    ASSERT_NE(
        processor->Modify_Mandorel_Start(QStringLiteral("Monatsliste"), QStringLiteral("PLON")),
        nullptr);
    processor->Modify_Mandorel_Abort();
    EXPECT_FALSE(processor->Modify_Mandorel_Commit());
    EXPECT_NE(
        processor->Modify_Mandorel_Start(QStringLiteral("Monatsliste"), QStringLiteral("PLON")),
        nullptr);
}

TEST_F(ProcessorTest, LookupsWithEmptyValuesFindNothing) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    EXPECT_EQ(processor->Mandorel_ByName(QString(), QStringLiteral("PLON")), nullptr);
    EXPECT_EQ(processor->Mandorel_ByName(QStringLiteral("Monatsliste"), QString()), nullptr);
}

TEST_F(ProcessorTest, AnUpdateOfAVanishedRecordWritesTheCommitAgain) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto processor = NewProcessor();
    processor->Load_Reports();
    processor->Modify_Mandorel_Start(QStringLiteral("Monatsliste"), QStringLiteral("PLON"))
        ->SetAuswertungs_Grund(QStringLiteral("neu"));
    ASSERT_TRUE(processor->Modify_Mandorel_Commit());
    DeleteRecord(QStringLiteral("PLON"), QStringLiteral("MONATSLISTE"));
    processor->Save_Reports();

    auto reader = NewProcessor();
    reader->Load_Reports();
    const TZEP_MD_Mandorel* read =
        reader->Mandorel_ByName(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Auswertungs_Grund(), QStringLiteral("neu"));
    EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("neu angelegt")));
}

TEST_F(ProcessorTest, AFailedWriteLeavesTheChangePendingAndPassesTheErrorOn) {
    auto processor = NewProcessor();
    processor->Load_Reports();
    auto mandorel = Mandorel(QStringLiteral("Monatsliste"));
    ASSERT_TRUE(processor->Add_Mandorel(mandorel, nullptr));
    // Another process stored the same keys meanwhile.
    Store(Mandorel(QStringLiteral("Monatsliste")));
    try {
        processor->Save_Reports();
        ADD_FAILURE() << "the insert was reported as success";
    } catch (...) {
        EXPECT_EQ(VKOInfo().FehlerInfo(std::current_exception()).Chain.constLast(),
                  QStringLiteral("TZEP_MD_Processor.Save_Reports"));
    }
    const TZEP_MD_Mandorel* pending =
        processor->Mandorel_ByName(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(pending->Modify_Marker(), TZEP_DataOperation::Insert);

    DeleteRecord(QStringLiteral("PLON"), QStringLiteral("MONATSLISTE"));
    processor->Save_Reports();
    EXPECT_EQ(pending->Modify_Marker(), TZEP_DataOperation::None);
}

TEST_F(ProcessorTest, AnIllegalMarkerStopsTheSaveWithTheStandardError) {
    auto processor = NewProcessor();
    processor->Load_Reports();
    auto first = Mandorel(QStringLiteral("Erste"));
    auto second = Mandorel(QStringLiteral("Zweite"));
    ASSERT_TRUE(processor->Add_Mandorel(first, nullptr));
    ASSERT_TRUE(processor->Add_Mandorel(second, nullptr));
    processor->Mandorel_ByName(QStringLiteral("Zweite"), QStringLiteral("PLON"))
        ->SetModify_Marker(static_cast<TZEP_DataOperation>(9));
    try {
        processor->Save_Reports();
        ADD_FAILURE() << "no error";
    } catch (const EVKO_Error& error) {
        EXPECT_EQ(error.Koord(), CVKO_Info_Fehler_Standard_IllegalerParameter);
        EXPECT_TRUE(error.Text().contains(QStringLiteral("9")));
    }
    EXPECT_EQ(processor->Mandorel_ByName(QStringLiteral("Erste"), QStringLiteral("PLON"))
                  ->Modify_Marker(),
              TZEP_DataOperation::Insert);
}

TEST_F(ProcessorTest, LoadReportReadsOnlyTheNamedMandorel) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    Store(Mandorel(QStringLiteral("Jahresliste")));
    auto processor = NewProcessor();
    processor->Load_Report(QStringLiteral("monatsliste"), QStringLiteral("plon"));
    EXPECT_EQ(Names(*processor), QStringList{QStringLiteral("Monatsliste")});
    processor->Load_Report(QStringLiteral("Wochenliste"), QStringLiteral("PLON"));
    EXPECT_TRUE(Names(*processor).isEmpty());

    // A run must not take a damaged record for a missing one.
    WriteRecord(QStringLiteral("PLON"), QStringLiteral("Kaputt"), "ZMLS");
    EXPECT_THROW(processor->Load_Report(QStringLiteral("Kaputt"), QStringLiteral("PLON")),
                 EVKO_Error);
    Store(Mandorel(QStringLiteral("Leer"), {}));
    try {
        processor->Load_Report(QStringLiteral("Leer"), QStringLiteral("PLON"));
        ADD_FAILURE() << "a stored Mandorel without steps was taken for a missing one";
    } catch (const EVKO_Error& error) {
        EXPECT_TRUE(error.Text().contains(QStringLiteral("LEER"))) << error.Text().toStdString();
        EXPECT_TRUE(error.Text().contains(QStringLiteral("keinen Schritt")));
    }
    EXPECT_TRUE(Names(*processor).isEmpty());
}

TEST_F(ProcessorTest, EveryTextComesBackAsSavedAlsoAfterAReload) {
    // Name, program, description (code page) and token value (UTF-8): ASCII only, Latin-1 at
    // its edges, the euro sign, and characters outside Latin-1 and the basic plane.
    const std::vector<QStringList> erwartet{
        {QStringLiteral("Monatsliste"), QStringLiteral("PLON"), QStringLiteral("ASCII ~"),
         QStringLiteral("Verkauf")},
        {QStringLiteral("Größe ÿ ¡"), QStringLiteral("KÜDRE"), QStringLiteral("Größe ÿ ¡ ÷"),
         QStringLiteral("Müller ÿ")},
        {QStringLiteral("Preis € Ω 𝄞"), QStringLiteral("PLON"), QStringLiteral("5 € – „S“"),
         QStringLiteral("5 € Ω 𝄞 ĉ")}};
    for (const QStringList& satz : erwartet) {
        auto mandorel = TZEP_MD_Mandorel::CreateNew(satz[0], satz[1]);
        mandorel->Sequence() = Mandorel(satz[0])->Sequence();
        mandorel->SetAuswertungs_Beschreibung(satz[2]);
        mandorel->TokenValues().insert(QStringLiteral("#ABTEILUNG#"), satz[3]);
        Store(std::move(mandorel));
    }
    auto processor = NewProcessor();
    for (int runde = 0; runde < 2; ++runde) {
        processor->Load_Reports();
        for (const QStringList& satz : erwartet) {
            const TZEP_MD_Mandorel* read = processor->Mandorel_ByName(satz[0], satz[1]);
            ASSERT_NE(read, nullptr) << satz[0].toStdString();
            EXPECT_EQ((QStringList{read->Name_Anzeige(), read->Programm(),
                                   read->Auswertungs_Beschreibung(),
                                   read->TokenValues().value(QStringLiteral("#ABTEILUNG#"))}),
                      satz);
            EXPECT_EQ(read->Sequence().Count(), 1);
        }
    }
}
