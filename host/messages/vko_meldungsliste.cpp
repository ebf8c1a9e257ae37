#include "vko_meldungsliste.h"

void TVKO_InfoMeldungListe::Meldung_Add(const TInfoKoord& AKoord, const QStringList& AArgs) {
    FMeldungen.append(TEintrag{AKoord, AArgs, VKOInfo().MeldungText(AKoord, AArgs)});
}
