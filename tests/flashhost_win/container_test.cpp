// The OLE container against the stand-in runtime: the ambient properties, the order
// of the object's calls as its log records them, resizing, focus, destruction,
// version gating and events. Also the control without any module.
#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "tests/flashhost_win/flashhost_test_support.h"
#include "tests/support/swf_writer.h"

using namespace flashhost;
using Microsoft::WRL::ComPtr;
using swfp::wintest::StandinLog;
namespace wintest = swfp::wintest;
using wintest::MakeControl;
using wintest::Poison;

TEST(NoModule, PlainWindowKeepsCopiesAndMethodsRaise)
{
    wintest::ScopedRuntimeModule none(L"");
    const std::unique_ptr<swfp::tk::TForm> form = wintest::MakeForm();
    auto control = MakeControl(*form);
    EXPECT_FALSE(control->HasOleObject());
    EXPECT_EQ(control->GetFlashMajorVersion(), -1);
    control->SetQuality(3);
    EXPECT_EQ(control->Quality(), 3);
    control->SetFlashVars(L"a=1");
    EXPECT_EQ(control->FlashVars(), L"a=1");
    EXPECT_EQ(control->TotalFrames(), 0);
    EXPECT_EQ(control->TGetPropertyAsNumber(L"/", 0), 0.0);
    try {
        control->Play();
        FAIL() << "Play without a Flash object must raise";
    } catch (const EOleError& e) {
        EXPECT_EQ(e.Code(), E_NOINTERFACE);
    }
    EXPECT_EQ(GetParent(control->Handle()), form->WindowHandle()) << "an ordinary child window";
}

class Container : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wintest::UseRuntimeModule(L"flash_standin.dll"); }
    StandinLog log;
    const std::unique_ptr<swfp::tk::TForm> form = wintest::MakeForm();
};

// The runtime reads the ambient properties once it has a site; its log shows what it
// was told (BackColor 0x123456).
TEST_F(Container, TheRuntimeReadsTheAmbientProperties)
{
    auto control = std::make_unique<TFlashPlayerControl>(nullptr);
    control->SetName("plr");
    control->SetColor(0x123456);
    control->SetParent(form.get());
    for (const std::string& line : std::initializer_list<std::string>{
             "UserMode -1", "UIDead 0", "MessageReflect -1", "AutoClip -1", "ShowGrabHandles 0", "ShowHatching 0",
             "SupportsMnemonics -1", "DisplayName plr", "BackColor 1193046",
             "LocaleID " + std::to_string(GetUserDefaultLCID())})
        EXPECT_TRUE(log.HasLine("ambient " + line)) << line << log.Dump();
    // The font is an IFont the runtime reads the face name of (the platform may substitute it).
    EXPECT_TRUE(log.HasPrefix("ambient Font ")) << log.Dump();
    EXPECT_FALSE(log.HasLine("ambient Font <dispatch>")) << log.Dump();
    EXPECT_TRUE(log.HasPrefix("ambient ForeColor ")) << log.Dump();
}

