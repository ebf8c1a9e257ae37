#include "vko_error.h"

TInfoKoord TInfoKoord::Construct(const QString& AProgramm, int ANummer) {
    return TInfoKoord{AProgramm, ANummer};
}

EVKO_Error::EVKO_Error(QString AText, TInfoKoord AKoord)
    : FText(std::move(AText)), FKoord(std::move(AKoord)), FUtf8(FText.toUtf8()) {}
