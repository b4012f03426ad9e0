#include "platform/native_desktop.h"

#include <gtest/gtest.h>

namespace tolm::platform::native {
namespace {

TEST(HelpGuide, TheGuideStandsBesideTheHelpFileAndOpensAtTheTopic) {
    EXPECT_EQ(help_guide_for("TolmServer6.HLP"), "TolmServer6.html");
    EXPECT_EQ(help_topic_url("/opt/My Maps/TolmServer6.html", HELP_CONTEXT, 30),
              "file:///opt/My%20Maps/TolmServer6.html#topic-30");
    EXPECT_EQ(help_topic_url("/opt/tolm/TolmServer6.html", HELP_FINDER, 30), "file:///opt/tolm/TolmServer6.html");
#ifdef _WIN32
    // A dot in a folder's name is no extension; drive letters and backslashes make a file URL too.
    EXPECT_EQ(help_guide_for("C:\\Maps.v7\\Help"), "C:\\Maps.v7\\Help.html");
    EXPECT_EQ(help_guide_for("C:\\Program Files\\TolmServer7\\TolmServer6.HLP"),
              "C:\\Program Files\\TolmServer7\\TolmServer6.html");
    EXPECT_EQ(help_topic_url("C:\\Program Files\\TolmServer7\\TolmServer6.html", HELP_CONTEXT, 10),
              "file:///C:/Program%20Files/TolmServer7/TolmServer6.html#topic-10");
#else
    EXPECT_EQ(help_guide_for("/opt/maps.v7/Help"), "/opt/maps.v7/Help.html");
#endif
}

}  // namespace
}  // namespace tolm::platform::native
