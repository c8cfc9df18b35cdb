#include "app/swf_plr_globals.h"

PlayerSettings g_PlayerSettings{};
MovieInformation g_MovieInformation{};
std::string g_RuntimeWarningText;