// Construction asks the provider for the object and lays out from its extent; the
// site comes with the parent, whose window the control takes for activation.
TEST_F(Container, ActivationAdoptsTheObjectsWindowInTheSitesOrder)
{
    auto control = std::make_unique<TFlashPlayerControl>(nullptr);
    ASSERT_TRUE(control->HasOleObject()) << log.Dump();
    EXPECT_EQ(log.FindPrefix("call CreateInstance hr=0x00000000"), 0) << log.Dump();
    EXPECT_EQ(log.FindPrefix("call GetExtent 1"), 1) << log.Dump();
    EXPECT_EQ(control->GetFlashMajorVersion(), 8) << "a version 10 object counts as 8";
    EXPECT_LT(log.FindPrefix("call SetClientSite 1"), 0) << log.Dump();
    HWND window = Poison<HWND__>();
    EXPECT_EQ(static_cast<IOleInPlaceSite&>(*control).GetWindow(&window), E_FAIL) << "no parent, no window";
    EXPECT_EQ(window, nullptr);
    control->SetBounds(10, 20, 300, 200);
    log.Clear();
    control->SetParent(form.get());  // a parent with a window gives the control its window at once
    ASSERT_TRUE(control->InPlaceActive()) << log.Dump();

    int at = -1;
    for (const char* step : {"call SetClientSite 1", "call OnAmbientPropertyChange -1", "call DoVerb -5 10 20 310 220",
                             "site OnInPlaceActivate hr=0x00000000", "site GetWindowContext hr=0x00000000",
                             "site ShowObject hr=0x00000000"}) {
        const int found = log.FindPrefix(step, at + 1);
        EXPECT_GT(found, at) << step << log.Dump();
        at = std::max(at, found);
    }

    // The window context carries the bounds and the fixed clip rectangle.
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> doc;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO info{sizeof info};
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(control.get())->GetWindowContext(&frame, &doc, &pos, &clip, &info), S_OK);
    EXPECT_TRUE(frame);
    EXPECT_FALSE(doc);
    EXPECT_EQ(pos.left, 10);
    EXPECT_EQ(pos.bottom, 220);
    EXPECT_EQ(clip.right, 32767);
    EXPECT_EQ(clip.bottom, 32767);
    EXPECT_EQ(info.hwndFrame, form->WindowHandle());
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
        auto control = MakeControl(*form);
        form->SetClientSize(800, 600);
        if (c.aligned) control->SetAlign(swfp::tk::Align::Client);
        else control->SetBounds(0, 0, 300, 200);
        const int oldWidth = control->Width();
        log.Clear();
        {
            std::optional<wintest::StandinFault> refuse;
            if (c.refused) refuse.emplace(L"refuse-extent");
            if (c.aligned) form->SetClientSize(650, 476);
            else control->SetBounds(5, 6, 650, 476);
        }
        const int extent = log.FindLine("call SetExtent 1 " + std::to_string(MulDiv(650, 2540, 96)) + " " +
                                        std::to_string(MulDiv(476, 2540, 96)));
        ASSERT_GE(extent, 0) << log.Dump();
        const int verb = log.FindLine(std::string("call DoVerb -5 ") + (c.aligned ? "0 0 650 476" : "5 6 655 482"));
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

TEST_F(Container, DestructionClosesTheObjectThenEndsItsConnectionsAndItsSite)
{
    auto control = MakeControl(*form);
    flashrt::TMemoryStream stream(SwfWriter().ShowFrame().Build());
    control->LoadMovieFromStream(stream);
    log.Clear();
    control.reset();
    const int close = log.FindPrefix("call Close 1");
    const int events = log.FindPrefix("unadvise Events cookie=");
    const int notify = log.FindPrefix("unadvise PropertyNotifySink cookie=");
    EXPECT_GE(close, 0) << log.Dump();
    EXPECT_GT(events, close) << log.Dump();
    EXPECT_GT(notify, close) << log.Dump();
    EXPECT_GT(log.FindPrefix("call SetClientSite 0"), std::max(events, notify)) << log.Dump();
    EXPECT_FALSE(log.HasPrefix("unadvise Events cookie=0")) << "the cookie Advise gave";
    for (int line : {events, notify}) {
        ASSERT_GE(line, 0);
        EXPECT_NE(log.Lines()[line].find("hr=0x00000000"), std::string::npos) << log.Dump();
    }
}

TEST_F(Container, TakingTheFocusUIActivatesOneControlOfAFormAtATime)
{
    auto other = MakeControl(*form);
    auto control = MakeControl(*form);
    form->Show();
    SetFocus(form->WindowHandle());
    control->UIDeactivateRequest();  // showing the form focused and UI-activated it already
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(other.get())->OnUIActivate(), S_OK);
    ASSERT_EQ(TFlashPlayerControl::ActiveOleControlOf(form.get()), other.get());
    log.Clear();
    SetFocus(control->WindowHandle());
    const int focus = log.FindLine("window WM_SETFOCUS");
    const int verb = log.FindPrefix("call DoVerb -4 ");
    EXPECT_GE(focus, 0) << log.Dump();
    EXPECT_GT(verb, focus) << log.Dump();
    EXPECT_GT(log.FindLine("site OnUIActivate hr=0x00000000"), verb) << log.Dump();
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(form.get()), control.get()) << "taken from the other";

    EXPECT_EQ(static_cast<IOleInPlaceSite*>(control.get())->OnUIDeactivate(FALSE), S_OK);
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(form.get()), nullptr);
    static_cast<IOleInPlaceSite*>(other.get())->OnUIActivate();
    other.reset();
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(form.get()), nullptr) << "none destroyed is left active";

    // Only the form hears of palette changes; it passes the foreground one on.
    log.Clear();
    SendMessageW(form->WindowHandle(), WM_QUERYNEWPALETTE, 0, 0);
    EXPECT_EQ(log.CountLine("window WM_QUERYNEWPALETTE"), 1) << log.Dump();
}

