// The stored layout texts (the .json files of this folder, compiled in).
#pragma once

namespace swfp::layouts {
extern const char* const kFrmPlrLayoutText;
extern const char* const kFrmSplashLayoutText;
extern const char* const kFrmAboutLayoutText;
}  // namespace swfp::layouts
