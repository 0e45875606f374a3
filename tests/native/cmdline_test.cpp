#include "core/CmdLine.h"

#include <gtest/gtest.h>

using namespace tavrel;

using Params = std::vector<std::string>;

TEST(CmdLine, BlanksAndControlCharactersSeparateOutsideQuotes) {
    EXPECT_EQ(SplitCommandLine("tavrel.exe C:\\Jobs\\Drev_C.tvj /R"), (Params{"C:\\Jobs\\Drev_C.tvj", "/R"}));
    EXPECT_EQ(SplitCommandLine("  tavrel.exe\tjob.tvj\r\n/t  "), (Params{"job.tvj", "/t"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Tavrel\\tavrel.exe\" \"C:\\Mine jobs\\Drev C.tvj\" /R"),
              (Params{"C:\\Mine jobs\\Drev C.tvj", "/R"}));
    // Quotes may sit inside a parameter; they are dropped wherever they are.
    EXPECT_EQ(SplitCommandLine("x C:\\\"Mine jobs\"\\a.tvj"), (Params{"C:\\Mine jobs\\a.tvj"}));
    EXPECT_EQ(SplitCommandLine("x \"\" /R"), (Params{"", "/R"}));
    // An unclosed quote runs to the end.
    EXPECT_EQ(SplitCommandLine("x \"a b /R"), (Params{"a b /R"}));
    // The program's own path is not a parameter.
    EXPECT_TRUE(SplitCommandLine("tavrel.exe").empty());
    EXPECT_TRUE(SplitCommandLine("").empty());
    // A path with blanks and no quotes gives three parameters.
    EXPECT_EQ(SplitCommandLine("t.exe C:\\Mine jobs\\a.tvj /R").size(), 3u);
    // Letters beyond ASCII are never taken for separators.
    EXPECT_EQ(SplitCommandLine("t.exe C:\\Kopiér\\æøå.tvj"), (Params{"C:\\Kopiér\\æøå.tvj"}));
}

TEST(CmdLine, CommandsInEitherCase) {
    EXPECT_EQ(ParseRunCommand("/R"), rmCopy);
    EXPECT_EQ(ParseRunCommand("/r"), rmCopy);
    EXPECT_EQ(ParseRunCommand("/T"), rmCount);
    EXPECT_EQ(ParseRunCommand("/t"), rmCount);
    EXPECT_FALSE(ParseRunCommand("/x").has_value());
    EXPECT_FALSE(ParseRunCommand("R").has_value());
    EXPECT_FALSE(ParseRunCommand("/R ").has_value());
    EXPECT_TRUE(IsYesSwitch("/j"));
    EXPECT_FALSE(IsYesSwitch("/R"));
}

TEST(CmdLine, MessagesCarryTheirValues) {
    EXPECT_STREQ(kRunErrorCaption, "Fejl under kørsel");
    EXPECT_EQ(FileNotFoundMessage("C:\\Mine"), "Den angivne fil \"C:\\Mine\" findes ikke.");
    EXPECT_EQ(InvalidCommandMessage("/x"), "Den angivne kommando \"/X\" er ikke gyldig.");
    EXPECT_EQ(ParameterCountMessage(3),
              "Kommandolinien indeholder 3 parametre. Den skal indeholde 2: Fil efterfulgt af kommando. "
              "Bemærk, at hvis filsti og -navn indeholder mellemrum, skal det sættes i citationstegn.");
}
