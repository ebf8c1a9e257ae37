#pragma once

#include <QList>
#include <QStringList>

#include "vko_info.h"

// Collects messages instead of showing them; the caller decides what to do with them.
class TVKO_InfoMeldungListe {
public:
    struct TEintrag {
        TInfoKoord Koord;
        QStringList Args;
        QString Text;
    };

    void Meldung_Add(const TInfoKoord& AKoord, const QStringList& AArgs = {});
    const QList<TEintrag>& Meldungen() const { return FMeldungen; }
    bool IsEmpty() const { return FMeldungen.isEmpty(); }
    void Clear() { FMeldungen.clear(); }

private:
    QList<TEintrag> FMeldungen;
};
