// Operations, properties and events of the Flash object, as members of the control.
#include "flashhost/FlashPlayerControl_win.h"

#include <oleauto.h>

#include <utility>

#include "flashhost/stock_events.h"
#include "toolkit/application_win.h"
#include "winbase/bstr_win.h"

namespace flashhost {

using Microsoft::WRL::ComPtr;
using swfp::win::Bstr;

namespace {

// Calls the member at a position of the interface's method table. The layout past
// the common part differs by version, so properties are reached by the position
// the gating table gives for the object's version.
template <class... A>
HRESULT CallSlot(IShockwaveFlash* flash, int slot, A... args)
{
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IShockwaveFlash*, A...);
    void** table = *reinterpret_cast<void***>(flash);
    return reinterpret_cast<Fn>(table[slot])(flash, args...);
}

// How each property type crosses the interface.
template <class T> struct Wire;
template <> struct Wire<long> {
    static long Get(IShockwaveFlash* f, int slot)
    {
        long v = 0;
        OleCheck(CallSlot(f, slot, &v));
        return v;
    }
    static void Put(IShockwaveFlash* f, int slot, long v) { OleCheck(CallSlot(f, slot, v)); }
};
template <> struct Wire<bool> {
    static bool Get(IShockwaveFlash* f, int slot)
    {
        VARIANT_BOOL v = VARIANT_FALSE;
        OleCheck(CallSlot(f, slot, &v));
        return v != VARIANT_FALSE;
    }
    static void Put(IShockwaveFlash* f, int slot, bool v)
    {
        OleCheck(CallSlot(f, slot, static_cast<VARIANT_BOOL>(v ? VARIANT_TRUE : VARIANT_FALSE)));
    }
};
template <> struct Wire<std::wstring> {
    static std::wstring Get(IShockwaveFlash* f, int slot)
    {
        Bstr v;
        OleCheck(CallSlot(f, slot, v.out()));
        return v.str();
    }
    static void Put(IShockwaveFlash* f, int slot, const std::wstring& v)
    {
        Bstr b(v);
        OleCheck(CallSlot(f, slot, b.get()));
    }
};

// A variant argument of an event, by value or by reference.
long VariantLong(const VARIANT& v)
{
    VARIANT copy, converted;
    VariantInit(&copy);
    VariantInit(&converted);
    long result = 0;
    if (SUCCEEDED(VariantCopyInd(&copy, const_cast<VARIANT*>(&v))) && SUCCEEDED(VariantChangeType(&converted, &copy, 0, VT_I4)))
        result = converted.lVal;
    VariantClear(&copy);
    VariantClear(&converted);
    return result;
}

std::wstring VariantString(const VARIANT& v)
{
    if (v.vt == VT_BSTR) return v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : std::wstring();
    VARIANT copy, converted;
    VariantInit(&copy);
    VariantInit(&converted);
    std::wstring result;
    if (SUCCEEDED(VariantCopyInd(&copy, const_cast<VARIANT*>(&v))) && SUCCEEDED(VariantChangeType(&converted, &copy, 0, VT_BSTR)) &&
        converted.bstrVal)
        result.assign(converted.bstrVal, SysStringLen(converted.bstrVal));
    VariantClear(&copy);
    VariantClear(&converted);
    return result;
}

// Writes a changed value back into a by-reference integer argument.
void WriteBackShort(VARIANT& v, long value)
{
    if (v.vt == (VT_BYREF | VT_I2) && v.piVal) *v.piVal = static_cast<SHORT>(value);
    else if (v.vt == (VT_BYREF | VT_I4) && v.plVal) *v.plVal = value;
}

}  // namespace

// ---- the interface ------------------------------------------------------------------

ComPtr<IShockwaveFlash> TFlashPlayerControl::Flash()
{
    if (!oleObject_) throw EOleError(E_NOINTERFACE);
    ComPtr<IShockwaveFlash> flash;
    OleCheck(oleObject_->QueryInterface(IID_IShockwaveFlash, reinterpret_cast<void**>(flash.GetAddressOf())));
    if (!flash) throw EOleError(E_NOINTERFACE);
    return flash;
}

int TFlashPlayerControl::GetFlashMajorVersion()
{
    if (!oleObject_) return -1;
    return FlashLayoutVersion(FlashVersion());
}

template <class T>
T TFlashPlayerControl::GetProperty(FlashMember member, const T& copy)
{
    T result = copy;
    try {
        if (!oleObject_) return result;
        const auto slots = FlashMemberSlotsFor(member, GetFlashMajorVersion());
        if (!slots) return result;
        result = Wire<T>::Get(Flash().Get(), slots->Getter);
    } catch (...) {
        // Properties never raise: the caller gets the copy (or what was read).
    }
    return result;
}

