#pragma once
// Process-wide state filled once by the package reader at start-up and read
// afterwards by the windows. All of it lives on the main thread.
#include "app/player_package.h"
#include "app/player_settings.h"

#include <string>

extern PlayerSettings g_PlayerSettings;          // all zero until the settings block is read
extern MovieInformation g_MovieInformation;      // zero until the movie-information block is read
extern std::string g_RuntimeWarningText;         // text of the runtime-required warning, when shown
