// The Flash Player ActiveX control as both sides of this project see it: the
// class, its dual scripting interface (with every member at its vtable
// position) and its event interface. The control host calls through these
// declarations; the stand-in runtime module implements them.
//
// Vtable positions count from 0 with the three IUnknown and four IDispatch
// methods first, so the first Flash member (get_ReadyState) sits at position 7.
// Positions 7 to 72 are the same in every version. What follows position 72
// depends on the control's major version:
//   3      nothing
//   4      73 get_SWRemote, 74 put_SWRemote                       (IShockwaveFlashV4)
//   5      as 4, then 75 get_Stacking, 76 put_Stacking            (IShockwaveFlashV5)
//   6      nothing the host relies on                             (IShockwaveFlash)
//   7, 8+  73 TGetPropertyAsNumber, 74/75 SWRemote, 76/77 FlashVars,
//          78/79 AllowScriptAccess, 80/81 MovieData               (IShockwaveFlashV7)
// All versions answer QueryInterface for the same IID; the caller picks the
// tail declaration that matches the major version (FlashMajorVersionOf) and
// must never call past the end of the layout of that version.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

// {D27CDB6E-AE6D-11CF-96B8-444553540000}: the Flash Player ActiveX class.
inline constexpr GUID CLSID_ShockwaveFlash = {
    0xd27cdb6e, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6C-AE6D-11CF-96B8-444553540000}: the dual scripting interface.
inline constexpr GUID IID_IShockwaveFlash = {
    0xd27cdb6c, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6D-AE6D-11CF-96B8-444553540000}: the event (source) dispinterface.