template <class T>
void TFlashPlayerControl::SetProperty(FlashMember member, T& copy, const T& value)
{
    copy = value;
    try {
        if (!oleObject_) return;
        const auto slots = FlashMemberSlotsFor(member, GetFlashMajorVersion());
        if (!slots || slots->Setter < 0) return;
        Wire<T>::Put(Flash().Get(), slots->Setter, value);
    } catch (...) {
    }
}

// ---- methods ------------------------------------------------------------------------

void TFlashPlayerControl::SetZoomRect(long l, long t, long r, long b) { OleCheck(Flash()->SetZoomRect(l, t, r, b)); }
void TFlashPlayerControl::Zoom(long factor) { OleCheck(Flash()->Zoom(factor)); }
void TFlashPlayerControl::Pan(long x, long y, long mode) { OleCheck(Flash()->Pan(x, y, mode)); }
void TFlashPlayerControl::Play() { OleCheck(Flash()->Play()); }
void TFlashPlayerControl::Stop() { OleCheck(Flash()->Stop()); }
void TFlashPlayerControl::Back() { OleCheck(Flash()->Back()); }
void TFlashPlayerControl::Forward() { OleCheck(Flash()->Forward()); }
void TFlashPlayerControl::Rewind() { OleCheck(Flash()->Rewind()); }
void TFlashPlayerControl::StopPlay() { OleCheck(Flash()->StopPlay()); }
void TFlashPlayerControl::GotoFrame(long frameNum) { OleCheck(Flash()->GotoFrame(frameNum)); }

long TFlashPlayerControl::CurrentFrame()
{
    long v = 0;
    OleCheck(Flash()->CurrentFrame(&v));
    return v;
}

bool TFlashPlayerControl::IsPlaying()
{
    VARIANT_BOOL v = VARIANT_FALSE;
    OleCheck(Flash()->IsPlaying(&v));
    return v != VARIANT_FALSE;
}

long TFlashPlayerControl::PercentLoaded()
{
    long v = 0;
    OleCheck(Flash()->PercentLoaded(&v));
    return v;
}

bool TFlashPlayerControl::FrameLoaded(long frameNum)
{
    VARIANT_BOOL v = VARIANT_FALSE;
    OleCheck(Flash()->FrameLoaded(frameNum, &v));
    return v != VARIANT_FALSE;
}

long TFlashPlayerControl::FlashVersion()
{
    long v = 0;
    OleCheck(Flash()->FlashVersion(&v));
    return v;
}

void TFlashPlayerControl::LoadMovie(long layer, const std::wstring& url)
{
    Bstr b(url);
    OleCheck(Flash()->LoadMovie(layer, b.get()));
}

void TFlashPlayerControl::TGotoFrame(const std::wstring& target, long frameNum)
{
    Bstr t(target);
    OleCheck(Flash()->TGotoFrame(t.get(), frameNum));
}

void TFlashPlayerControl::TGotoLabel(const std::wstring& target, const std::wstring& label)
{
    Bstr t(target), l(label);
    OleCheck(Flash()->TGotoLabel(t.get(), l.get()));
}

long TFlashPlayerControl::TCurrentFrame(const std::wstring& target)
{
    Bstr t(target);
    long v = 0;
    OleCheck(Flash()->TCurrentFrame(t.get(), &v));
    return v;
}

std::wstring TFlashPlayerControl::TCurrentLabel(const std::wstring& target)
{
    Bstr t(target), v;
    OleCheck(Flash()->TCurrentLabel(t.get(), v.out()));
    return v.str();
}

void TFlashPlayerControl::TPlay(const std::wstring& target)
{
    Bstr t(target);
    OleCheck(Flash()->TPlay(t.get()));
}

void TFlashPlayerControl::TStopPlay(const std::wstring& target)
{
    Bstr t(target);
    OleCheck(Flash()->TStopPlay(t.get()));
}

void TFlashPlayerControl::SetVariable(const std::wstring& name, const std::wstring& value)
{
    Bstr n(name), v(value);
    OleCheck(Flash()->SetVariable(n.get(), v.get()));
}

std::wstring TFlashPlayerControl::GetVariable(const std::wstring& name)
{
    Bstr n(name), v;
    OleCheck(Flash()->GetVariable(n.get(), v.out()));
    return v.str();
}

void TFlashPlayerControl::TSetProperty(const std::wstring& target, long property, const std::wstring& value)
{
    Bstr t(target), v(value);
    OleCheck(Flash()->TSetProperty(t.get(), property, v.get()));
}

