#pragma once
// The whole screen saved as a picture, for a person to look at after a run.
#include <filesystem>

namespace swfp::wintest {

// Writes the screen as a 24-bit BMP file (the folder is created); throws when it cannot.
void SaveScreenshot(const std::filesystem::path& bmpFile);

}  // namespace swfp::wintest