inline constexpr GUID DIID_ShockwaveFlashEvents = {
    0xd27cdb6d, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Dispatch ids of the events fired through DIID_ShockwaveFlashEvents.
inline constexpr DISPID DISPID_FlashOnReadyStateChange = -609;  // (long newState)
inline constexpr DISPID DISPID_FlashOnProgress = 1958;          // (long percentDone)
inline constexpr DISPID DISPID_FlashFSCommand = 150;            // (BSTR command, BSTR args)

// Commands the control's window accepts as WM_COMMAND.
inline constexpr WORD FLASH_CMD_PRINT = 20054;
inline constexpr WORD FLASH_CMD_SHOW_ALL = 20034;

// Major version from the value FlashVersion (position 39) returns: bits 16 to 23.
inline constexpr int FlashMajorVersionOf(long flashVersion) {
  return static_cast<int>((static_cast<unsigned long>(flashVersion) >> 16) & 0xFF);
}

// Positions 7 to 72, common to every version.
MIDL_INTERFACE("D27CDB6C-AE6D-11CF-96B8-444553540000")
IShockwaveFlash : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_ReadyState(long* state) = 0;           // 7
  virtual HRESULT STDMETHODCALLTYPE get_TotalFrames(long* frames) = 0;         // 8
  virtual HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* playing) = 0;    // 9
  virtual HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL playing) = 0;     // 10
  virtual HRESULT STDMETHODCALLTYPE get_Quality(long* quality) = 0;            // 11
  virtual HRESULT STDMETHODCALLTYPE put_Quality(long quality) = 0;             // 12
  virtual HRESULT STDMETHODCALLTYPE get_ScaleMode(long* mode) = 0;             // 13
  virtual HRESULT STDMETHODCALLTYPE put_ScaleMode(long mode) = 0;              // 14
  virtual HRESULT STDMETHODCALLTYPE get_AlignMode(long* mode) = 0;             // 15
  virtual HRESULT STDMETHODCALLTYPE put_AlignMode(long mode) = 0;              // 16
  virtual HRESULT STDMETHODCALLTYPE get_BackgroundColor(long* colour) = 0;     // 17
  virtual HRESULT STDMETHODCALLTYPE put_BackgroundColor(long colour) = 0;      // 18
  virtual HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* loop) = 0;          // 19
  virtual HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL loop) = 0;           // 20
  virtual HRESULT STDMETHODCALLTYPE get_Movie(BSTR* url) = 0;                  // 21
  virtual HRESULT STDMETHODCALLTYPE put_Movie(BSTR url) = 0;                   // 22
  virtual HRESULT STDMETHODCALLTYPE get_FrameNum(long* frame) = 0;             // 23
  virtual HRESULT STDMETHODCALLTYPE put_FrameNum(long frame) = 0;              // 24
  virtual HRESULT STDMETHODCALLTYPE SetZoomRect(long left, long top, long right, long bottom) = 0;  // 25
  virtual HRESULT STDMETHODCALLTYPE Zoom(long factor) = 0;                     // 26
  virtual HRESULT STDMETHODCALLTYPE Pan(long x, long y, long mode) = 0;        // 27
  virtual HRESULT STDMETHODCALLTYPE Play() = 0;                                // 28
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;                                // 29
  virtual HRESULT STDMETHODCALLTYPE Back() = 0;                                // 30
  virtual HRESULT STDMETHODCALLTYPE Forward() = 0;                             // 31
  virtual HRESULT STDMETHODCALLTYPE Rewind() = 0;                              // 32
  virtual HRESULT STDMETHODCALLTYPE StopPlay() = 0;                            // 33
  virtual HRESULT STDMETHODCALLTYPE GotoFrame(long frame) = 0;                 // 34
  virtual HRESULT STDMETHODCALLTYPE CurrentFrame(long* frame) = 0;             // 35
  virtual HRESULT STDMETHODCALLTYPE IsPlaying(VARIANT_BOOL* playing) = 0;      // 36
  virtual HRESULT STDMETHODCALLTYPE PercentLoaded(long* percent) = 0;          // 37
  virtual HRESULT STDMETHODCALLTYPE FrameLoaded(long frame, VARIANT_BOOL* loaded) = 0;  // 38
  virtual HRESULT STDMETHODCALLTYPE FlashVersion(long* version) = 0;           // 39
  virtual HRESULT STDMETHODCALLTYPE get_WMode(BSTR* mode) = 0;                 // 40
  virtual HRESULT STDMETHODCALLTYPE put_WMode(BSTR mode) = 0;                  // 41
  virtual HRESULT STDMETHODCALLTYPE get_SAlign(BSTR* align) = 0;               // 42
  virtual HRESULT STDMETHODCALLTYPE put_SAlign(BSTR align) = 0;                // 43
  virtual HRESULT STDMETHODCALLTYPE get_Menu(VARIANT_BOOL* menu) = 0;          // 44
  virtual HRESULT STDMETHODCALLTYPE put_Menu(VARIANT_BOOL menu) = 0;           // 45
  virtual HRESULT STDMETHODCALLTYPE get_Base(BSTR* base) = 0;                  // 46
  virtual HRESULT STDMETHODCALLTYPE put_Base(BSTR base) = 0;                   // 47
  virtual HRESULT STDMETHODCALLTYPE get_Scale(BSTR* scale) = 0;                // 48
  virtual HRESULT STDMETHODCALLTYPE put_Scale(BSTR scale) = 0;                 // 49
  virtual HRESULT STDMETHODCALLTYPE get_DeviceFont(VARIANT_BOOL* device) = 0;  // 50
  virtual HRESULT STDMETHODCALLTYPE put_DeviceFont(VARIANT_BOOL device) = 0;   // 51
  virtual HRESULT STDMETHODCALLTYPE get_EmbedMovie(VARIANT_BOOL* embed) = 0;   // 52
  virtual HRESULT STDMETHODCALLTYPE put_EmbedMovie(VARIANT_BOOL embed) = 0;    // 53
  virtual HRESULT STDMETHODCALLTYPE get_BGColor(BSTR* colour) = 0;             // 54
  virtual HRESULT STDMETHODCALLTYPE put_BGColor(BSTR colour) = 0;              // 55
  virtual HRESULT STDMETHODCALLTYPE get_Quality2(BSTR* quality) = 0;           // 56
  virtual HRESULT STDMETHODCALLTYPE put_Quality2(BSTR quality) = 0;            // 57
  virtual HRESULT STDMETHODCALLTYPE LoadMovie(long layer, BSTR url) = 0;       // 58
  virtual HRESULT STDMETHODCALLTYPE TGotoFrame(BSTR target, long frame) = 0;   // 59
  virtual HRESULT STDMETHODCALLTYPE TGotoLabel(BSTR target, BSTR label) = 0;   // 60
  virtual HRESULT STDMETHODCALLTYPE TCurrentFrame(BSTR target, long* frame) = 0;  // 61
  virtual HRESULT STDMETHODCALLTYPE TCurrentLabel(BSTR target, BSTR* label) = 0;  // 62
  virtual HRESULT STDMETHODCALLTYPE TPlay(BSTR target) = 0;                    // 63
  virtual HRESULT STDMETHODCALLTYPE TStopPlay(BSTR target) = 0;                // 64
  virtual HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) = 0;    // 65
  virtual HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) = 0;   // 66
  virtual HRESULT STDMETHODCALLTYPE TSetProperty(BSTR target, long property, BSTR value) = 0;   // 67
  virtual HRESULT STDMETHODCALLTYPE TGetProperty(BSTR target, long property, BSTR* value) = 0;  // 68
  virtual HRESULT STDMETHODCALLTYPE TCallFrame(BSTR target, long frame) = 0;   // 69
  virtual HRESULT STDMETHODCALLTYPE TCallLabel(BSTR target, BSTR label) = 0;   // 70
  virtual HRESULT STDMETHODCALLTYPE TSetPropertyNum(BSTR target, long property, double value) = 0;   // 71
  virtual HRESULT STDMETHODCALLTYPE TGetPropertyNum(BSTR target, long property, double* value) = 0;  // 72
};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IShockwaveFlash, 0xd27cdb6c, 0xae6d, 0x11cf, 0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00)
#endif

