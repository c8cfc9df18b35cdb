// The container against an in-place control nobody on this project wrote: the
// WebBrowser control of the system (ieframe.dll), created through COM by a module
// provider of the test's own. Only the site protocol is exercised; no Flash
// operation is called on it.
#include <gtest/gtest.h>

#include <exdisp.h>
#include <ocidl.h>

#include "flashhost/FlashPlayerControl_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "tests/flashhost_win/flashhost_test_support.h"

using namespace flashhost;
using Microsoft::WRL::ComPtr;
namespace wintest = swfp::wintest;

namespace {

// Creates objects of one registered class through COM, where the player's
// providers create them from a mapped module.
class ComClassProvider final : public flashrt::TFlashOCXCodeProvider {
public:
    explicit ComClassProvider(const CLSID& clsid) : clsid_(clsid) {}
    HRESULT CreateInstance(REFIID iid, void** obj) override
    {
        return CoCreateInstance(clsid_, nullptr, CLSCTX_INPROC_SERVER, iid, obj);
    }

private:
    CLSID clsid_;
};

// The live connections of one of the object's connection points (0 when it has none).
int ConnectionsOf(IUnknown* object, REFIID iid)
{
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    if (FAILED(object->QueryInterface(IID_PPV_ARGS(&container))) || FAILED(container->FindConnectionPoint(iid, &point)) ||
        FAILED(point->EnumConnections(&connections)))
        return 0;
    int count = 0;
    CONNECTDATA data{};
    while (connections->Next(1, &data, nullptr) == S_OK) {
        ++count;
        if (data.pUnk) data.pUnk->Release();
    }
    return count;
}

RECT RectIn(HWND window, HWND parent)
{
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class ForeignObject : public ::testing::Test {
protected:
    void SetUp() override { flashrt::SetFlashOCXCodeProvider(std::make_unique<ComClassProvider>(CLSID_WebBrowser)); }
    void TearDown() override { wintest::UseRuntimeModule(L"flash_standin.dll"); }
    wintest::TestForm form;
};

}  // namespace

TEST_F(ForeignObject, TheWebBrowserControlGoesThroughTheWholeSiteProtocol)
{
    form.Form().Show();
    HWND formWindow = form.Form().WindowHandle();
    auto control = std::make_unique<TFlashPlayerControl>(nullptr);
    ASSERT_TRUE(control->HasOleObject()) << "the WebBrowser class is registered with the system";
    // The test's own reference: the object is looked at after the control is gone.
    ComPtr<IOleObject> object;
    ASSERT_EQ(control->OleObject()->QueryInterface(IID_PPV_ARGS(&object)), S_OK);

    // In-place activation: the object's own window becomes the control's window.
    control->SetBounds(10, 20, 300, 200);
    control->SetParent(&form.Form());
    control->HandleNeeded();
    ASSERT_TRUE(control->InPlaceActive());
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(object.As(&inPlace), S_OK);
    HWND window = nullptr;
    ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
    EXPECT_EQ(control->WindowHandle(), window);
    EXPECT_EQ(GetParent(window), formWindow);
    ComPtr<IOleClientSite> site;
    EXPECT_EQ(object->GetClientSite(&site), S_OK);
    EXPECT_EQ(site.Get(), static_cast<IOleClientSite*>(control.get()));
    site.Reset();

    // A resize tells the object its extent; its window follows the bounds.
    control->SetBounds(30, 40, 400, 300);
    SIZEL extent{};
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, MulDiv(400, 2540, 96));
    EXPECT_EQ(extent.cy, MulDiv(300, 2540, 96));
    const RECT placed = RectIn(window, formWindow);
    EXPECT_EQ(placed.left, 30);
    EXPECT_EQ(placed.top, 40);
    EXPECT_EQ(placed.right - placed.left, 400);
    EXPECT_EQ(placed.bottom - placed.top, 300);

    // Focus and UI activation: the container asks on focus; Wine's control, once in place,
    // only shows its window and does not report UI activation (Windows' does), so the
    // form's active control is checked through the container's own calls.
    SetFocus(formWindow);
    SetFocus(window);
    EXPECT_EQ(GetFocus(), window);
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(control.get())->OnUIActivate(), S_OK);
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), control.get());
    control->UIDeactivateRequest();
    EXPECT_EQ(TFlashPlayerControl::ActiveOleControlOf(&form.Form()), nullptr);
    EXPECT_TRUE(control->InPlaceActive()) << "UI deactivation leaves the object in place";

    // Destruction: the object keeps no site and no sink, its window is gone, and
    // the test's reference is the only one left.
    const ULONG siteReferences = static_cast<ULONG>(control->RefCount());
    EXPECT_GT(siteReferences, 0u) << "the object holds the site while it is active";
    control.reset();
    IOleClientSite* left = reinterpret_cast<IOleClientSite*>(static_cast<uintptr_t>(0xdeadbeef));
    EXPECT_EQ(object->GetClientSite(&left), S_OK);
    EXPECT_EQ(left, nullptr);
    EXPECT_EQ(ConnectionsOf(object.Get(), IID_IPropertyNotifySink), 0);
    EXPECT_FALSE(IsWindow(window));
    inPlace.Reset();
    object->AddRef();
    EXPECT_EQ(object->Release(), 1u);
}