// The members of an object's layout reach it, each alone, and getters ask the object
// rather than a copy. A version 9 object counts as 8, whose layout has FlashVars but
// not MovieData: that one stays with the control. A value the object refuses stands.
TEST(VersionGating, ForwardsTheMembersOfTheObjectsLayoutAndKeepsTheRest)
{
    wintest::ScopedRuntimeModule module(L"flash_standin_v9.dll");
    StandinLog log;
    const std::unique_ptr<swfp::tk::TForm> form = wintest::MakeForm();
    auto control = MakeControl(*form);
    ASSERT_TRUE(control->HasOleObject());
    EXPECT_EQ(control->GetFlashMajorVersion(), 8);
    TFlashPlayerControl& c = *control;
    const struct {
        std::function<void()> call;
        const char* logged;
    } calls[] = {
        {[&] { c.Zoom(50); }, "call Zoom 50"},
        {[&] { c.Pan(1, 2, 1); }, "call Pan 1 2 1"},
        {[&] { c.SetQuality(3); }, "call put_Quality 3"},
        {[&] { c.SetFlashVars(L"v=1"); }, "call put_FlashVars v=1"},
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
    c.SetMovieData(L"data");
    EXPECT_EQ(c.MovieData(), L"data");
    EXPECT_EQ(c.TGetPropertyAsNumber(L"/", 1), 0.0) << "a member the layout lacks answers nothing";
    for (const char* kept : {"call put_MovieData", "call get_MovieData", "call TGetPropertyAsNumber"})
        EXPECT_FALSE(log.HasPrefix(kept)) << kept << log.Dump();
    wintest::StandinFault refuse(L"refuse-loop");
    c.SetLoop(true);
    EXPECT_TRUE(log.HasPrefix("call put_Loop -1")) << log.Dump();
    EXPECT_TRUE(c.Loop()) << "the object cannot say: the assigned value stands";
}

TEST_F(Container, EventsReachTheirHandlersAndAFailingHandlerDoesNotStopTheNext)
{
    auto control = MakeControl(*form);
    std::vector<std::wstring> commands;
    wintest::ExceptionReports reports;
    control->OnFSCommand = [&](TFlashPlayerControl& sender, const std::wstring& cmd, const std::wstring& args) {
        EXPECT_EQ(&sender, control.get());
        commands.push_back(cmd + L"|" + args);
        if (commands.size() == 1) throw std::runtime_error("handler failed");
    };

    flashrt::TMemoryStream stream(SwfWriter().FSCommand("first", "one").FSCommand("second", "two").ShowFrame().Build());
    control->LoadMovieFromStream(stream);
    // The runtime answers later, while the loop runs: nothing has arrived when the call returns.
    EXPECT_TRUE(commands.empty());
    ASSERT_TRUE(wintest::PumpUntil([&] { return commands.size() == 2; }, std::chrono::seconds(10))) << log.Dump();
    EXPECT_EQ(commands, (std::vector<std::wstring>{L"first|one", L"second|two"}));
    EXPECT_EQ(reports.messages, (std::vector<std::string>{"handler failed"}));

    // A malformed event (too few arguments) reaches no handler.
    IDispatch* sink = control->EventSink();
    VARIANT args[2];
    for (VARIANT& arg : args) {
        VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = SysAllocString(L"x");
    }
    DISPPARAMS oneArg{args, nullptr, 1, 0}, twoArgs{args, nullptr, 2, 0};
    EXPECT_EQ(sink->Invoke(DISPID_FlashFSCommand, IID_NULL, 0, DISPATCH_METHOD, &oneArg, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(commands.size(), 2u);
    EXPECT_EQ(sink->Invoke(DISPID_FlashFSCommand, IID_NULL, 0, DISPATCH_METHOD, &twoArgs, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(commands.size(), 3u);
    for (VARIANT& arg : args) VariantClear(&arg);
}
