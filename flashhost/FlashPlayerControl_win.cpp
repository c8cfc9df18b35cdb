// Hosting: construction through the module provider, the site interfaces, in-place
// activation, adoption of the object's window and the message flow through it.
#include "flashhost/FlashPlayerControl_win.h"

#include <windowsx.h>

#include <map>
#include <string>

#include "flashhost/himetric.h"
#include "flashhost/mouse_synthesis.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "toolkit/application_win.h"
#include "toolkit/form_win.h"
#include "toolkit/key_routing.h"
#include "toolkit/menu_win.h"
#include "winbase/system_error_win.h"
#include "winbase/text_win.h"

namespace flashhost {

using Microsoft::WRL::ComPtr;
using swfp::tk::Message;
using swfp::tk::MouseButton;

namespace {

constexpr RECT kClipRect{0, 0, 32767, 32767};
// The marker point of keyboard messages offered to the object as accelerators.
constexpr LONG kAcceleratorMarker = 0x115DE1F1;
// The toolkit reflects notifications into 0xBC00..0xBFFF; the OLE reflected range starts 0x9C00 lower.
constexpr UINT kReflectedFirst = swfp::tk::kKeyReflectionBase, kReflectedLast = 0xBFFF, kReflectionOffset = 0x9C00;
// Keyboard messages as the toolkit's message loop reflects them.
constexpr UINT kReflectedKeyFirst = swfp::tk::kKeyReflectionBase + swfp::tk::kKeyMessageFirst;
constexpr UINT kReflectedKeyLast = swfp::tk::kKeyReflectionBase + swfp::tk::kKeyMessageLast;

int PixelsPerInch(bool horizontal)
{
    HDC dc = GetDC(nullptr);
    const int ppi = GetDeviceCaps(dc, horizontal ? LOGPIXELSX : LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return ppi > 0 ? ppi : 96;
}

// The form a control sits on: the top of its parent chain.
swfp::tk::TWinControl* ParentForm(swfp::tk::TControl* control)
{
    swfp::tk::TWinControl* p = control->Parent();
    while (p && p->Parent()) p = p->Parent();
    return p;
}

std::map<swfp::tk::TWinControl*, TFlashPlayerControl*>& ActiveOleControls()
{
    static std::map<swfp::tk::TWinControl*, TFlashPlayerControl*> map;
    return map;
}

std::string SystemText(HRESULT hr)
{
    const std::wstring wide = swfp::win::SystemMessage(static_cast<DWORD>(hr));
    if (wide.empty()) {
        char buf[48];
        wsprintfA(buf, "OLE error %08X", static_cast<unsigned>(hr));
        return buf;
    }
    return swfp::win::WideToAnsi(wide);
}

}  // namespace

EOleError::EOleError(HRESULT code) : std::runtime_error(SystemText(code)), code_(code) {}

void OleCheck(HRESULT hr)
{
    if (FAILED(hr)) throw EOleError(hr);
}

const TControlDescription kFlashControlDescription{
    DIID_ShockwaveFlashEvents,
    {DISPID_FlashOnReadyStateChange, DISPID_FlashOnProgress, DISPID_FlashFSCommand},
    401,
};

// The in-place frame is a part of the control with the control's identity; it is a
// separate object only because its IOleWindow answers differ from the site's.
class TFlashPlayerControl::InPlaceFrame final : public IOleInPlaceFrame {
public:
    explicit InPlaceFrame(TFlashPlayerControl& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        return owner_.QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window) return E_POINTER;
        HWND parent = owner_.ParentHandle();
        *window = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override
    {
        swfp::tk::TMainMenu* menu = MainMenu();
        if (!menu || !shared) return S_OK;
        // The container's groups are File (0), Container (2) and Window (4); a
        // menu-bar item joins the group its GroupIndex names, in group order, so
        // the object's own groups can go between them.
        HMENU bar = menu->Handle();
        const auto& items = menu->Items().Items();
        UINT position = 0;
        for (const int group : {0, 2, 4}) {
            LONG count = 0;
            UINT index = 0;  // the item's place in the menu bar (hidden items have none)
            for (const auto& item : items) {
                if (!item->Visible()) continue;
                if (item->GroupIndex == group && CopyMenuBarItem(bar, index, shared, position)) {
                    ++position;
                    ++count;
                }
                ++index;
            }
            if (widths) widths->width[group] = count;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) override
    {
        swfp::tk::TMainMenu* mainMenu = MainMenu();
        if (!mainMenu) return S_OK;
        HMENU menu = mainMenu->Handle();
        HWND frame = nullptr;
        GetWindow(&frame);
        if (frame) ::SetMenu(frame, shared ? shared : menu);
        return OleSetMenuDescriptor(descriptor, frame, activeObject, nullptr, nullptr);
    }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) override
    {
        while (shared && GetMenuItemCount(shared) > 0) RemoveMenu(shared, 0, MF_BYPOSITION);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    // The main menu of the form the control sits on, or of the application's main form.
    swfp::tk::TMainMenu* MainMenu()
    {
        auto* form = dynamic_cast<swfp::tk::TForm*>(ParentForm(&owner_));
        if (!form) form = swfp::tk::Application().MainForm();
        return form ? form->Menu() : nullptr;
    }
    // Inserts the menu-bar item at `from` of `bar` into `shared` at `to`; the
    // submenu is shared, not copied, as the object only shows it.
    static bool CopyMenuBarItem(HMENU bar, UINT from, HMENU shared, UINT to)
    {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_ID | MIIM_FTYPE | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = 255;
        return GetMenuItemInfoW(bar, from, TRUE, &info) && InsertMenuItemW(shared, to, TRUE, &info);
    }
    TFlashPlayerControl& owner_;
};

// ---- construction and destruction -------------------------------------------------

TFlashPlayerControl::TFlashPlayerControl(swfp::tk::TComponent* owner) : TWinControl(owner)
{
    bounds_.width = 100;
    bounds_.height = 100;
    controlDescription_ = &kFlashControlDescription;
    eventSink_ = std::make_unique<TFlashPlayerControlEventDispatch>(*this);
    frame_ = std::make_unique<InPlaceFrame>(*this);
    // The control raises its mouse events itself (HandleMouse), with or without an
    // object; the toolkit's own synthesis would raise each of them twice.
    SetStyle(swfp::tk::csDoubleClicks | swfp::tk::csNoStdEvents);
    SetParentFont(true);  // the object's ambient font is the form's

    if (flashrt::TFlashOCXCodeProvider* provider = flashrt::FlashOCXCodeProvider()) {
        // Straight into the smart pointer: MinGW's ComPtr::Attach adds a reference of
        // its own, which would keep the object alive past the module's unloading.
        provider->CreateInstance(IID_IOleObject, reinterpret_cast<void**>(oleObject_.ReleaseAndGetAddressOf()));
    }
    if (!oleObject_) return;  // no runtime: a plain window

    InitControlInterface(oleObject_.Get());
    miscStatus_ = 0;
    OleCheck(oleObject_.As(&persistStream_));
    TabStop = true;
    OleCheck(RequestNewObjectLayout());
    EnableSWFInfo = false;
    IgnoreMouse = false;
}

TFlashPlayerControl::~TFlashPlayerControl()
{
    flashrt::ContentManager().ForgetControl(*this);
    SetUIActive(false);
    if (oleObject_) {
        // The object destroys its window while closing; the adoption ends with it.
        oleObject_->Close(OLECLOSE_NOSAVE);
        DestroyControl();
        persistStream_.Reset();
        oleObject_->SetClientSite(nullptr);
        oleObject_.Reset();
    }
    if (HandleAllocated() && Adopted()) ReleaseAdoptedWindow();
    eventSink_.reset();
}

// ---- IUnknown ----------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::QueryInterface(REFIID riid, void** object)
{
    return swfp::win::QueryInterfaceFromTable(riid, object,
                                              {{IID_IUnknown, static_cast<IOleClientSite*>(this)},
                                               {IID_IOleClientSite, static_cast<IOleClientSite*>(this)},
                                               {IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(this)},
                                               {IID_IOleInPlaceFrame, static_cast<IOleInPlaceFrame*>(frame_.get())},
                                               {IID_IOleControlSite, static_cast<IOleControlSite*>(this)},
                                               {IID_IDispatch, static_cast<IDispatch*>(this)},
                                               {IID_IPropertyNotifySink, static_cast<IPropertyNotifySink*>(this)},
                                               {IID_ISimpleFrameSite, static_cast<ISimpleFrameSite*>(this)}});
}

// The count is kept for the object's bookkeeping; the control's lifetime belongs to its owner.
ULONG STDMETHODCALLTYPE TFlashPlayerControl::AddRef() { return refCount_.Add(); }
ULONG STDMETHODCALLTYPE TFlashPlayerControl::Release() { return refCount_.Drop(); }

// ---- IOleClientSite ----------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::SaveObject() { return S_OK; }

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::GetContainer(IOleContainer** container)
{
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::ShowObject()
{
    try {
        HookControlWndProc();
    } catch (...) {
        // Nothing may unwind into the object. Window creation adopts the window
        // again right after activation and raises the failure there.
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnShowWindow(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::RequestNewObjectLayout()
{
    if (!oleObject_) return E_FAIL;
    SIZEL extent{};
    const HRESULT hr = oleObject_->GetExtent(DVASPECT_CONTENT, &extent);
    if (SUCCEEDED(hr)) {
        const int width = HimetricToPixels(extent.cx, PixelsPerInch(true));
        const int height = HimetricToPixels(extent.cy, PixelsPerInch(false));
        SetBounds(Left(), Top(), width, height);
    }
    return hr;
}

// ---- IOleInPlaceSite ---------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = ParentHandle();
    return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::ContextSensitiveHelp(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE TFlashPlayerControl::CanInPlaceActivate() { return S_OK; }

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnInPlaceActivate()
{
    oleObject_.As(&inPlaceObject_);
    oleObject_.As(&inPlaceActiveObject_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnUIActivate()
{
    SetUIActive(true);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                                                LPRECT pos, LPRECT clip,
                                                                LPOLEINPLACEFRAMEINFO frameInfo)
{
    if (!frame || !doc || !pos || !clip || !frameInfo) return E_POINTER;
    *frame = frame_.get();
    frame_->AddRef();
    *doc = nullptr;
    *pos = BoundsRectangle();
    *clip = kClipRect;
    frameInfo->fMDIApp = FALSE;
    HWND parent = ParentHandle();
    frameInfo->hwndFrame = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::Scroll(SIZE) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnUIDeactivate(BOOL)
{
    frame_->SetMenu(nullptr, nullptr, nullptr);
    SetUIActive(false);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnInPlaceDeactivate()
{
    inPlaceActiveObject_.Reset();
    inPlaceObject_.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::DiscardUndoState() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::DeactivateAndUndo()
{
    if (inPlaceObject_) inPlaceObject_->UIDeactivate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnPosRectChange(LPCRECT pos)
{
    if (inPlaceObject_ && pos) inPlaceObject_->SetObjectRects(pos, &kClipRect);
    return S_OK;
}

// ---- IOleControlSite ---------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnControlInfoChanged() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TFlashPlayerControl::LockInPlaceActive(BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::GetExtendedControl(IDispatch** disp)
{
    if (disp) *disp = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags)
{
    if (!himetric || !container) return E_POINTER;
    const int ppiX = PixelsPerInch(true), ppiY = PixelsPerInch(false);
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(HimetricToPixels(himetric->x, ppiX));
        container->y = static_cast<float>(HimetricToPixels(himetric->y, ppiY));
    } else {
        himetric->x = ContainerToHimetric(container->x, ppiX);
        himetric->y = ContainerToHimetric(container->y, ppiY);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::TranslateAccelerator(MSG*, DWORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnFocus(BOOL) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TFlashPlayerControl::ShowPropertyFrame() { return E_NOTIMPL; }

// ---- IDispatch: ambient properties --------------------------------------------------

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::GetTypeInfoCount(UINT* count)
{
    if (count) *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                                      VARIANT* result, EXCEPINFO*, UINT*)
{
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    auto setBool = [result](bool v) {
        result->vt = VT_BOOL;
        result->boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    };
    switch (id) {
    case DISPID_AMBIENT_BACKCOLOR:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(Color());
        return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME:
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(swfp::win::AnsiToWide(Name()).c_str());
        return S_OK;
    case DISPID_AMBIENT_FONT: {
        const swfp::tk::TFont& font = Font();
        FONTDESC desc{};
        desc.cbSizeofstruct = sizeof desc;
        std::wstring name = font.name;
        desc.lpstrName = name.data();
        const int height = font.height < 0 ? -font.height : font.height;
        desc.cySize.int64 = static_cast<LONGLONG>(height) * 72 * 10000 / PixelsPerInch(false);
        desc.sWeight = static_cast<SHORT>(font.bold ? FW_BOLD : FW_NORMAL);
        desc.sCharset = DEFAULT_CHARSET;
        IDispatch* fontDispatch = nullptr;
        if (FAILED(OleCreateFontIndirect(&desc, IID_IDispatch, reinterpret_cast<void**>(&fontDispatch))))
            return DISP_E_MEMBERNOTFOUND;
        result->vt = VT_DISPATCH;
        result->pdispVal = fontDispatch;
        return S_OK;
    }
    case DISPID_AMBIENT_FORECOLOR:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(Font().color);
        return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
    case DISPID_AMBIENT_MESSAGEREFLECT: setBool(true); return S_OK;
    case DISPID_AMBIENT_USERMODE: setBool(true); return S_OK;        // never designed
    case DISPID_AMBIENT_UIDEAD: setBool(false); return S_OK;
    case DISPID_AMBIENT_SHOWGRABHANDLES: setBool(false); return S_OK;
    case DISPID_AMBIENT_SHOWHATCHING: setBool(false); return S_OK;
    case DISPID_AMBIENT_SUPPORTSMNEMONICS: setBool(true); return S_OK;
    case DISPID_AMBIENT_AUTOCLIP: setBool(true); return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

// ---- IPropertyNotifySink and ISimpleFrameSite -----------------------------------------

HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnChanged(DISPID) { return S_OK; }
HRESULT STDMETHODCALLTYPE TFlashPlayerControl::OnRequestEdit(DISPID) { return S_OK; }
HRESULT STDMETHODCALLTYPE TFlashPlayerControl::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD*)
{
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TFlashPlayerControl::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD)
{
    return S_OK;
}

// ---- connecting ----------------------------------------------------------------------

void TFlashPlayerControl::SetClientSiteIfNone()
{
    ComPtr<IOleClientSite> site;
    bool hasSite = false;
    try {
        hasSite = SUCCEEDED(oleObject_->GetClientSite(&site)) && site;
    } catch (...) {
        hasSite = false;
    }
    if (!hasSite) OleCheck(oleObject_->SetClientSite(static_cast<IOleClientSite*>(this)));
}

void TFlashPlayerControl::Advise(REFIID iid, IUnknown* sink, DWORD& cookie)
{
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (FAILED(oleObject_.As(&container)) || FAILED(container->FindConnectionPoint(iid, &point))) return;
    DWORD c = 0;
    if (SUCCEEDED(point->Advise(sink, &c))) cookie = c;
}

void TFlashPlayerControl::Unadvise(REFIID iid, DWORD& cookie)
{
    if (!cookie || !oleObject_) return;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(oleObject_.As(&container)) && SUCCEEDED(container->FindConnectionPoint(iid, &point)))
        point->Unadvise(cookie);
    cookie = 0;
}

void TFlashPlayerControl::CreateControl()
{
    if (oleControl_ || !oleObject_) return;
    try {
        SetClientSiteIfNone();
        OleCheck(oleObject_.As(&oleControl_));
        OleCheck(oleObject_.As(&controlDispatch_));
        oleObject_.As(&propertyBrowsing_);
        Advise(IID_IPropertyNotifySink, static_cast<IPropertyNotifySink*>(this), propertyNotifyCookie_);
        Advise(controlDescription_->EventIID, eventSink_.get(), eventCookie_);
        oleControl_->OnAmbientPropertyChange(DISPID_UNKNOWN);
        RequestNewObjectLayout();
    } catch (...) {
        DestroyControl();
        throw;
    }
}

void TFlashPlayerControl::DestroyControl()
{
    Unadvise(controlDescription_->EventIID, eventCookie_);
    Unadvise(IID_IPropertyNotifySink, propertyNotifyCookie_);
    propertyBrowsing_.Reset();
    controlDispatch_.Reset();
    oleControl_.Reset();
}

void TFlashPlayerControl::NotifyAmbientChange(DISPID id)
{
    if (oleControl_) oleControl_->OnAmbientPropertyChange(id);
}

// ---- window ------------------------------------------------------------------------

HWND TFlashPlayerControl::ParentHandle() { return Parent() ? Parent()->Handle() : nullptr; }

RECT TFlashPlayerControl::BoundsRectangle() const
{
    return RECT{Left(), Top(), Left() + Width(), Top() + Height()};
}

HRESULT TFlashPlayerControl::DoVerbInPlace(LONG verb)
{
    RECT bounds = BoundsRectangle();
    return oleObject_->DoVerb(verb, nullptr, static_cast<IOleClientSite*>(this), 0, ParentHandle(), &bounds);
}

void TFlashPlayerControl::CreateWnd()
{
    if (!oleObject_) {
        TWinControl::CreateWnd();
        return;
    }
    CreateControl();
    DoVerbInPlace(OLEIVERB_INPLACEACTIVATE);
    if (!inPlaceObject_) throw EOleError(E_FAIL, "OLE control activation failed");
    HookControlWndProc();
    if (!Visible() && HandleAllocated() && IsWindowVisible(WindowHandle())) ShowWindow(WindowHandle(), SW_HIDE);
}

void TFlashPlayerControl::HookControlWndProc()
{
    if (!inPlaceObject_ || HandleAllocated()) return;
    HWND window = nullptr;
    inPlaceObject_->GetWindow(&window);
    if (!window) throw EOleError(E_FAIL, "Could not obtain OLE control window handle");
    // From here on every message of the object's window passes WndProc first and
    // reaches the window's own procedure through DefaultHandler.
    AdoptWindow(window);
}

void TFlashPlayerControl::DestroyWindowHandle()
{
    if (!oleObject_) {
        TWinControl::DestroyWindowHandle();
        return;
    }
    // Put the object's own procedure back before it closes its window.
    ReleaseAdoptedWindow();
    oleObject_->Close(OLECLOSE_NOSAVE);
}

void TFlashPlayerControl::SetParent(swfp::tk::TWinControl* parent)
{
    TWinControl::SetParent(parent);
    if (oleObject_ && parent) {
        SetClientSiteIfNone();
        NotifyAmbientChange(DISPID_UNKNOWN);
    }
}

void TFlashPlayerControl::UpdateBounds(const swfp::tk::Bounds& b)
{
    swfp::tk::Bounds next = b;
    if (oleObject_ && ((b.width != Width() && Width() > 0) || (b.height != Height() && Height() > 0))) {
        SIZEL extent{PixelsToHimetric(b.width, PixelsPerInch(true)), PixelsToHimetric(b.height, PixelsPerInch(false))};
        if (FAILED(oleObject_->SetExtent(DVASPECT_CONTENT, &extent))) {
            // The object refused the size: keep the one it has.
            next.width = Width();
            next.height = Height();
        }
    }
    TWinControl::UpdateBounds(next);
}

void TFlashPlayerControl::SetUIActive(bool active)
{
    swfp::tk::TWinControl* form = ParentForm(this);
    auto& map = ActiveOleControls();
    if (active) {
        if (!form) return;
        auto it = map.find(form);
        if (it != map.end() && it->second != this) it->second->UIDeactivateRequest();
        map[form] = this;
    } else {
        for (auto it = map.begin(); it != map.end();) {
            if (it->second == this)
                it = map.erase(it);
            else
                ++it;
        }
    }
}

TFlashPlayerControl* TFlashPlayerControl::ActiveOleControlOf(swfp::tk::TWinControl* form)
{
    auto it = ActiveOleControls().find(form);
    return it == ActiveOleControls().end() ? nullptr : it->second;
}

void TFlashPlayerControl::UIActivateRequest()
{
    if (!oleObject_ || ActiveOleControlOf(ParentForm(this)) == this) return;
    DoVerbInPlace(OLEIVERB_UIACTIVATE);
}

void TFlashPlayerControl::UIDeactivateRequest()
{
    swfp::tk::TWinControl* form = ParentForm(this);
    if (form && ActiveOleControlOf(form) != this) return;
    if (inPlaceObject_) inPlaceObject_->UIDeactivate();
    if (form && Focused()) OnUIDeactivate(FALSE);
}

bool TFlashPlayerControl::PaletteChanged(bool foreground)
{
    if (oleObject_ && foreground && HandleAllocated()) {
        Message query{WindowHandle(), WM_QUERYNEWPALETTE, 0, 0, 0};
        TWinControl::DefaultHandler(query);
        if (query.result != 0) return true;
    }
    return TWinControl::PaletteChanged(foreground);
}

// ---- message flow ----------------------------------------------------------------------

void TFlashPlayerControl::DefaultHandler(Message& m)
{
    if (!oleObject_ || !HandleAllocated()) {
        TWinControl::DefaultHandler(m);
        return;
    }
    try {
        if (m.msg == WM_SIZE) {
            // The object moves its own window: re-activate it with the new bounds.
            DoVerbInPlace(OLEIVERB_INPLACEACTIVATE);
            m.result = 0;
            return;
        }
        if (m.msg >= kReflectedFirst && m.msg <= kReflectedLast) m.msg -= kReflectionOffset;
        TWinControl::DefaultHandler(m);
    } catch (...) {
        // Nothing may escape into the object's window procedure chain.
    }
}

void TFlashPlayerControl::WndProc(Message& m)
{
    if (!oleObject_) {
        TWinControl::WndProc(m);
        return;
    }
    try {
        if (m.msg == WM_RBUTTONDOWN && PopupMenu()) {
            POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
            PopupAt(ClientToScreen(p));
            return;
        }
        if (m.msg >= kReflectedKeyFirst && m.msg <= kReflectedKeyLast && inPlaceActiveObject_) {
            MSG native{WindowHandle(), m.msg - kReflectedFirst, m.wParam, m.lParam,
                       static_cast<DWORD>(GetMessageTime()), POINT{kAcceleratorMarker, kAcceleratorMarker}};
            if (inPlaceActiveObject_->TranslateAccelerator(&native) == S_OK) {
                m.result = 1;
                return;
            }
        }
        TWinControl::WndProc(m);
    } catch (...) {
        MessageBoxA(nullptr, "oops", nullptr, MB_OK);
        m.result = 0;
    }
}

void TFlashPlayerControl::ParentFontChanged()
{
    TWinControl::ParentFontChanged();
    if (ParentFont() && oleControl_) {
        NotifyAmbientChange(DISPID_AMBIENT_FONT);
        NotifyAmbientChange(DISPID_AMBIENT_FORECOLOR);
    }
}

void TFlashPlayerControl::ParentColorChanged()
{
    TWinControl::ParentColorChanged();
    if (ParentColor() && oleControl_) NotifyAmbientChange(DISPID_AMBIENT_BACKCOLOR);
}

bool TFlashPlayerControl::DialogKey(UINT key, LPARAM keyData)
{
    if (oleControl_ && CanFocus()) {
        CONTROLINFO info{};
        info.cb = sizeof info;
        if (oleControl_->GetControlInfo(&info) == S_OK && info.cAccel != 0) {
            MSG message{WindowHandle(), WM_KEYDOWN, key, keyData, 0, {}};
            WORD command = 0;
            if (IsAccelerator(info.hAccel, info.cAccel, &message, &command)) {
                oleControl_->OnMnemonic(&message);
                return true;
            }
        }
    }
    return TWinControl::DialogKey(key, keyData);
}

bool TFlashPlayerControl::Dispatch(Message& m)
{
    if (m.msg >= WM_MOUSEFIRST && m.msg <= WM_MBUTTONDBLCLK) {
        HandleMouse(m);
        return true;
    }
    switch (m.msg) {
    case WM_ERASEBKGND:
        if (!oleObject_) break;
        DefaultHandler(m);  // the object's window erases its own background
        return true;
    case WM_SETFOCUS:
        if (!oleObject_) break;
        // The object's window hears of the focus first; then the container asks
        // for UI activation itself rather than relying on the object to take it.
        DefaultHandler(m);
        UIActivateRequest();
        return true;
    default:
        break;
    }
    return TWinControl::Dispatch(m);
}

void TFlashPlayerControl::PaintWindow(HDC dc)
{
    // Without a runtime the control shows the window colour, whatever its own colour.
    RECT rc;
    GetClientRect(WindowHandle(), &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
}

void TFlashPlayerControl::PopupAt(POINT screen) { ShowPopupMenu(screen); }

void TFlashPlayerControl::HandleMouse(Message& m)
{
    HostMouseInput input;
    MouseButton button = MouseButton::Left;
    switch (m.msg) {
    case WM_LBUTTONDOWN: input = HostMouseInput::LeftDown; break;
    case WM_RBUTTONDOWN: input = HostMouseInput::RightDown; button = MouseButton::Right; break;
    case WM_MBUTTONDOWN: input = HostMouseInput::MiddleDown; button = MouseButton::Middle; break;
    case WM_LBUTTONDBLCLK: input = HostMouseInput::LeftDoubleClick; break;
    case WM_RBUTTONDBLCLK: input = HostMouseInput::RightDoubleClick; button = MouseButton::Right; break;
    case WM_MBUTTONDBLCLK: input = HostMouseInput::MiddleDoubleClick; button = MouseButton::Middle; break;
    case WM_MOUSEMOVE: input = HostMouseInput::Move; break;
    case WM_LBUTTONUP: input = HostMouseInput::LeftUp; break;
    case WM_RBUTTONUP: input = HostMouseInput::RightUp; button = MouseButton::Right; break;
    case WM_MBUTTONUP: input = HostMouseInput::MiddleUp; button = MouseButton::Middle; break;
    default:
        if (!TWinControl::Dispatch(m)) DefaultHandler(m);
        return;
    }
    // The toolkit still tracks hovering and leaving for this window.
    if (m.msg == WM_MOUSEMOVE) TWinControl::Dispatch(m);

    const int x = GET_X_LPARAM(m.lParam), y = GET_Y_LPARAM(m.lParam);
    const swfp::tk::ShiftState shift = swfp::tk::ShiftFromMouseKeys(m.wParam);
    HostMouseSettings settings{IgnoreMouse, StandartMenu, (Style() & swfp::tk::csCaptureMouse) != 0};
    for (HostMouseStep step : HostMouseSteps(input, settings)) {
        switch (step) {
        case HostMouseStep::MouseDown: MouseDown(button, shift, x, y); break;
        case HostMouseStep::MouseDownDouble: MouseDown(button, shift | swfp::tk::ssDouble, x, y); break;
        case HostMouseStep::MouseMove: MouseMove(shift, x, y); break;
        case HostMouseStep::MouseUp: MouseUp(button, shift, x, y); break;
        case HostMouseStep::Base: DefaultHandler(m); break;
        case HostMouseStep::CancelModes: break;  // the toolkit has no modal controls to cancel
        case HostMouseStep::Capture: if (HandleAllocated()) SetCapture(WindowHandle()); break;
        case HostMouseStep::ReleaseCapture:
            if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
            break;
        case HostMouseStep::Click:
            if (x >= 0 && y >= 0 && x < Width() && y < Height()) Click();
            break;
        case HostMouseStep::DblClick: DblClick(); break;
        }
    }
}

}  // namespace flashhost
