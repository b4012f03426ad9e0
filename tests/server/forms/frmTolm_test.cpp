#include "server/forms/frmTolm.h"

#include "engine/engine_ids.h"
#include "ui/headless/headless_window_system.h"
#include "ui/current_window_system.h"

#include <gtest/gtest.h>

namespace tolm::server {
namespace {

TEST(frmTolm, LoadingMakesTheMapEngineWithItsLabelSettingAndUnloadingDropsIt) {
    platform::headless::HeadlessWindowSystem desktop;
    platform::ScopedWindowSystem use(desktop);
    frmTolm form;
    EXPECT_FALSE(form.Tolm());
    form.Load();
    ASSERT_TRUE(form.Tolm());
    Arguments none;
    EXPECT_EQ(form.Tolm()->invoke(engine::ids::LABEL_FONT_SCALE, InvokeKind::property_get, none).to_int32(), 6);

    form.Move(15000 - 200, 11520 - 200, 200, 200);
    EXPECT_EQ(form.Left(), 14800);
    EXPECT_EQ(form.Width(), 200);
    EXPECT_NEAR(form.TolmWidth(), 200.0 / 15, 1e-9) << "the control fills the form, in pixels";
    form.Show();
    EXPECT_TRUE(form.Visible());
    form.Hide();
    EXPECT_FALSE(form.Visible());
    form.Unload();
    EXPECT_FALSE(form.loaded());
    EXPECT_FALSE(form.Tolm());
}

}  // namespace
}  // namespace tolm::server
