#include "app/CommandLine.h"
#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(CommandLine, RunsOfSpacesSeparateNamesInOrder)
{
    EXPECT_EQ(CommandLineFileNames("zorvane.exe a.ex_  b.tx_"), (Names{"a.ex_", "b.tx_"}));
    EXPECT_EQ(CommandLineFileNames("zorvane.exe   a.ex_ b.tx_    c.dl_   "), (Names{"a.ex_", "b.tx_", "c.dl_"}));
}

TEST(CommandLine, QuotesGroupANameWithSpacesAndAreDropped)
{
    EXPECT_EQ(CommandLineFileNames("zorvane.exe \"C:\\My Files\\a.ex_\""), (Names{"C:\\My Files\\a.ex_"}));
    EXPECT_EQ(CommandLineFileNames("zorvane.exe x.ex_ \"C:\\My  Files\\a.ex_\" y.ex_"),
              (Names{"x.ex_", "C:\\My  Files\\a.ex_", "y.ex_"}));
    // Quotes may cover part of a name only.
    EXPECT_EQ(CommandLineFileNames("zorvane.exe C:\\\"My Files\"\\a.ex_"), (Names{"C:\\My Files\\a.ex_"}));
    // A quote left open runs to the end of the line.
    EXPECT_EQ(CommandLineFileNames("zorvane.exe \"C:\\My Files\\a.ex_"), (Names{"C:\\My Files\\a.ex_"}));
    // A pair of quotes with nothing between them names no file.
    EXPECT_EQ(CommandLineFileNames("zorvane.exe a.ex_ \"\" b.ex_"), (Names{"a.ex_", "b.ex_"}));
}

TEST(CommandLine, QuotedProgramNameWithSpacesIsNotAFileName)
{
    EXPECT_EQ(CommandLineFileNames("\"C:\\Program Files\\Zorvane\\zorvane.exe\" a.ex_"), (Names{"a.ex_"}));
    EXPECT_EQ(CommandLineFileNames("\"C:\\Program Files\\zorvane.exe\""), Names{});
    // The quoted name ends at its closing quote, even with no blank after it.
    EXPECT_EQ(CommandLineFileNames("\"C:\\Zorvane\\zorvane.exe\"a.ex_ b.ex_"), (Names{"a.ex_", "b.ex_"}));
    // An unquoted name ends at the first blank.
    EXPECT_EQ(CommandLineFileNames("C:\\Zorvane\\zorvane.exe C:\\a.ex_"), (Names{"C:\\a.ex_"}));
}

TEST(CommandLine, BlanksAfterTheProgramNameAreSkippedButTabsBetweenNamesAreText)
{
    EXPECT_STREQ(SkipProgramName("zorvane.exe\t \t a.ex_"), "a.ex_");
    EXPECT_STREQ(SkipProgramName("zorvane.exe\r\n a.ex_ "), "a.ex_ ");
    EXPECT_EQ(CommandLineFileNames("zorvane.exe\t\ta.ex_"), (Names{"a.ex_"}));
    EXPECT_EQ(CommandLineFileNames("zorvane.exe a.ex_\tb.ex_"), (Names{"a.ex_\tb.ex_"}));
}

TEST(CommandLine, NoNamesGivesNothing)
{
    EXPECT_EQ(CommandLineFileNames(""), Names{});
    EXPECT_EQ(CommandLineFileNames("zorvane.exe"), Names{});
    EXPECT_EQ(CommandLineFileNames("zorvane.exe     "), Names{});
    EXPECT_EQ(CommandLineFileNames("\"zorvane.exe\""), Names{});
    EXPECT_EQ(SplitFileNames("   "), Names{});
}

TEST(CommandLine, DoubleByteNamesKeepTheirBytes)
{
    // ソ is 0x83 0x5C in code page 932: its second byte is the backslash.
    const std::string soft = "\x83\x5C\x83\x74\x83\x67.EX_";
    EXPECT_EQ(CommandLineFileNames(("zorvane.exe " + soft + " \"C:\\" + soft + "\"").c_str()),
              (Names{soft, "C:\\" + soft}));
    EXPECT_EQ(CommandLineFileNames(("\"C:\\" + soft + "\\zorvane.exe\" a.ex_").c_str()), (Names{"a.ex_"}));
}
