#pragma once

#include "vko_info.h"

// Shows messages and errors as message boxes of the application's active window.
class TZEP_MD_MessageBoxPresenter : public IVKO_MeldungPresenter {
public:
    int Present(const TVKO_Meldung& AMeldung) override;
    void PresentError(const TVKO_FehlerInfo& AFehler) override;
};
