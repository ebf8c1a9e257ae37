#include "md_gui_controller.h"
#include "vko_info.h"

void TZEP_MD_GUI_Controller_Impl::ExportSelectedReport() try {
    throw EVKO_Error(QStringLiteral("Der Export ist in dieser Version noch nicht verfügbar."));
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.ExportSelectedReport");
}

void TZEP_MD_GUI_Controller_Impl::ImportSelectedReport() try {
    throw EVKO_Error(QStringLiteral("Der Import ist in dieser Version noch nicht verfügbar."));
} catch (...) {
    RethrowRegistered("TZEP_MD_GUI_Controller_Impl.ImportSelectedReport");
}
