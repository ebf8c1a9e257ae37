#include "md_gui_controller.h"
#include "vko_info.h"

namespace {

[[noreturn]] void PlanungNichtVerfuegbar() {
    throw EVKO_Error(
        QStringLiteral("Die Planung von Mandorelen ist in dieser Version noch nicht "
                       "verfügbar. Es wurde nichts geplant."));
}

}  // namespace

void TZEP_MD_GUI_Controller_Impl::Load_Plan(const TIntTrio&, const TZEP_LoadPlan_Callback&) try {
    PlanungNichtVerfuegbar();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Load_Plan");
}

TIntTrio TZEP_MD_GUI_Controller_Impl::Save_Plan(TPlanSatz&) try {
    PlanungNichtVerfuegbar();
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.Save_Plan");
}
