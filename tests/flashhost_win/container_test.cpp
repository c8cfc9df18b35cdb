// The OLE container against the stand-in runtime: exact results of the site
// interfaces, reference counts, the order of the object's calls as its log records
// them, operations, version gating and events. Also the control without any module.
#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "flashhost/FlashPlayerControl_win.h"
#include "tests/support/swf_writer.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "toolkit/application_win.h"
#include "winbase/handles_win.h"

using namespace flashhost;
using Microsoft::WRL::ComPtr;
using swfp::wintest::StandinLog;
namespace wintest = swfp::wintest;

using wintest::MakeControl;
using wintest::Poison;

// ---- without any runtime module ----------------------------------------------------

TEST(NoModule, PlainWindowKeepsCopiesAndMethodsRaise)
{
    wintest::ScopedRuntimeModule none(L"");
    wintest::TestForm form;
    auto control = MakeControl(form.Form());
    EXPECT_FALSE(control->HasOleObject());
    EXPECT_EQ(control->GetFlashMajorVersion(), -1);

    control->SetQuality(3);
    EXPECT_EQ(control->Quality(), 3);
    control->SetLoop(true);
    EXPECT_TRUE(control->Loop());
    control->SetFlashVars(L"a=1");
    EXPECT_EQ(control->FlashVars(), L"a=1");
    EXPECT_EQ(control->TotalFrames(), 0);
    EXPECT_EQ(control->ReadyState(), 0);
    EXPECT_EQ(control->TGetPropertyAsNumber(L"/", 0), 0.0);
    control->SetMovie(L"http://example.invalid/movie.swf");
    EXPECT_EQ(control->Movie(), L"http://example.invalid/movie.swf");

    try {
        control->Play();
        FAIL() << "Play without a Flash object must raise";
    } catch (const EOleError& e) {
        EXPECT_EQ(e.Code(), E_NOINTERFACE);
        EXPECT_STRNE(e.what(), "");
    }
    EXPECT_THROW(control->CurrentFrame(), EOleError);

    // The window is an ordinary child that paints the system window colour, not its own colour.
    control->SetColor(0x0000FF);
    HWND hwnd = control->Handle();
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetParent(hwnd), form.Form().WindowHandle());
    swfp::win::UniqueDC screen(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    swfp::win::UniqueDC dc(CreateCompatibleDC(screen.get()));
    swfp::win::UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), 100, 100));
    const HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
    control->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    EXPECT_EQ(GetPixel(dc.get(), 10, 10), GetSysColor(COLOR_WINDOW));
    SelectObject(dc.get(), old);
}

// ---- the container contract ---------------------------------------------------------

class Container : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wintest::UseRuntimeModule(L"flash_standin.dll"); }
    StandinLog log;
    wintest::TestForm form;
};

TEST_F(Container, ConstructionAsksTheProviderAndLaysOutFromTheObjectsExtent)
{
    auto control = std::make_unique<TFlashPlayerControl>(nullptr);
    ASSERT_TRUE(control->HasOleObject()) << log.Dump();
    EXPECT_EQ(log.FindPrefix("call CreateInstance hr=0x00000000"), 0) << log.Dump();
    EXPECT_EQ(log.FindPrefix("call GetExtent 1"), 1) << log.Dump();
    EXPECT_EQ(control->GetFlashMajorVersion(), 8) << "a version 10 object counts as 8";
    EXPECT_EQ(control->TabStop, true);
    EXPECT_EQ(control->Style(), unsigned(swfp::tk::csDoubleClicks | swfp::tk::csNoStdEvents));
    // The client site is not forced on the object at construction ...
    EXPECT_LT(log.FindPrefix("call SetClientSite 1"), 0) << log.Dump();
    // ... but when the control gets a parent.
    log.Clear();
    control->SetParent(&form.Form());
    EXPECT_GE(log.FindPrefix("call SetClientSite 1"), 0) << log.Dump();
    EXPECT_GE(log.FindPrefix("call OnAmbientPropertyChange -1"), 0) << log.Dump();
}

