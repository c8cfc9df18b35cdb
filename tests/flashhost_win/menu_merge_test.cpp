// The frame's part in menu merging: the form's menu-bar items go into the shared
// menu by their group (File 0, Container 2, Window 4) with the group widths
// filled, the shared menu is shown on the form while the object is active, and
// the form gets its own menu back afterwards.
#include <gtest/gtest.h>

#include "tests/flashhost_win/flashhost_test_support.h"
#include "toolkit/menu_win.h"

using namespace flashhost;
using Microsoft::WRL::ComPtr;

TEST(MenuMerge, FormMenuGoesIntoTheContainerGroupsAndComesBack)
{
    swfp::wintest::UseRuntimeModule(L"flash_standin.dll");
    const std::unique_ptr<swfp::tk::TForm> form = swfp::wintest::MakeForm();
    auto control = swfp::wintest::MakeControl(*form);
    ComPtr<IOleInPlaceFrame> frame;  // the control answers for the frame itself
    ASSERT_EQ(static_cast<IOleClientSite*>(control.get())->QueryInterface(IID_PPV_ARGS(&frame)), S_OK);
    const std::unique_ptr<HMENU__, decltype(&DestroyMenu)> menuGuard(CreateMenu(), &DestroyMenu);
    HMENU shared = menuGuard.get();
    OLEMENUGROUPWIDTHS widths{{-1, -1, -1, -1, -1, -1}};
    HWND window = form->WindowHandle();

    swfp::tk::TMainMenu menu(nullptr);
    // Declared out of group order, and one item of an object's group (1) that the container must leave out.
    const std::vector<std::pair<std::string, int>> items{
        {"&Window", 4}, {"&File", 0}, {"&Edit", 1}, {"&View", 2}, {"&Save", 0}, {"&Hidden", 2}};
    for (const auto& [caption, group] : items) {
        swfp::tk::TMenuItem& item = menu.Items().Add(caption);
        item.SetCaption(std::wstring(caption.begin(), caption.end()));
        item.GroupIndex = group;
        item.Add(caption + "Child").SetCaption(L"child");
    }
    menu.Items().Find("&Hidden")->SetVisible(false);
    form->SetMenu(&menu);
    ASSERT_EQ(GetMenu(window), menu.Handle());

    ASSERT_EQ(frame->InsertMenus(shared, &widths), S_OK);
    std::vector<std::wstring> captions;
    for (int i = 0; i < GetMenuItemCount(shared); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(shared, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        captions.push_back(text);
    }
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"&File", L"&Save", L"&View", L"&Window"}));
    EXPECT_EQ(widths.width[0], 2);
    EXPECT_EQ(widths.width[2], 1);
    EXPECT_EQ(widths.width[4], 1);
    // The object's groups are the object's to fill.
    for (int group : {1, 3, 5}) EXPECT_EQ(widths.width[group], -1) << group;
    // The submenus are the form's own, shown in the shared bar.
    EXPECT_EQ(GetSubMenu(shared, 0), GetSubMenu(menu.Handle(), 1));

    HOLEMENU descriptor = OleCreateMenuDescriptor(shared, &widths);
    ASSERT_TRUE(descriptor);
    EXPECT_EQ(frame->SetMenu(shared, descriptor, control->WindowHandle()), S_OK);
    EXPECT_EQ(GetMenu(window), shared);
    EXPECT_EQ(frame->SetMenu(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(GetMenu(window), menu.Handle());

    EXPECT_EQ(frame->RemoveMenus(shared), S_OK);
    EXPECT_EQ(GetMenuItemCount(shared), 0);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu.Handle(), 1)), 1) << "removing must not destroy the form's submenus";
    OleDestroyMenuDescriptor(descriptor);
    form->SetMenu(nullptr);  // before the menu goes
}
