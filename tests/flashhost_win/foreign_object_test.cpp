// The container against an in-place control nobody on this project wrote: the
// WebBrowser control of the system (ieframe.dll), created through COM by a module
// provider of the test's own. Only the site protocol is exercised; no Flash
// operation is called on it.
#include <gtest/gtest.h>

#include <exdisp.h>

#include "flashrt/flash_ocx_code_provider_win.h"
#include "tests/flashhost_win/flashhost_test_support.h"

using namespace flashhost;
using Microsoft::WRL::ComPtr;
namespace wintest = swfp::wintest;

namespace {

// Creates the system's WebBrowser object through COM, where the player's providers
// create objects from a mapped module.
class WebBrowserProvider final : public flashrt::TFlashOCXCodeProvider {
public:
    HRESULT CreateInstance(REFIID iid, void** obj) override
    {
        return CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, iid, obj);
    }
};

class ForeignObject : public ::testing::Test {
protected:
    void SetUp() override { flashrt::SetFlashOCXCodeProvider(std::make_unique<WebBrowserProvider>()); }
    void TearDown() override { wintest::UseRuntimeModule(L"flash_standin.dll"); }
    const std::unique_ptr<swfp::tk::TForm> form = wintest::MakeForm();
};

}  // namespace

TEST_F(ForeignObject, TheWebBrowserControlGoesThroughTheWholeSiteProtocol)
{
    form->Show();
    HWND formWindow = form->WindowHandle();
    auto control = std::make_unique<TFlashPlayerControl>(nullptr);
    ASSERT_TRUE(control->HasOleObject()) << "the WebBrowser class is registered with the system";
    // The test's own reference: the object is looked at after the control is gone.
    ComPtr<IOleObject> object;
    ASSERT_EQ(control->OleObject()->QueryInterface(IID_PPV_ARGS(&object)), S_OK);

    // In-place activation: the object's own window becomes the control's window.
    control->SetBounds(10, 20, 300, 200);
    control->SetParent(form.get());
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
    RECT placed{};
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, formWindow, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 30);
    EXPECT_EQ(placed.top, 40);
    EXPECT_EQ(placed.right - placed.left, 400);
    EXPECT_EQ(placed.bottom - placed.top, 300);

    // Destruction: the object keeps no site, its window is gone, and
    // the test's reference is the only one left.
    const ULONG siteReferences = static_cast<ULONG>(control->RefCount());
    EXPECT_GT(siteReferences, 0u) << "the object holds the site while it is active";
    control.reset();
    IOleClientSite* left = wintest::Poison<IOleClientSite>();
    EXPECT_EQ(object->GetClientSite(&left), S_OK);
    EXPECT_EQ(left, nullptr);
    EXPECT_FALSE(IsWindow(window));
    inPlace.Reset();
    object->AddRef();
    EXPECT_EQ(object->Release(), 1u);
}