TEST_F(Container, QueryInterfaceAnswersExactlyTheSiteInterfaces)
{
    auto control = MakeControl(form.Form());
    IUnknown* unknown = static_cast<IOleClientSite*>(control.get());
    for (REFIID iid : {IID_IUnknown, IID_IOleClientSite, IID_IOleInPlaceSite, IID_IOleInPlaceFrame,
                       IID_IOleControlSite, IID_IDispatch, IID_IPropertyNotifySink, IID_ISimpleFrameSite}) {
        void* out = Poison<void>();
        EXPECT_EQ(unknown->QueryInterface(iid, &out), S_OK);
        ASSERT_NE(out, nullptr);
        // Every interface leads back to one identity.
        IUnknown* identity = nullptr;
        static_cast<IUnknown*>(out)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
        EXPECT_EQ(identity, unknown);
        identity->Release();
        static_cast<IUnknown*>(out)->Release();
    }
    for (REFIID iid : {IID_IOleWindow, IID_IOleInPlaceUIWindow, IID_IStream, IID_IOleContainer}) {
        void* out = Poison<void>();
        EXPECT_EQ(unknown->QueryInterface(iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(Container, ReferenceCountIsSharedAndNeverFreesTheControl)
{
    auto control = MakeControl(form.Form());
    IOleClientSite* site = control.get();
    const ULONG base = site->AddRef();
    ComPtr<IOleInPlaceFrame> frame;
    ASSERT_EQ(site->QueryInterface(IID_PPV_ARGS(&frame)), S_OK);
    EXPECT_EQ(site->AddRef(), base + 2) << "the frame part counts on the control";
    EXPECT_EQ(site->Release(), base + 1);
    frame.Reset();
    EXPECT_EQ(site->Release(), base - 1);
    // Down to zero and below the control lives on: its owner frees it.
    while (control->RefCount() > 0) site->Release();
    control->SetQuality(2);
    EXPECT_EQ(control->Quality(), 2);
    site->AddRef();
}

// The answers the runtime acts on: out-parameters cleared on failure, the windows it
// parents to, no tool space, keys left to the container, and coordinate conversion.
TEST_F(Container, SiteMethodsAnswerWhatTheRuntimeActsOn)
{
    auto control = MakeControl(form.Form());
    IOleClientSite* client = control.get();
    IMoniker* moniker = Poison<IMoniker>();
    EXPECT_EQ(client->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &moniker), E_NOTIMPL);
    EXPECT_EQ(moniker, nullptr);
    IOleContainer* container = Poison<IOleContainer>();
    EXPECT_EQ(client->GetContainer(&container), E_NOINTERFACE);
    EXPECT_EQ(container, nullptr);

    IOleInPlaceSite* site = control.get();
    EXPECT_EQ(site->CanInPlaceActivate(), S_OK);
    HWND parent = Poison<HWND__>();
    EXPECT_EQ(site->GetWindow(&parent), S_OK);
    EXPECT_EQ(parent, form.Form().WindowHandle());

    ComPtr<IOleInPlaceFrame> frame;
    ASSERT_EQ(client->QueryInterface(IID_PPV_ARGS(&frame)), S_OK);
    RECT border;
    BORDERWIDTHS widths{};
    EXPECT_EQ(frame->GetBorder(&border), INPLACE_E_NOTOOLSPACE);
    EXPECT_EQ(frame->RequestBorderSpace(&widths), INPLACE_E_NOTOOLSPACE);
    MSG msg{};
    EXPECT_EQ(frame->TranslateAccelerator(&msg, 0), S_FALSE);
    HWND top = nullptr;
    EXPECT_EQ(frame->GetWindow(&top), S_OK);
    EXPECT_EQ(top, form.Form().WindowHandle()) << "the frame window is the top-level parent";

    IOleControlSite* controlSite = control.get();
    EXPECT_EQ(controlSite->TranslateAccelerator(&msg, 0), E_NOTIMPL);
    IDispatch* extended = Poison<IDispatch>();
    EXPECT_EQ(controlSite->GetExtendedControl(&extended), E_NOTIMPL);
    EXPECT_EQ(extended, nullptr);

    // At 96 pixels per inch: 2540 HIMETRIC is one inch; 1 pixel is 26 HIMETRIC rounded.
    POINTL himetric{2540, 5080};
    POINTF point{0, 0};
    EXPECT_EQ(controlSite->TransformCoords(&himetric, &point, XFORMCOORDS_HIMETRICTOCONTAINER), S_OK);
    EXPECT_FLOAT_EQ(point.x, 96.0f);
    EXPECT_FLOAT_EQ(point.y, 192.0f);
    point = POINTF{1.0f, 96.0f};
    EXPECT_EQ(controlSite->TransformCoords(&himetric, &point, XFORMCOORDS_CONTAINERTOHIMETRIC), S_OK);
    EXPECT_EQ(himetric.x, 26);
    EXPECT_EQ(himetric.y, 2540);
}

TEST_F(Container, WithoutParentTheSiteHasNoWindow)
{
    TFlashPlayerControl control(nullptr);
    HWND window = Poison<HWND__>();
    EXPECT_EQ(static_cast<IOleInPlaceSite&>(control).GetWindow(&window), E_FAIL);
    EXPECT_EQ(window, nullptr);
}

// The runtime reads the ambient properties once it has a site; its log shows what it
// was told. The values and refusals the log cannot show are asked for here.
TEST_F(Container, TheRuntimeReadsTheAmbientPropertiesAndOnlyPropertyGetsAreAnswered)
{
    auto control = MakeControl(form.Form());
    for (const char* line : {"ambient UserMode -1", "ambient UIDead 0", "ambient MessageReflect -1",
                             "ambient DisplayName plr", "ambient ShowGrabHandles 0", "ambient ShowHatching 0",
                             "ambient SupportsMnemonics -1", "ambient AutoClip -1"})
        EXPECT_TRUE(log.HasLine(line)) << line << log.Dump();
    for (const char* prefix : {"ambient Font ", "ambient BackColor ", "ambient ForeColor ", "ambient LocaleID "})
        EXPECT_TRUE(log.HasPrefix(prefix)) << prefix << log.Dump();
    EXPECT_FALSE(log.HasPrefix("ambient none")) << log.Dump();

    IDispatch* ambient = control.get();
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"UserMode");
    EXPECT_EQ(ambient->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    auto get = [&](DISPID which, VARIANT& v, WORD flags = DISPATCH_PROPERTYGET) {
        VariantInit(&v);
        return ambient->Invoke(which, IID_NULL, 0, flags, &none, &v, nullptr, nullptr);
    };
    VARIANT v;
    EXPECT_EQ(get(-709, v), S_OK);  // UserMode, as a property get
    EXPECT_EQ(v.vt, VT_BOOL);
    control->SetColor(0x123456);
    EXPECT_EQ(get(-701, v), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 0x123456);
    EXPECT_EQ(get(-705, v), S_OK);
    EXPECT_EQ(v.lVal, static_cast<LONG>(GetUserDefaultLCID()));
    EXPECT_EQ(get(-703, v), S_OK);
    ASSERT_EQ(v.vt, VT_DISPATCH);
    ComPtr<IFont> font;
    EXPECT_EQ(v.pdispVal->QueryInterface(IID_PPV_ARGS(&font)), S_OK);
    VariantClear(&v);

    EXPECT_EQ(get(-713, v), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(get(12345, v), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(get(-709, v, DISPATCH_METHOD), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(ambient->Invoke(-709, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(Container, TheObjectHearsWhenTheFormsFontOrFollowedColourChanges)
{
    auto control = MakeControl(form.Form());
    control->HandleNeeded();
    log.Clear();
    swfp::tk::TFont font = form.Form().Font();
    font.name = L"Courier New";
    form.Form().SetFont(font);
    EXPECT_EQ(control->Font().name, L"Courier New") << "the control follows its form's font";
    const int fontChange = log.FindPrefix("call OnAmbientPropertyChange -703");
    EXPECT_GE(fontChange, 0) << log.Dump();
    EXPECT_GT(log.FindPrefix("ambient Font ", fontChange), fontChange) << "the runtime reads it again" << log.Dump();
    EXPECT_GT(log.FindPrefix("call OnAmbientPropertyChange -704", fontChange), fontChange) << log.Dump();

    // The colour is the control's own until it is told to follow.
    log.Clear();
    form.Form().SetColor(0x00AA5500);
    EXPECT_FALSE(log.HasPrefix("call OnAmbientPropertyChange")) << log.Dump();
    control->SetParentColor(true);
    EXPECT_EQ(control->Color(), 0x00AA5500u);
    form.Form().SetColor(0x00112233);
    EXPECT_EQ(control->Color(), 0x00112233u);
    EXPECT_TRUE(log.HasPrefix("call OnAmbientPropertyChange -701")) << log.Dump();

    // A font of the control's own ends the following: later form fonts are not its concern.
    control->SetFont(font);
    log.Clear();
    font.name = L"Arial";
    form.Form().SetFont(font);
    EXPECT_EQ(control->Font().name, L"Courier New");
    EXPECT_FALSE(log.HasPrefix("call OnAmbientPropertyChange -703")) << log.Dump();
}

TEST_F(Container, ActivationAdoptsTheObjectsWindowInTheSitesOrder)
{
    auto control = std::make_unique<TFlashPlayerControl>(nullptr);
    control->SetBounds(10, 20, 300, 200);
    log.Clear();
    // A parent with a window gives the control its window at once.
    control->SetParent(&form.Form());
    HWND hwnd = control->WindowHandle();
    ASSERT_TRUE(IsWindow(hwnd)) << log.Dump();
    EXPECT_TRUE(control->InPlaceActive());
    EXPECT_EQ(GetParent(hwnd), form.Form().WindowHandle());

    const int site = log.FindPrefix("call SetClientSite 1");
    const int ambient = log.FindPrefix("call OnAmbientPropertyChange -1");
    const int verb = log.FindPrefix("call DoVerb -5 10 20 310 220");
    const int activate = log.FindPrefix("site OnInPlaceActivate hr=0x00000000");
    const int context = log.FindPrefix("site GetWindowContext hr=0x00000000");
    const int show = log.FindPrefix("site ShowObject hr=0x00000000");
    EXPECT_GE(site, 0) << log.Dump();
    EXPECT_LT(site, ambient) << log.Dump();
    EXPECT_LT(ambient, verb) << log.Dump();
    EXPECT_LT(verb, activate) << log.Dump();
    EXPECT_LT(activate, context) << log.Dump();
    EXPECT_LT(context, show) << log.Dump();

    // The in-place object's window is the control's window.
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(control->OleObject()->QueryInterface(IID_PPV_ARGS(&inPlace)), S_OK);
    HWND objectWindow = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&objectWindow), S_OK);
    EXPECT_EQ(objectWindow, hwnd);

    // The window context carries the bounds and the fixed clip rectangle.
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> doc;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    IOleInPlaceSite* s = control.get();
    EXPECT_EQ(s->GetWindowContext(&frame, &doc, &pos, &clip, &info), S_OK);
    EXPECT_TRUE(frame);
    EXPECT_FALSE(doc);
    EXPECT_EQ(pos.left, 10);
    EXPECT_EQ(pos.bottom, 220);
    EXPECT_EQ(clip.right, 32767);
    EXPECT_EQ(clip.bottom, 32767);
    EXPECT_FALSE(info.fMDIApp);
    EXPECT_EQ(info.hwndFrame, form.Form().WindowHandle());
    EXPECT_EQ(info.cAccelEntries, 0u);
}

// Every size change, asked for or made by the form's alignment, offers the object
// its extent (HIMETRIC at 96 pixels per inch) before it is re-activated with the
// new bounds; a size the object refuses is not taken.
TEST_F(Container, EverySizeChangeOffersTheExtentFirstAndKeepsARefusedSize)
{
    const struct {
        const char* name;
        bool aligned, refused;
    } cases[] = {{"SetBounds", false, false}, {"SetBounds refused", false, true},
                 {"alignment", true, false}, {"alignment refused", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto control = MakeControl(form.Form());
        form.Form().SetClientSize(800, 600);
        if (c.aligned) control->SetAlign(swfp::tk::Align::Client);
        else control->SetBounds(0, 0, 300, 200);
        control->HandleNeeded();
        const int oldWidth = control->Width();
        log.Clear();
        {
            std::optional<wintest::StandinFault> refuse;
            if (c.refused) refuse.emplace(L"refuse-extent");
            if (c.aligned) form.Form().SetClientSize(650, 476);
            else control->SetBounds(5, 6, 650, 476);
        }
        const int extent = log.FindLine("call SetExtent 1 " + std::to_string(MulDiv(650, 2540, 96)) + " " +
                                        std::to_string(MulDiv(476, 2540, 96)));
        ASSERT_GE(extent, 0) << log.Dump();
        const std::string newRect = c.aligned ? "0 0 650 476" : "5 6 655 482";
        const int verb = log.FindLine("call DoVerb -5 " + newRect);
        EXPECT_FALSE(log.HasPrefix("window WM_SIZE")) << "the object is re-activated in place instead" << log.Dump();
        RECT r;
        GetWindowRect(control->WindowHandle(), &r);
        if (c.refused) {
            EXPECT_LT(verb, 0) << log.Dump();
            EXPECT_EQ(control->Width(), oldWidth);
        } else {
            EXPECT_GT(verb, extent) << log.Dump();
            EXPECT_EQ(control->Width(), 650);
            EXPECT_EQ(r.right - r.left, 650);
        }
    }
}

TEST_F(Container, DestructionClosesClearsTheSiteAndReleasesTheObjectBeforeTheModuleGoes)
{
    wintest::UseRuntimeModule(L"flash_standin.dll");  // a module of this test's own
    auto control = MakeControl(form.Form());
    control->HandleNeeded();
    const auto movie = SwfWriter().ShowFrame().Build();
    flashrt::TMemoryStream stream(movie);
    control->LoadMovieFromStream(stream);
    HWND hwnd = control->WindowHandle();
    log.Clear();
    control.reset();
    const int close = log.FindPrefix("call Close 1");
    const int events = log.FindPrefix("unadvise Events cookie=");
    const int notify = log.FindPrefix("unadvise PropertyNotifySink cookie=");
    const int site = log.FindPrefix("call SetClientSite 0");
    EXPECT_GE(close, 0) << log.Dump();
    EXPECT_GT(events, close) << log.Dump();
    EXPECT_GT(notify, close) << log.Dump();
    EXPECT_GT(site, std::max(events, notify)) << log.Dump();
    EXPECT_FALSE(log.HasPrefix("unadvise Events cookie=0")) << "the cookie Advise gave";
    for (int line : {events, notify}) {
        ASSERT_GE(line, 0);
        EXPECT_NE(log.Lines()[line].find("hr=0x00000000"), std::string::npos) << log.Dump();
    }
    EXPECT_FALSE(IsWindow(hwnd)) << "the object destroyed its window on closing";
    // Replacing the module detaches this one: no object of it may still be alive.
    wintest::UseRuntimeModule(L"flash_standin.dll");
    EXPECT_GE(log.FindLine("detach refs=0"), 0) << log.Dump();
}

TEST_F(Container, TakingTheFocusAsksForUIActivationAndPaletteChangesReachTheObject)
{
    auto control = MakeControl(form.Form());
    form.Form().Show();
    control->HandleNeeded();
    SetFocus(form.Form().WindowHandle());
    control->UIDeactivateRequest();  // showing the form focused and UI-activated it already
    ASSERT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), nullptr);
    log.Clear();
    SetFocus(control->WindowHandle());
    const int focus = log.FindLine("window WM_SETFOCUS");
    const int verb = log.FindPrefix("call DoVerb -4 ");
    EXPECT_GE(focus, 0) << log.Dump();
    EXPECT_GT(verb, focus) << log.Dump();
    EXPECT_GT(log.FindLine("site OnUIActivate hr=0x00000000"), verb) << log.Dump();
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), control.get());

    // Only the form hears of palette changes; it passes the foreground one on.
    log.Clear();
    SendMessageW(form.Form().WindowHandle(), WM_QUERYNEWPALETTE, 0, 0);
    EXPECT_EQ(log.CountLine("window WM_QUERYNEWPALETTE"), 1) << log.Dump();
}

TEST_F(Container, OneControlOfAFormIsUIActiveAtATime)
{
    auto a = MakeControl(form.Form());
    auto b = MakeControl(form.Form());
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), nullptr);
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(a.get())->OnUIActivate(), S_OK);
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), a.get());

    // The request UI-activates the object, whose site call takes the form from the other control.
    log.Clear();
    b->UIActivateRequest();
    EXPECT_GE(log.FindPrefix("call DoVerb -4"), 0) << log.Dump();
    EXPECT_GE(log.FindPrefix("site OnUIActivate hr=0x00000000"), 0) << log.Dump();
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), b.get());
    // Already active: asking again does nothing.
    log.Clear();
    b->UIActivateRequest();
    EXPECT_LT(log.FindPrefix("call DoVerb"), 0) << log.Dump();

    EXPECT_EQ(static_cast<IOleInPlaceSite*>(b.get())->OnUIDeactivate(FALSE), S_OK);
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), nullptr);

    // A destroyed control is never left as the form's active one.
    static_cast<IOleInPlaceSite*>(a.get())->OnUIActivate();
    a.reset();
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), nullptr);
}