std::wstring TFlashPlayerControl::TGetProperty(const std::wstring& target, long property)
{
    Bstr t(target), v;
    OleCheck(Flash()->TGetProperty(t.get(), property, v.out()));
    return v.str();
}

void TFlashPlayerControl::TCallFrame(const std::wstring& target, long frameNum)
{
    Bstr t(target);
    OleCheck(Flash()->TCallFrame(t.get(), frameNum));
}

void TFlashPlayerControl::TCallLabel(const std::wstring& target, const std::wstring& label)
{
    Bstr t(target), l(label);
    OleCheck(Flash()->TCallLabel(t.get(), l.get()));
}

void TFlashPlayerControl::TSetPropertyNum(const std::wstring& target, long property, double value)
{
    Bstr t(target);
    OleCheck(Flash()->TSetPropertyNum(t.get(), property, value));
}

double TFlashPlayerControl::TGetPropertyNum(const std::wstring& target, long property)
{
    Bstr t(target);
    double v = 0;
    OleCheck(Flash()->TGetPropertyNum(t.get(), property, &v));
    return v;
}

double TFlashPlayerControl::TGetPropertyAsNumber(const std::wstring& target, long property)
{
    const auto slots = FlashMemberSlotsFor(FlashMember::TGetPropertyAsNumber, GetFlashMajorVersion());
    if (!slots) return 0;
    Bstr t(target);
    double v = 0;
    OleCheck(CallSlot(Flash().Get(), slots->Getter, t.get(), property, &v));
    return v;
}

long TFlashPlayerControl::ReadyState() { return GetProperty<long>(FlashMember::ReadyState, readyState_); }
long TFlashPlayerControl::TotalFrames() { return GetProperty<long>(FlashMember::TotalFrames, totalFrames_); }

// ---- properties ---------------------------------------------------------------------

#define FLASH_PROPERTY(Type, Name, field)                                                          \
    Type TFlashPlayerControl::Name() { return GetProperty<Type>(FlashMember::Name, field); }       \
    void TFlashPlayerControl::Set##Name(const Type& value) { SetProperty<Type>(FlashMember::Name, field, value); }

#define FLASH_VALUE_PROPERTY(Type, Name, field)                                                    \
    Type TFlashPlayerControl::Name() { return GetProperty<Type>(FlashMember::Name, field); }       \
    void TFlashPlayerControl::Set##Name(Type value) { SetProperty<Type>(FlashMember::Name, field, value); }

FLASH_VALUE_PROPERTY(long, FrameNum, frameNum_)
FLASH_VALUE_PROPERTY(bool, Playing, playing_)
FLASH_VALUE_PROPERTY(long, Quality, quality_)
FLASH_VALUE_PROPERTY(long, ScaleMode, scaleMode_)
FLASH_VALUE_PROPERTY(long, AlignMode, alignMode_)
FLASH_VALUE_PROPERTY(long, BackgroundColor, backgroundColor_)
FLASH_VALUE_PROPERTY(bool, Loop, loop_)
FLASH_PROPERTY(std::wstring, WMode, wMode_)
FLASH_PROPERTY(std::wstring, SAlign, sAlign_)
FLASH_VALUE_PROPERTY(bool, Menu, menu_)
FLASH_PROPERTY(std::wstring, Base, base_)
FLASH_PROPERTY(std::wstring, Scale, scale_)
FLASH_VALUE_PROPERTY(bool, DeviceFont, deviceFont_)
FLASH_VALUE_PROPERTY(bool, EmbedMovie, embedMovie_)
FLASH_PROPERTY(std::wstring, BGColor, bgColor_)
FLASH_PROPERTY(std::wstring, Quality2, quality2_)
FLASH_PROPERTY(std::wstring, SWRemote, swRemote_)
FLASH_PROPERTY(std::wstring, Stacking, stacking_)
FLASH_PROPERTY(std::wstring, FlashVars, flashVars_)
FLASH_PROPERTY(std::wstring, AllowScriptAccess, allowScriptAccess_)
FLASH_PROPERTY(std::wstring, MovieData, movieData_)

#undef FLASH_PROPERTY
#undef FLASH_VALUE_PROPERTY

std::wstring TFlashPlayerControl::Movie() { return GetProperty<std::wstring>(FlashMember::Movie, movie_); }

void TFlashPlayerControl::SetMovie(const std::wstring& value)
{
    // The text is kept, so Movie reads back what was assigned when no object answers.
    SetProperty<std::wstring>(FlashMember::Movie, movie_, value);
    ContinueMovieSetter(value);
}