// Tail of versions 4 and 5 (same IID as IShockwaveFlash).
struct IShockwaveFlashV4 : public IShockwaveFlash {
  virtual HRESULT STDMETHODCALLTYPE get_SWRemote(BSTR* remote) = 0;            // 73
  virtual HRESULT STDMETHODCALLTYPE put_SWRemote(BSTR remote) = 0;             // 74
};

// Version 5 adds Stacking after the version 4 tail.
struct IShockwaveFlashV5 : public IShockwaveFlashV4 {
  virtual HRESULT STDMETHODCALLTYPE get_Stacking(BSTR* stacking) = 0;          // 75
  virtual HRESULT STDMETHODCALLTYPE put_Stacking(BSTR stacking) = 0;           // 76
};

// Tail of version 7 and later (same IID as IShockwaveFlash). Hosts forward
// TGetPropertyAsNumber and MovieData to major version 7 only.
struct IShockwaveFlashV7 : public IShockwaveFlash {
  virtual HRESULT STDMETHODCALLTYPE TGetPropertyAsNumber(BSTR target, long property, double* value) = 0;  // 73
  virtual HRESULT STDMETHODCALLTYPE get_SWRemote(BSTR* remote) = 0;            // 74
  virtual HRESULT STDMETHODCALLTYPE put_SWRemote(BSTR remote) = 0;             // 75
  virtual HRESULT STDMETHODCALLTYPE get_FlashVars(BSTR* vars) = 0;             // 76
  virtual HRESULT STDMETHODCALLTYPE put_FlashVars(BSTR vars) = 0;              // 77
  virtual HRESULT STDMETHODCALLTYPE get_AllowScriptAccess(BSTR* access) = 0;   // 78
  virtual HRESULT STDMETHODCALLTYPE put_AllowScriptAccess(BSTR access) = 0;    // 79
  virtual HRESULT STDMETHODCALLTYPE get_MovieData(BSTR* data) = 0;             // 80
  virtual HRESULT STDMETHODCALLTYPE put_MovieData(BSTR data) = 0;              // 81
};

// Versions 8 and later present the version 7 tail.
using IShockwaveFlashV8 = IShockwaveFlashV7;