// ---- operations -----------------------------------------------------------------------

// Each method, property and window command, alone, reaches its member of the object.
TEST_F(Container, MethodsPropertiesAndCommandsReachTheirMembers)
{
    auto control = MakeControl(form.Form());
    control->HandleNeeded();
    TFlashPlayerControl& c = *control;
    const struct {
        std::function<void()> call;
        const char* logged;
    } calls[] = {
        {[&] { c.Rewind(); }, "call Rewind"},
        {[&] { c.StopPlay(); }, "call StopPlay"},
        {[&] { c.SetZoomRect(0, 0, 11000, 8000); }, "call SetZoomRect 0 0 11000 8000"},
        {[&] { c.Zoom(50); }, "call Zoom 50"},
        {[&] { c.Pan(1, 2, 1); }, "call Pan 1 2 1"},
        {[&] { c.GotoFrame(0); }, "call GotoFrame 0"},
        {[&] { c.SetQuality(3); }, "call put_Quality 3"},
        {[&] { c.SetLoop(true); }, "call put_Loop -1"},
        {[&] { c.SetScale(L"showall"); }, "call put_Scale showall"},
        {[&] { SendMessageW(c.WindowHandle(), WM_COMMAND, FLASH_CMD_SHOW_ALL, 0); }, "command 20034 showall"},
    };
    for (const auto& call : calls) {
        log.Clear();
        call.call();
        EXPECT_TRUE(log.HasPrefix(call.logged)) << call.logged << log.Dump();
    }
    log.Clear();
    EXPECT_EQ(c.Quality(), 3);
    EXPECT_GE(log.FindPrefix("call get_Quality"), 0) << "the getter asks the object, not the copy";
    EXPECT_TRUE(c.Loop());
    EXPECT_EQ(c.Scale(), L"showall");
    EXPECT_EQ(c.CurrentFrame(), 0);
    EXPECT_FALSE(c.IsPlaying());
    EXPECT_EQ((c.FlashVersion() >> 16) & 0xFF, 10);
}

