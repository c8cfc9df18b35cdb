#include "toolkit/hint_text.h"

namespace swfp::tk {

std::wstring HintToShow(bool hintsWanted, const std::wstring& hint, const std::wstring& actionCaption) {
  if (!hintsWanted) return {};
  if (!hint.empty()) return hint;
  std::wstring text;
  for (size_t i = 0; i < actionCaption.size() && actionCaption[i] != L'\t'; ++i) {
    if (actionCaption[i] == L'&') {
      if (i + 1 >= actionCaption.size() || actionCaption[i + 1] != L'&') continue;
      ++i;
    }
    text += actionCaption[i];
  }
  return text;
}

}  // namespace swfp::tk
