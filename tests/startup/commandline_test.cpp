// The command line as process start reads it: the tail after the program name and the
// document tokens of the tail; and the application class chosen at start-up.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/objects/builtinclasses.h"
#include "runtime/startup/commandline.h"
#include "runtime/startup/folderitem.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/entries/entries.h"

namespace {

struct TailCase {
  const char* commandLine;
  const char* tail;
};

TEST(CommandLine, TailSkipsTheProgramNameAndWhatFollowsIt) {
  const TailCase cases[] = {
      {"armonix a.txt", "a.txt"},
      {"armonix", ""},
      {"", ""},
      {"\"C:\\Program Files\\armonix.exe\" a b", "a b"},
      {"\"unclosed name", ""},
      {"armonix\t\t  \x01\x1F x  ", "x  "},  // bytes up to 32 skipped, trailing blanks kept
      {"armonix\xA0x", ""},                   // 0xA0 is not a separator: part of the name
      {"\"\"rest", "rest"},
  };
  for (const TailCase& c : cases) {
    EXPECT_EQ(CommandLineTail(c.commandLine), c.tail) << c.commandLine;
  }
}

struct TokenCase {
  const char* tail;
  std::vector<std::string> tokens;
};

TEST(CommandLine, TokensSplitAtBlanksAndKeepQuotedBlanks) {
  const TokenCase cases[] = {
      {"", {}},
      {"   ", {}},
      {"a b", {"a", "b"}},
      {"\"a b\" c", {"a b", "c"}},
      {"\"\"", {""}},
      {"x\"y z\"", {"x\"y", "z\""}},  // a quote inside a token is an ordinary byte
      {"\"a\"b", {"a", "b"}},         // the walk goes on right after the closing quote
      {"a\tb", {"a\tb"}},             // only blanks separate tokens
  };
  for (const TokenCase& c : cases) {
    EXPECT_EQ(DocumentTokens(c.tail), c.tokens) << c.tail;
  }
}

TEST(CommandLine, ArgumentsJoinWithQuotesWhereTheyHoldBlanks) {
  const char* argv[] = {"/bin/armonix", "a", "my file", ""};
  EXPECT_EQ(JoinCommandLine(4, argv), "/bin/armonix a \"my file\" \"\"");
  EXPECT_EQ(CommandLineTail(JoinCommandLine(4, argv)), "a \"my file\" \"\"");
}

TEST(CommandLine, QuotesThatTheTailCannotCarryAreDropped) {
  struct JoinCase {
    const char* argument;
    std::vector<std::string> tokens;
  };
  const JoinCase cases[] = {
      {"\"a b.txt\"", {"a b.txt"}},  // quoted by the shell's user, blank inside
      {"\"solo.mid\"", {"solo.mid"}},  // a quote opening the token
      {"x\"y", {"x\"y"}},            // a quote inside a plain token is kept
      {"a \"b\" c", {"a b c"}},      // quotes inside a quoted token
  };
  for (const JoinCase& c : cases) {
    const char* argv[] = {"/bin/armonix", c.argument};
    EXPECT_EQ(DocumentTokens(CommandLineTail(JoinCommandLine(2, argv))), c.tokens) << c.argument;
  }
}

TEST(FolderItem, KeepsItsOwnReferenceToThePath) {
  int32_t live = LiveObjectCount();
  ObjectHeader* item = NewFolderItem();
  StringRecord* path = MakeStringFromC("/tmp/dir/song.mid");
  SetFolderItemPath(item, path);
  UnlockString(path);
  StringRecord* absolute = folderItemAbsolutePathGetter(item, 24);
  StringRecord* name = folderItemNameGetter(item, 24);
  EXPECT_STREQ(StringText(absolute), "/tmp/dir/song.mid");
  EXPECT_STREQ(StringText(name), "song.mid");
  UnlockString(absolute);
  UnlockString(name);
  SetFolderItemPath(item, nullptr);
  EXPECT_EQ(FolderItemPath(item), nullptr);
  UnlockObject(item);
  EXPECT_EQ(LiveObjectCount(), live);
}

TEST(ApplicationClass, DeclaresItsEightEventsInOrder) {
  ClassRecord* application = AMX_BUILTIN_CLASS(Application);
  const char* expected[] = {"Open",           "Close",     "EnableMenuItems", "NewDocument",
                            "OpenDocument", "HandleAppleEvent", "Activate",   "Deactivate"};
  int i = 0;
  for (EventDeclaration* e = application->eventDeclarations; e != nullptr; e = e->next, ++i) {
    ASSERT_LT(i, 8);
    EXPECT_STREQ(StringText(e->name), expected[i]);
  }
  EXPECT_EQ(i, 8);
  EventDeclaration* openDocument = FindEventDeclaration(application, "opendocument");
  ASSERT_NE(openDocument, nullptr);
  EXPECT_STREQ(StringText(openDocument->parameterText), "item As FolderItem");
  EXPECT_STREQ(StringText(application->secondName), "RUDozudivovoz");
}

}  // namespace