// ---- version gating -------------------------------------------------------------------

// Every case assigns the same members; the object's log shows which reached it. Members
// the layout lacks keep the assigned value in the control.
struct GatingCase {
    const char* name;
    const wchar_t* module;
    int major;  // as the control counts it
    std::vector<std::string> forwarded, kept;
};

const GatingCase kGatingCases[] = {
    {"VersionSix", L"flash_standin_v6.dll", 6, {"call put_Quality 2"},
     {"call put_SWRemote", "call put_FlashVars", "call put_AllowScriptAccess", "call put_MovieData",
      "call get_MovieData", "call TGetPropertyAsNumber"}},
    {"VersionSeven", L"flash_standin_v7.dll", 7,
     {"call put_Quality 2", "call put_SWRemote remote", "call put_FlashVars v=1", "call put_AllowScriptAccess always",
      "call put_MovieData data", "call get_MovieData", "call TGetPropertyAsNumber"},
     {}},
    {"VersionNineCountsAsEight", L"flash_standin_v9.dll", 8,
     {"call put_Quality 2", "call put_SWRemote remote", "call put_FlashVars v=1", "call put_AllowScriptAccess always"},
     {"call put_MovieData", "call get_MovieData", "call TGetPropertyAsNumber"}},
};

class VersionGating : public ::testing::TestWithParam<GatingCase> {};

