// The scripting interface of the stand-in object and the movie it plays.
#include "standin/flash_object_win.h"

#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include "standin/movie_fetch_win.h"
#include "standin/observation_log.h"

namespace standin {
namespace {

std::wstring Text(BSTR s) { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }
std::string U(BSTR s) { return Utf8(Text(s).c_str()); }
VARIANT_BOOL Vb(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

HRESULT OutText(const std::wstring& value, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

template <typename T, typename V>
HRESULT Out(T* out, V value) {
  if (!out) return E_POINTER;
  *out = static_cast<T>(value);
  return S_OK;
}

std::wstring Wide(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring w(n - 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
  return w;
}

// Targets "" and "/" and "_level0" name the main timeline, the only one here.
bool IsMainTimeline(BSTR target) {
  std::wstring t = Text(target);
  return t.empty() || t == L"/" || t == L"_level0" || t == L"_root";
}

}  // namespace

// ---- movie -------------------------------------------------------------------

void FlashObject::UnloadMovie() {
  movie_.reset();
  firstFramePending_ = false;
  playback_.unload();
  UpdateTimer();
  UpdateAudio();
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

// The frame on show changed: run its actions and repaint.
void FlashObject::EnterFrame() {
  if (!movie_) return;
  Microsoft::WRL::ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
  int index = playback_.current();
  Log("frame %d", index);
  const Frame frame = movie_->frames[index];  // a copy: an event may load another movie
  for (const FrameAction& action : frame.actions) {
    if (action.kind != ActionKind::GetUrl) {
      Log("action %s", action.kind == ActionKind::Stop ? "stop" : "play");
      if (action.kind == ActionKind::Stop) playback_.stop(); else playback_.play();
      continue;
    }
    if (auto command = FsCommandOf(action.url)) {
      FireFsCommand(*command, action.target);
    } else {
      Log("geturl %s %s", action.url.c_str(), action.target.c_str());
    }
  }
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void FlashObject::AfterMove(bool changed) {
  if (changed) EnterFrame();
  UpdateTimer();
  UpdateAudio();
}

void FlashObject::SetReadyState(long state) {
  if (state == readyState_) return;
  readyState_ = state;
  Log("event ReadyStateChange %ld", state);
  VARIANTARG arg;
  VariantInit(&arg);
  arg.vt = VT_I4;
  arg.lVal = state;
  if (eventPoint_ && freezeCount_ == 0) eventPoint_->FireDispatch(DISPID_FlashOnReadyStateChange, &arg, 1);
  if (notifyPoint_) notifyPoint_->FireChanged(DISPID_READYSTATE);
}

void FlashObject::FireProgress(long percent) {
  if (percent == percentLoaded_) return;
  percentLoaded_ = percent;
  Log("event Progress %ld", percent);
  VARIANTARG arg;
  VariantInit(&arg);
  arg.vt = VT_I4;
  arg.lVal = percent;
  if (eventPoint_ && freezeCount_ == 0) eventPoint_->FireDispatch(DISPID_FlashOnProgress, &arg, 1);
}

void FlashObject::FireFsCommand(const std::string& command, const std::string& args) {
  Log("event FSCommand %s %s", command.c_str(), args.c_str());
  if (!eventPoint_ || freezeCount_ > 0) return;
  std::wstring wc = Wide(command), wa = Wide(args);
  VARIANTARG argv[2];
  VariantInit(&argv[0]);
  VariantInit(&argv[1]);
  argv[0].vt = VT_BSTR;  // last argument first
  argv[0].bstrVal = SysAllocStringLen(wa.data(), static_cast<UINT>(wa.size()));
  argv[1].vt = VT_BSTR;
  argv[1].bstrVal = SysAllocStringLen(wc.data(), static_cast<UINT>(wc.size()));
  eventPoint_->FireDispatch(DISPID_FlashFSCommand, argv, 2);
  VariantClear(&argv[0]);
  VariantClear(&argv[1]);
}

void FlashObject::UpdateAudio() {
  audio_.SetActive(movie_ && movie_->hasSound && playback_.playing());
}

// ---- scripting interface -------------------------------------------------------

HRESULT STDMETHODCALLTYPE FlashObject::get_ReadyState(long* v) { Log("call get_ReadyState"); return Out(v, readyState_); }
HRESULT STDMETHODCALLTYPE FlashObject::get_TotalFrames(long* v) { Log("call get_TotalFrames"); return Out(v, playback_.totalFrames()); }
HRESULT STDMETHODCALLTYPE FlashObject::get_Playing(VARIANT_BOOL* v) { Log("call get_Playing"); return Out(v, Vb(playback_.playing())); }
HRESULT STDMETHODCALLTYPE FlashObject::put_Playing(VARIANT_BOOL v) {
  Log("call put_Playing %d", v);
  playOnLoad_ = v != 0;
  if (v) playback_.play(); else playback_.stop();
  AfterMove(false);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::get_Quality(long* v) { Log("call get_Quality"); return Out(v, quality_); }
HRESULT STDMETHODCALLTYPE FlashObject::put_Quality(long v) { Log("call put_Quality %ld", v); quality_ = v; return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::get_ScaleMode(long* v) { Log("call get_ScaleMode"); return Out(v, scaleMode_); }
HRESULT STDMETHODCALLTYPE FlashObject::put_ScaleMode(long v) { Log("call put_ScaleMode %ld", v); scaleMode_ = v; return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::get_AlignMode(long* v) { Log("call get_AlignMode"); return Out(v, alignMode_); }
HRESULT STDMETHODCALLTYPE FlashObject::put_AlignMode(long v) { Log("call put_AlignMode %ld", v); alignMode_ = v; return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::get_BackgroundColor(long* v) { Log("call get_BackgroundColor"); return Out(v, backgroundColor_); }
HRESULT STDMETHODCALLTYPE FlashObject::put_BackgroundColor(long v) {
  Log("call put_BackgroundColor %ld", v);
  backgroundColor_ = v;
  if (window_) InvalidateRect(window_, nullptr, FALSE);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::get_Loop(VARIANT_BOOL* v) {
  Log("call get_Loop");
  if (FaultRequested("refuse-loop")) return E_FAIL;
  return Out(v, Vb(playback_.loop()));
}
HRESULT STDMETHODCALLTYPE FlashObject::put_Loop(VARIANT_BOOL v) {
  Log("call put_Loop %d", v);
  if (FaultRequested("refuse-loop")) return E_FAIL;
  playback_.setLoop(v != 0);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::get_Movie(BSTR* v) { Log("call get_Movie"); return OutText(movieUrl_, v); }
HRESULT STDMETHODCALLTYPE FlashObject::put_Movie(BSTR v) {
  Log("call put_Movie %s", U(v).c_str());
  movieUrl_ = Text(v);
  RequestLoad(movieUrl_);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::get_FrameNum(long* v) { Log("call get_FrameNum"); return Out(v, playback_.current()); }
HRESULT STDMETHODCALLTYPE FlashObject::put_FrameNum(long v) {
  Log("call put_FrameNum %ld", v);
  AfterMove(playback_.gotoFrame(v));
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::SetZoomRect(long l, long t, long r, long b) {
  Log("call SetZoomRect %ld %ld %ld %ld", l, t, r, b);
  if (!view_.setZoomRect({l, t, r, b})) return E_INVALIDARG;
  if (window_) InvalidateRect(window_, nullptr, FALSE);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::Zoom(long factor) {
  Log("call Zoom %ld", factor);
  if (!view_.zoom(factor)) return E_INVALIDARG;
  if (window_) InvalidateRect(window_, nullptr, FALSE);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::Pan(long x, long y, long mode) {
  Log("call Pan %ld %ld %ld", x, y, mode);
  if (!view_.pan(x, y, mode)) return E_INVALIDARG;
  if (window_) InvalidateRect(window_, nullptr, FALSE);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::Play() { Log("call Play"); playOnLoad_ = true; playback_.play(); AfterMove(false); return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::Stop() { Log("call Stop"); playOnLoad_ = false; playback_.stop(); AfterMove(false); return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::Back() { Log("call Back"); AfterMove(playback_.back()); return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::Forward() { Log("call Forward"); AfterMove(playback_.forward()); return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::Rewind() { Log("call Rewind"); AfterMove(playback_.rewind()); return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::StopPlay() { Log("call StopPlay"); playOnLoad_ = false; playback_.stop(); AfterMove(false); return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::GotoFrame(long frame) { Log("call GotoFrame %ld", frame); AfterMove(playback_.gotoFrame(frame)); return S_OK; }
HRESULT STDMETHODCALLTYPE FlashObject::CurrentFrame(long* v) { Log("call CurrentFrame"); return Out(v, playback_.current()); }
HRESULT STDMETHODCALLTYPE FlashObject::IsPlaying(VARIANT_BOOL* v) { Log("call IsPlaying"); return Out(v, Vb(playback_.playing())); }
HRESULT STDMETHODCALLTYPE FlashObject::PercentLoaded(long* v) { Log("call PercentLoaded"); return Out(v, percentLoaded_); }
HRESULT STDMETHODCALLTYPE FlashObject::FrameLoaded(long frame, VARIANT_BOOL* v) {
  Log("call FrameLoaded %ld", frame);
  return Out(v, Vb(frame >= 0 && frame < playback_.totalFrames()));
}
HRESULT STDMETHODCALLTYPE FlashObject::FlashVersion(long* v) {
  Log("call FlashVersion");
  return Out(v, (STANDIN_VERSION_MAJOR << 16) | (STANDIN_VERSION_MINOR << 8) | (STANDIN_VERSION_BUILD & 0xFF));
}

#define STANDIN_TEXT_PROPERTY(Name, field)                                                              \
  HRESULT STDMETHODCALLTYPE FlashObject::get_##Name(BSTR* v) { Log("call get_" #Name); return OutText(field, v); } \
  HRESULT STDMETHODCALLTYPE FlashObject::put_##Name(BSTR v) {                                         \
    Log("call put_" #Name " %s", U(v).c_str());                                                       \
    field = Text(v);                                                                                  \
    return S_OK;                                                                                      \
  }
#define STANDIN_BOOL_PROPERTY(Name, field)                                                                  \
  HRESULT STDMETHODCALLTYPE FlashObject::get_##Name(VARIANT_BOOL* v) { Log("call get_" #Name); return Out(v, Vb(field)); } \
  HRESULT STDMETHODCALLTYPE FlashObject::put_##Name(VARIANT_BOOL v) {                                     \
    Log("call put_" #Name " %d", v);                                                                      \
    field = v != 0;                                                                                       \
    return S_OK;                                                                                          \
  }

STANDIN_TEXT_PROPERTY(WMode, wmode_)
STANDIN_TEXT_PROPERTY(SAlign, salign_)
STANDIN_BOOL_PROPERTY(Menu, menu_)
STANDIN_TEXT_PROPERTY(Base, base_)
STANDIN_TEXT_PROPERTY(Scale, scale_)
STANDIN_BOOL_PROPERTY(DeviceFont, deviceFont_)
STANDIN_BOOL_PROPERTY(EmbedMovie, embedMovie_)
STANDIN_TEXT_PROPERTY(BGColor, bgcolor_)
STANDIN_TEXT_PROPERTY(Quality2, quality2_)
STANDIN_TEXT_PROPERTY(SWRemote, swremote_)
STANDIN_TEXT_PROPERTY(Stacking, stacking_)
STANDIN_TEXT_PROPERTY(FlashVars, flashVars_)
STANDIN_TEXT_PROPERTY(AllowScriptAccess, allowScriptAccess_)
STANDIN_TEXT_PROPERTY(MovieData, movieData_)

HRESULT STDMETHODCALLTYPE FlashObject::LoadMovie(long layer, BSTR url) {
  Log("call LoadMovie %ld %s", layer, U(url).c_str());
  // Only level 0 exists here: other layers are accepted and not shown.
  if (layer == 0) {
    movieUrl_ = Text(url);
    RequestLoad(movieUrl_);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashObject::TGotoFrame(BSTR target, long frame) {
  Log("call TGotoFrame %s %ld", U(target).c_str(), frame);
  if (!IsMainTimeline(target)) return E_INVALIDARG;
  AfterMove(playback_.gotoFrame(frame));
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::TGotoLabel(BSTR target, BSTR label) {
  Log("call TGotoLabel %s %s", U(target).c_str(), U(label).c_str());
  if (!IsMainTimeline(target) || !movie_) return E_INVALIDARG;
  int frame = movie_->findLabel(U(label));
  if (frame < 0) return E_INVALIDARG;
  AfterMove(playback_.gotoFrame(frame));
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::TCurrentFrame(BSTR target, long* v) {
  Log("call TCurrentFrame %s", U(target).c_str());
  if (!IsMainTimeline(target)) return E_INVALIDARG;
  return Out(v, playback_.current());
}
HRESULT STDMETHODCALLTYPE FlashObject::TCurrentLabel(BSTR target, BSTR* v) {
  Log("call TCurrentLabel %s", U(target).c_str());
  if (!IsMainTimeline(target)) return E_INVALIDARG;
  // The label of the current frame or, failing that, of the nearest labelled frame before it.
  std::string label;
  if (movie_)
    for (int i = playback_.current(); i >= 0 && label.empty(); --i) label = movie_->frames[i].label;
  return OutText(Wide(label), v);
}
HRESULT STDMETHODCALLTYPE FlashObject::TPlay(BSTR target) {
  Log("call TPlay %s", U(target).c_str());
  if (!IsMainTimeline(target)) return E_INVALIDARG;
  playback_.play();
  AfterMove(false);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::TStopPlay(BSTR target) {
  Log("call TStopPlay %s", U(target).c_str());
  if (!IsMainTimeline(target)) return E_INVALIDARG;
  playback_.stop();
  AfterMove(false);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::SetVariable(BSTR name, BSTR value) {
  Log("call SetVariable %s %s", U(name).c_str(), U(value).c_str());
  variables_[Text(name)] = Text(value);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::GetVariable(BSTR name, BSTR* value) {
  Log("call GetVariable %s", U(name).c_str());
  auto it = variables_.find(Text(name));
  if (it == variables_.end()) {
    if (value) *value = nullptr;
    return E_FAIL;  // an undefined variable
  }
  return OutText(it->second, value);
}

// Property numbers as the scripting language numbers them: 0 _x ... 4 _currentframe, 5 _totalframes ...
namespace {
bool ReadOnlyProperty(long property) { return property == 4 || property == 5; }
}

HRESULT STDMETHODCALLTYPE FlashObject::TSetProperty(BSTR target, long property, BSTR value) {
  Log("call TSetProperty %s %ld %s", U(target).c_str(), property, U(value).c_str());
  if (!IsMainTimeline(target) || ReadOnlyProperty(property)) return E_INVALIDARG;
  variables_[L"\x01prop" + std::to_wstring(property)] = Text(value);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::TGetProperty(BSTR target, long property, BSTR* value) {
  Log("call TGetProperty %s %ld", U(target).c_str(), property);
  if (!IsMainTimeline(target)) return E_INVALIDARG;
  if (property == 4) return OutText(std::to_wstring(playback_.current() + 1), value);
  if (property == 5) return OutText(std::to_wstring(playback_.totalFrames()), value);
  auto it = variables_.find(L"\x01prop" + std::to_wstring(property));
  return OutText(it == variables_.end() ? std::wstring() : it->second, value);
}
HRESULT STDMETHODCALLTYPE FlashObject::TCallFrame(BSTR target, long frame) {
  Log("call TCallFrame %s %ld", U(target).c_str(), frame);
  if (!IsMainTimeline(target) || !movie_ || frame < 0 || frame >= playback_.totalFrames()) return E_INVALIDARG;
  // Runs that frame's actions without moving the playhead.
  for (const FrameAction& action : Frame(movie_->frames[frame]).actions)
    if (auto command = FsCommandOf(action.url)) FireFsCommand(*command, action.target);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::TCallLabel(BSTR target, BSTR label) {
  Log("call TCallLabel %s %s", U(target).c_str(), U(label).c_str());
  if (!movie_) return E_INVALIDARG;
  int frame = movie_->findLabel(U(label));
  if (frame < 0 || !IsMainTimeline(target)) return E_INVALIDARG;
  for (const FrameAction& action : Frame(movie_->frames[frame]).actions)
    if (auto command = FsCommandOf(action.url)) FireFsCommand(*command, action.target);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::TSetPropertyNum(BSTR target, long property, double value) {
  Log("call TSetPropertyNum %s %ld %g", U(target).c_str(), property, value);
  if (!IsMainTimeline(target) || ReadOnlyProperty(property)) return E_INVALIDARG;
  char text[64];
  snprintf(text, sizeof text, "%g", value);
  variables_[L"\x01prop" + std::to_wstring(property)] = Wide(text);
  return S_OK;
}
HRESULT FlashObject::PropertyNumber(BSTR target, long property, double* value) {
  if (!value) return E_POINTER;
  *value = 0;
  if (!IsMainTimeline(target)) return E_INVALIDARG;
  if (property == 4) {
    *value = playback_.current() + 1;
  } else if (property == 5) {
    *value = playback_.totalFrames();
  } else {
    auto it = variables_.find(L"\x01prop" + std::to_wstring(property));
    if (it != variables_.end()) *value = wcstod(it->second.c_str(), nullptr);
  }
  return S_OK;
}
HRESULT STDMETHODCALLTYPE FlashObject::TGetPropertyNum(BSTR target, long property, double* value) {
  Log("call TGetPropertyNum %s %ld", U(target).c_str(), property);
  return PropertyNumber(target, property, value);
}
HRESULT STDMETHODCALLTYPE FlashObject::TGetPropertyAsNumber(BSTR target, long property, double* value) {
  Log("call TGetPropertyAsNumber %s %ld", U(target).c_str(), property);
  return PropertyNumber(target, property, value);
}

}  // namespace standin
