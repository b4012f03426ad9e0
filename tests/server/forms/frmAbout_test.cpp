#include "server/forms/frmAbout.h"

#include "common/product_version.h"
#include "ui/forms/keys.h"
#include "ui/headless/headless_fixture.h"

#include <gtest/gtest.h>

namespace tolm::server {
namespace {

TEST(AboutTitle, MajorDotMinorAndRevisionTogether) {
    EXPECT_EQ(AppTitleText("TolmServer7", 7, 0, 7), "TolmServer7 V7.07");
    EXPECT_EQ(AppTitleText("TolmServer7", 7, 1, 12), "TolmServer7 V7.112");
    EXPECT_EQ(AppTitleText("TolmServer7", TOLM_VERSION_MAJOR, TOLM_VERSION_MINOR, TOLM_VERSION_REVISION),
              "TolmServer7 V7.07");
}

class AboutBox : public testing::HeadlessTest {
protected:
    forms::Form parent{"frmParent"};
    forms::FormPtr<frmAbout> about = forms::make_form<frmAbout>();
};

TEST_F(AboutBox, CentresOnItsParentAndShowsTheVersionLines) {
    parent.move(3000, 2000, 9000, 6000);
    about->Parent(parent);
    desktop.answer_modal("frmAbout", [this](forms::Form&) {
        EXPECT_EQ(about->left(), 3000 + (9000 - about->width()) / 2);
        EXPECT_EQ(about->top(), 2000 + (6000 - about->height()) / 2);
        const std::string title = about->labAppTitle.caption();
        EXPECT_EQ(title.substr(title.size() - 6), " V7.07") << title;
        EXPECT_EQ(about->labAuthor.caption(), TOLM_VERSION_COMMENTS);
        EXPECT_EQ(about->labDesc.caption(), TOLM_VERSION_FILE_DESCRIPTION);
        EXPECT_EQ(about->labCopyright.caption(), TOLM_VERSION_LEGAL_COPYRIGHT);
        about->cmdOk.click();
    });
    about->ShowModal(parent);
    EXPECT_FALSE(about->loaded()) << "Ok unloads the box";
    EXPECT_EQ(about->caption(), "About TolmServer7");
    EXPECT_EQ(about->help_context_id(), 10);
    EXPECT_EQ(about->cmdCartix.caption(), "&About Cartix71.OCX");
}

TEST_F(AboutBox, EscapeIsSwallowedAndActsAsOk) {
    int cartix = 0;
    about->AboutCartix = [&] { ++cartix; };
    desktop.answer_modal("frmAbout", [this](forms::Form&) {
        about->cmdCartix.click();
        about->press_key(forms::key::escape);
    });
    about->ShowModal(parent);
    EXPECT_FALSE(about->loaded());
    EXPECT_EQ(cartix, 1);
}

TEST_F(AboutBox, ADisabledEngineButtonRaisesNothing) {
    int cartix = 0;
    about->AboutCartix = [&] { ++cartix; };
    about->cmdCartix.set_enabled(false);
    desktop.answer_modal("frmAbout", [this](forms::Form&) {
        EXPECT_FALSE(about->cmdCartix.click());
        about->type_text("\x1b");
    });
    about->ShowModal(parent);
    EXPECT_EQ(cartix, 0);
    EXPECT_FALSE(about->loaded());
}

}  // namespace
}  // namespace tolm::server