TEST_P(VersionGating, ForwardsTheMembersOfTheObjectsLayoutAndKeepsTheRest)
{
    const GatingCase& c = GetParam();
    wintest::ScopedRuntimeModule module(c.module);
    StandinLog log;
    wintest::TestForm form;
    auto control = MakeControl(form.Form());
    ASSERT_TRUE(control->HasOleObject());
    EXPECT_EQ(control->GetFlashMajorVersion(), c.major);
    log.Clear();
    control->SetQuality(2);
    control->SetSWRemote(L"remote");
    control->SetFlashVars(L"v=1");
    control->SetAllowScriptAccess(L"always");
    control->SetMovieData(L"data");
    EXPECT_EQ(control->SWRemote(), L"remote");
    EXPECT_EQ(control->FlashVars(), L"v=1");
    EXPECT_EQ(control->MovieData(), L"data");
    const double number = control->TGetPropertyAsNumber(L"/", 1);
    for (const std::string& line : c.forwarded) EXPECT_TRUE(log.HasPrefix(line)) << line << log.Dump();
    for (const std::string& line : c.kept) EXPECT_FALSE(log.HasPrefix(line)) << line << log.Dump();
    if (!c.kept.empty()) {
        EXPECT_EQ(number, 0.0) << "a member the layout lacks answers nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, VersionGating, ::testing::ValuesIn(kGatingCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- events ---------------------------------------------------------------------------

TEST_F(Container, EventsReachTheirHandlersAndAFailingHandlerDoesNotStopTheNext)
{
    auto control = MakeControl(form.Form());
    control->HandleNeeded();
    const int width = control->Width(), height = control->Height();
    std::vector<std::wstring> commands;
    std::vector<long> states, progress;
    wintest::ExceptionReports reports;
    control->OnFSCommand = [&](TFlashPlayerControl& sender, const std::wstring& cmd, const std::wstring& args) {
        EXPECT_EQ(&sender, control.get());
        commands.push_back(cmd + L"|" + args);
        if (commands.size() == 1) throw std::runtime_error("handler failed");
    };
    control->OnReadyStateChange = [&](TFlashPlayerControl&, long s) { states.push_back(s); };
    control->OnProgress = [&](TFlashPlayerControl&, long p) { progress.push_back(p); };

    const auto movie = SwfWriter().FSCommand("first", "one").FSCommand("second", "two").ShowFrame().Build();
    flashrt::TMemoryStream stream(movie);
    control->LoadMovieFromStream(stream);
    // The runtime answers later, while the loop runs: nothing has arrived when the call returns.
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(states.empty());
    EXPECT_TRUE(progress.empty());
    ASSERT_TRUE(wintest::PumpUntil([&] { return commands.size() == 2 && !states.empty() && states.back() == 4; },
                                   std::chrono::seconds(10)))
        << log.Dump();
    ASSERT_EQ(commands.size(), 2u) << log.Dump();
    EXPECT_EQ(commands[0], L"first|one");
    EXPECT_EQ(commands[1], L"second|two");
    EXPECT_EQ(reports.messages, (std::vector<std::string>{"handler failed"}));
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), 4);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);

    // With the movie there, the runtime asks for a new layout and confirms its position:
    // the container lays it out from the extent it gave, so nothing moves, and hands the
    // confirmed rectangle back through SetObjectRects.
    const int layout = log.FindLine("site RequestNewObjectLayout hr=0x00000000");
    ASSERT_GE(layout, 0) << log.Dump();
    const std::string rect = std::to_string(control->Left()) + " " + std::to_string(control->Top()) + " " +
                             std::to_string(control->Left() + control->Width()) + " " +
                             std::to_string(control->Top() + control->Height());
    const int confirmed = log.FindLine("call SetObjectRects " + rect, layout);
    EXPECT_GE(confirmed, 0) << rect << "\n" << log.Dump();
    EXPECT_GT(log.FindLine("site OnPosRectChange hr=0x00000000", layout), confirmed) << log.Dump();
    EXPECT_EQ(control->Width(), width);
    EXPECT_EQ(control->Height(), height);
}