// ---- events ---------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TFlashPlayerControlEventDispatch::QueryInterface(REFIID riid, void** object)
{
    IDispatch* self = this;
    return swfp::win::QueryInterfaceFromTable(
        riid, object, {{IID_IUnknown, self}, {IID_IDispatch, self}, {control_.controlDescription_->EventIID, self}});
}

ULONG STDMETHODCALLTYPE TFlashPlayerControlEventDispatch::AddRef() { return control_.AddRef(); }
ULONG STDMETHODCALLTYPE TFlashPlayerControlEventDispatch::Release() { return control_.Release(); }

HRESULT STDMETHODCALLTYPE TFlashPlayerControlEventDispatch::GetTypeInfoCount(UINT* count)
{
    if (count) *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControlEventDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControlEventDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControlEventDispatch::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                                                   VARIANT*, EXCEPINFO*, UINT*)
{
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    DISPPARAMS& args = params ? *params : none;
    // A handler's failure is the application's to report; it never reaches the object.
    try {
        if (id >= DISPID_MOUSEUP && id <= DISPID_CLICK)
            control_.StandardEvent(id, args);
        else
            control_.InvokeEvent(id, args);
    } catch (...) {
        swfp::tk::Application().HandleException(std::current_exception());
    }
    return S_OK;
}

void TFlashPlayerControl::InvokeEvent(DISPID id, DISPPARAMS& params)
{
    if (!oleObject_) return;
    const auto& ids = controlDescription_->EventDispIDs;
    size_t index = 0;
    while (index < ids.size() && ids[index] != id) ++index;
    if (index == ids.size()) return;
    // Arguments arrive last first; arg(i) is the i-th in declaration order.
    auto arg = [&](UINT i) -> const VARIANT& { return params.rgvarg[params.cArgs - 1 - i]; };
    switch (index) {
    case 0:
        if (OnReadyStateChange && params.cArgs >= 1) OnReadyStateChange(*this, VariantLong(arg(0)));
        break;
    case 1:
        if (OnProgress && params.cArgs >= 1) OnProgress(*this, VariantLong(arg(0)));
        break;
    case 2:
        if (OnFSCommand && params.cArgs >= 2) OnFSCommand(*this, VariantString(arg(0)), VariantString(arg(1)));
        break;
    default:
        break;
    }
}

void TFlashPlayerControl::StandardEvent(DISPID id, DISPPARAMS& params)
{
    if (!oleObject_) return;
    VARIANT* a = params.rgvarg;  // a[0] is the last argument
    const UINT n = params.cArgs;
    switch (id) {
    case DISPID_CLICK: Click(); break;
    case DISPID_DBLCLICK: DblClick(); break;
    case DISPID_KEYDOWN:
    case DISPID_KEYUP:
        if (n >= 2) {
            WORD key = static_cast<WORD>(VariantLong(a[1]));
            const WORD before = key;
            if (id == DISPID_KEYDOWN)
                KeyDown(key, StockKeyShift(VariantLong(a[0])));
            else
                KeyUp(key, StockKeyShift(VariantLong(a[0])));
            if (key != before) WriteBackShort(a[1], key);
        }
        break;
    case DISPID_KEYPRESS:
        if (n >= 1) {
            wchar_t ch = static_cast<wchar_t>(VariantLong(a[0]));
            const wchar_t before = ch;
            KeyPress(ch);
            if (ch != before) WriteBackShort(a[0], ch);
        }
        break;
    case DISPID_MOUSEDOWN:
    case DISPID_MOUSEMOVE:
    case DISPID_MOUSEUP:
        if (n >= 4) {
            const auto [button, shift] = StockMouse(VariantLong(a[3]), VariantLong(a[2]));
            const int x = static_cast<int>(VariantLong(a[1])), y = static_cast<int>(VariantLong(a[0]));
            if (id == DISPID_MOUSEDOWN) MouseDown(button, shift, x, y);
            else if (id == DISPID_MOUSEMOVE) MouseMove(shift, x, y);
            else MouseUp(button, shift, x, y);
        }
        break;
    default:
        break;
    }
}

void TFlashPlayerControl::KeyDown(WORD& key, swfp::tk::ShiftState shift)
{
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}

void TFlashPlayerControl::KeyUp(WORD& key, swfp::tk::ShiftState shift)
{
    if (OnKeyUp) OnKeyUp(*this, key, shift);
}

void TFlashPlayerControl::KeyPress(wchar_t& key)
{
    if (OnKeyPress) OnKeyPress(*this, key);
}

}  // namespace flashhost
