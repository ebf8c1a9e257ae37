#include "md_store_fixture.h"

#include "vko_meldungsliste.h"

const char* const CTestCatalogue = R"([TEMPLATES]
PLON_START
PLON_ZEITRAUM
PLON_ANMELDUNG

[PLON_START]
NAME=PLON starten
STARTS_PROGRAM=PLON
SEQUENCE=START; WAIT "PLON" ms=5000
NEXT_TEMPLATES=PLON_ZEITRAUM;PLON_ANMELDUNG

[PLON_ZEITRAUM]
NAME=Zeitraum
SEQUENCE=KEYS "alt+v"; TYPE "#VON#"; KEYS "alt+i"; TYPE "#BIS#"

[PLON_ANMELDUNG]
NAME=Anmeldung
SEQUENCE=TYPE "#KENNWORT#"

[TOKENNAMES]
#VON#=Von
#BIS#=Bis
#KENNWORT#M=Kennwort
)";

TStoreTest::TStoreTest() {
    FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), QByteArray(CTestCatalogue));
    FHome.WriteSetting(QStringLiteral("MD_Programme.ini"),
                       "[PLON.EXE]\nNAME=Personaleinsatzplanung\nCOMMAND=/bin/true\n"
                       "[KUDRE.EXE]\nNAME=Kundenregister\nCOMMAND=/bin/true\n");
}

std::unique_ptr<TRecordingPlayer> TStoreTest::NewPlayer() const {
    return std::make_unique<TRecordingPlayer>(FPlayed);
}

std::unique_ptr<TZEP_MD_Processor> TStoreTest::NewProcessor() {
    return std::make_unique<TZEP_MD_Processor>(NewPlayer());
}

std::unique_ptr<TZEP_MD_Mandorel> TStoreTest::Mandorel(const QString& AName,
                                                       const QStringList& ATemplates) {
    auto mandorel = TZEP_MD_Mandorel::CreateNew(AName, QStringLiteral("PLON"));
    mandorel->Sequence().SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    for (const QString& vorlage : ATemplates) {
        mandorel->Sequence().Append(TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, vorlage});
    }
    mandorel->TokenValues().insert(QStringLiteral("#VON#"),
                                   QStringLiteral("#MONAT_NAECHSTER_ANFANG#"));
    return mandorel;
}

void TStoreTest::Store(std::unique_ptr<TZEP_MD_Mandorel> AMandorel) {
    auto processor = NewProcessor();
    processor->Load_Reports();
    ASSERT_TRUE(processor->Add_Mandorel(AMandorel, nullptr));
    processor->Save_Reports();
}