TEST_F(Container, TheEventSinkAnswersItsInterfacesAndCountsOnTheControl)
{
    auto control = MakeControl(form.Form());
    control->HandleNeeded();
    ComPtr<IUnknown> sink(control->EventSink());
    void* out = nullptr;
    EXPECT_EQ(sink->QueryInterface(DIID_ShockwaveFlashEvents, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(sink.Get())) << "the event interface is the sink's IDispatch";
    static_cast<IUnknown*>(out)->Release();
    out = Poison<void>();
    EXPECT_EQ(sink->QueryInterface(IID_IOleClientSite, &out), E_NOINTERFACE) << "the sink is not the site";
    EXPECT_EQ(out, nullptr);
    const LONG before = control->RefCount();
    sink->AddRef();
    EXPECT_EQ(control->RefCount(), before + 1);
    sink->Release();
    EXPECT_EQ(control->RefCount(), before);

    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(sink.As(&dispatch), S_OK);
    // Unknown events and events without a handler are accepted and ignored.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch->Invoke(4242, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(dispatch->Invoke(DISPID_FlashFSCommand, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    // A malformed event (too few arguments) reaches no handler; the well-formed one does.
    int called = 0;
    control->OnFSCommand = [&](TFlashPlayerControl&, const std::wstring&, const std::wstring&) { ++called; };
    VARIANT args[2];
    for (VARIANT& arg : args) {
        VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = SysAllocString(L"x");
    }
    DISPPARAMS oneArg{args, nullptr, 1, 0}, twoArgs{args, nullptr, 2, 0};
    EXPECT_EQ(dispatch->Invoke(DISPID_FlashFSCommand, IID_NULL, 0, DISPATCH_METHOD, &oneArg, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(called, 0);
    EXPECT_EQ(dispatch->Invoke(DISPID_FlashFSCommand, IID_NULL, 0, DISPATCH_METHOD, &twoArgs, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(called, 1);
    for (VARIANT& arg : args) VariantClear(&arg);
}

TEST_F(Container, StockEventsBecomeTheControlsNotifications)
{
    auto control = MakeControl(form.Form());
    std::vector<std::string> seen;
    control->OnMouseDown = [&](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState s, int x, int y) {
        seen.push_back("down " + std::to_string(int(b)) + " " + std::to_string(s) + " " + std::to_string(x) + "," +
                       std::to_string(y));
    };
    control->OnKeyDown = [&](TFlashPlayerControl&, WORD& key, swfp::tk::ShiftState s) {
        seen.push_back("key " + std::to_string(key) + " " + std::to_string(s));
        key = 0;  // swallowed: written back to the object
    };
    // MouseDown(button, shift, x, y) arrives last argument first.
    VARIANT mouse[4];
    for (auto& v : mouse) VariantInit(&v), v.vt = VT_I4;
    mouse[3].lVal = 6;  // right and middle: the lowest set bit wins
    mouse[2].lVal = 1;  // shift
    mouse[1].lVal = 40;
    mouse[0].lVal = 30;
    DISPPARAMS p{mouse, nullptr, 4, 0};
    control->StandardEvent(DISPID_MOUSEDOWN, p);
    SHORT key = 65;
    VARIANT keys[2];
    VariantInit(&keys[0]);
    VariantInit(&keys[1]);
    keys[1].vt = VT_BYREF | VT_I2;
    keys[1].piVal = &key;
    keys[0].vt = VT_I2;
    keys[0].iVal = 2;  // control
    DISPPARAMS k{keys, nullptr, 2, 0};
    control->StandardEvent(DISPID_KEYDOWN, k);
    DISPPARAMS tooFew{keys, nullptr, 1, 0};
    control->StandardEvent(DISPID_KEYDOWN, tooFew);
    const std::string right = std::to_string(int(swfp::tk::MouseButton::Right));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "down " + right + " " + std::to_string(swfp::tk::ssShift | swfp::tk::ssRight | swfp::tk::ssMiddle) +
                           " 40,30");
    EXPECT_EQ(seen[1], "key 65 " + std::to_string(swfp::tk::ssCtrl));
    EXPECT_EQ(key, 0) << "a changed key is written back by reference";
}

