// tests/demo/command_tail_test.cpp -- the stand-ins' command-line splitting and switch tests.
#include "tools/vlmv2install/command_tail.h"

#include <gtest/gtest.h>

namespace vlm::standin {
namespace {

TEST(CommandTail, DropsAQuotedProgramPathWithSpaces) {
  EXPECT_EQ(CommandTail(u"\"C:\\Program Files\\Velmora\\vlmv2install.exe\" /sp- /verysilent"),
            u"/sp- /verysilent");
}

TEST(CommandTail, DropsAnUnquotedProgramName) {
  EXPECT_EQ(CommandTail(u"vlmv2install.exe /sp- /verysilent /norestart"),
            u"/sp- /verysilent /norestart");
}

TEST(CommandTail, SkipsEveryBlankAfterTheProgramButKeepsTheRestAsGiven) {
  EXPECT_EQ(CommandTail(u"menu.exe \t  /dev   \"a  b\"  "), u"/dev   \"a  b\"  ");
}

TEST(CommandTail, QuotedProgramEndsAtTheClosingQuoteEvenWithoutABlank) {
  EXPECT_EQ(CommandTail(u"\"menu.exe\"/staging"), u"/staging");
}

TEST(CommandTail, IsEmptyForAProgramNameAlone) {
  EXPECT_EQ(CommandTail(u"\"C:\\vlmv2\\vlmv2menu.exe\""), u"");
  EXPECT_EQ(CommandTail(u"vlmv2menu.exe   "), u"");
  EXPECT_EQ(CommandTail(u""), u"");
}

TEST(CommandTail, AnUnclosedQuoteTakesTheWholeLineAsProgram) {
  EXPECT_EQ(CommandTail(u"\"C:\\odd path\\x.exe /verysilent"), u"");
}

TEST(HasSwitch, FindsASwitchAmongOthersIgnoringCase) {
  EXPECT_TRUE(HasSwitch(u"/sp- /verysilent /norestart", u"/verysilent"));
  EXPECT_TRUE(HasSwitch(u"/SP- /VERYSILENT", u"/verysilent"));
  EXPECT_TRUE(HasSwitch(u"\t/verysilent", u"/verysilent"));
}

TEST(HasSwitch, WantsTheWholeWord) {
  EXPECT_FALSE(HasSwitch(u"/sp- /silent /norestart", u"/verysilent"));
  EXPECT_FALSE(HasSwitch(u"/verysilently", u"/verysilent"));
  EXPECT_FALSE(HasSwitch(u"x/verysilent", u"/verysilent"));
  EXPECT_FALSE(HasSwitch(u"", u"/verysilent"));
}

}  // namespace
}  // namespace vlm::standin
