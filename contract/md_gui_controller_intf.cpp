#include "md_gui_controller_intf.h"

#include "md_glyph_imagelist.h"
#include "zep_menu_file.h"

TZEP_MD_GUI_Controller::TZEP_MD_GUI_Controller() = default;

TZEP_MD_GUI_Controller::~TZEP_MD_GUI_Controller() = default;
