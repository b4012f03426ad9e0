#ifndef _WIN32

#include "platform/native_desktop.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace tolm::platform::native {
namespace {

TEST(LinuxHelp, TheGuideStandsBesideTheHelpFileAndOpensAtTheTopic) {
    EXPECT_EQ(help_guide_for("/opt/tolm/TolmServer6.HLP"), "/opt/tolm/TolmServer6.html");
    EXPECT_EQ(help_guide_for("/opt/tolm.d/Help"), "/opt/tolm.d/Help.html");
    EXPECT_EQ(help_topic_url("/opt/My Maps/TolmServer6.html", HELP_CONTEXT, 30),
              "file:///opt/My%20Maps/TolmServer6.html#topic-30");
    EXPECT_EQ(help_topic_url("/opt/tolm/TolmServer6.html", HELP_FINDER, 0), "file:///opt/tolm/TolmServer6.html");
}

// Puts an environment variable for one test and restores it afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::string wait_for_file(const std::string& path) {
    for (int i = 0; i < 100; ++i) {
        std::ifstream in(path);
        std::string text;
        if (in && std::getline(in, text) && !text.empty()) return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

TEST(LinuxHelp, TheDesktopsOpenerIsGivenTheTopicsSection) {
    tolm::test::ScratchFolder folder("help-opener");
    const std::string record = folder.file("opened.txt");
    const std::string opener = folder.file("xdg-open");
    {
        std::ofstream script(opener);
        script << "#!/bin/sh\necho \"$1\" > '" << record << ".part' && mv '" << record << ".part' '" << record << "'\n";
    }
    ::chmod(opener.c_str(), 0755);
    const std::string help_file = folder.file("TolmServer6.HLP");
    ScopedEnvironment path("PATH", folder.path().string() + ":/usr/bin:/bin");
    ScopedEnvironment display("DISPLAY", ":99");

    win_help(0, help_file, HELP_CONTEXT, 30);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(std::filesystem::exists(record)) << "no guide beside the help file: nothing is opened";

    std::ofstream(folder.file("TolmServer6.html")) << "<html></html>\n";
    win_help(0, help_file, HELP_QUIT, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(std::filesystem::exists(record)) << "closing the help leaves the user's browser alone";

    win_help(0, help_file, HELP_CONTEXT, 30);
    EXPECT_EQ(wait_for_file(record), "file://" + folder.file("TolmServer6.html") + "#topic-30");
}

TEST(LinuxHelp, WithoutADisplayNothingIsOpened) {
    tolm::test::ScratchFolder folder("help-no-display");
    const std::string record = folder.file("opened.txt");
    const std::string opener = folder.file("xdg-open");
    std::ofstream(opener) << "#!/bin/sh\necho \"$1\" > '" << record << "'\n";
    ::chmod(opener.c_str(), 0755);
    std::ofstream(folder.file("TolmServer6.html")) << "<html></html>\n";
    ScopedEnvironment path("PATH", folder.path().string() + ":/usr/bin:/bin");
    ScopedEnvironment display("DISPLAY", "");
    ScopedEnvironment wayland("WAYLAND_DISPLAY", "");
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    win_help(0, folder.file("TolmServer6.HLP"), HELP_CONTEXT, 30);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(std::filesystem::exists(record));
}

}  // namespace
}  // namespace tolm::platform::native

#endif
