#include "core/HelpPage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace tavrel;

TEST(HelpPage, TheTabsHaveTheirOwnParts) {
    EXPECT_EQ(HelpSectionOfTab(0), "kopiering");
    EXPECT_EQ(HelpSectionOfTab(1), "filfiltrering");
    EXPECT_EQ(HelpSectionOfTab(-1), "");
    EXPECT_EQ(HelpSectionOfTab(2), "");
}

TEST(HelpPage, ThePageThatShipsHasThePartsOfTheTabs) {
    const auto page = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "help" / kHelpPageName;
    std::ifstream in(page, std::ios::binary);
    ASSERT_TRUE(in) << page;
    std::stringstream text;
    text << in.rdbuf();
    for (int tab : {0, 1}) {
        SCOPED_TRACE(tab);
        EXPECT_NE(text.str().find("id=\"" + HelpSectionOfTab(tab) + "\""), std::string::npos);
    }
}

TEST(HelpPage, FileAddresses) {
    struct Case {
        const char* path;
        const char* section;
        const char* url;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Ambrex Tavrel\\Tavrel.html", "",
         "file:///C:/Program%20Files/Ambrex%20Tavrel/Tavrel.html"},
        {"C:\\Programmer\\Tavrel.html", "filfiltrering", "file:///C:/Programmer/Tavrel.html#filfiltrering"},
        {"D:\\Søren & Co\\#1 (ny)\\Tavrel.html", "kopiering",
         "file:///D:/S%C3%B8ren%20%26%20Co/%231%20%28ny%29/Tavrel.html#kopiering"},
        {"\\\\server\\del\\Tavrel.html", "", "file://server/del/Tavrel.html"},
        {"Z:\\a:b%c", "", "file:///Z:/a%3Ab%25c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileUrl(c.path, c.section), c.url);
    }
}

TEST(HelpPage, BrowserCommandLines) {
    const std::string url = "file:///C:/P/Tavrel.html#kopiering";
    struct Case {
        const char* command;
        std::string line;
    };
    const Case cases[] = {
        {"\"C:\\windows\\system32\\winebrowser.exe\" \"%1\"",
         "\"C:\\windows\\system32\\winebrowser.exe\" \"" + url + "\""},
        {"\"C:\\Edge\\msedge.exe\" --single-argument %1", "\"C:\\Edge\\msedge.exe\" --single-argument " + url},
        {"firefox.exe -osint -url \"%L\" %*", "firefox.exe -osint -url \"" + url + "\" "},
        {"browser.exe %l", "browser.exe " + url},
        {"browser.exe", ""},
        {"browser.exe %2 %", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(BrowserCommandLine(c.command, url), c.line);
    }
}
