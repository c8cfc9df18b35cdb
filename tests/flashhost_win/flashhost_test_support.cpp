#include "tests/flashhost_win/flashhost_test_support.h"

namespace swfp::wintest {

namespace {

// The process's runtime state lives for the whole test program, as in the
// player; each suite chooses the module it maps.
[[maybe_unused]] const auto* const environment = AddRuntimeEnvironment();

}  // namespace

std::unique_ptr<swfp::tk::TForm> MakeForm()
{
    auto form = std::make_unique<swfp::tk::TForm>(nullptr);
    form->SetName("TestForm");
    form->SetClientSize(800, 600);
    form->HandleNeeded();
    return form;
}

std::unique_ptr<flashhost::TFlashPlayerControl> MakeControl(swfp::tk::TForm& form)
{
    auto control = std::make_unique<flashhost::TFlashPlayerControl>(nullptr);
    control->SetName("plr");
    control->SetParent(&form);
    return control;
}

}  // namespace swfp::wintest
