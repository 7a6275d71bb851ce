// tests/zip/engine/engine_protocol_test.cpp -- the library's exports and the command/callback
// protocol: versions and names, record checks, passwords, cancel, abort and stop answers.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/zip/engine/extract_support.h"

namespace vlm::test {
namespace {

using Names = std::set<std::string>;

TEST(VZExports, AnswerVersionsNameBannerAndPath) {
  ASSERT_EQ(Engine().LoadError, "");
  EXPECT_EQ(Engine().Version(), 190);
  EXPECT_EQ(Engine().PrivVersion(), 1900100);
  char16_t Wide[261];
  std::memset(Wide, 0xFF, sizeof Wide);
  Engine().Name(Wide, 260, 1);
  const String Name(Wide);
  const std::string Path = Engine().Path();
  EXPECT_EQ(ToUtf8(Name), Path);
  const std::string File = std::filesystem::path(Path).filename().string();
#if defined(_WIN32)
  EXPECT_EQ(File, "vlmzip190.dll");
#else
  EXPECT_EQ(File, "libvlmzip190.so");
#endif
  char Narrow[8];
  Engine().Name(Narrow, 7, 0);  // cut to the capacity, always terminated
  EXPECT_EQ(std::string(Narrow), Path.substr(0, 7));
  const std::string Banner = Engine().Banner();
  EXPECT_EQ(Banner.rfind("VlmZip190.dll version 1.9.0.0100, ", 0), 0u) << Banner;
  EXPECT_GT(Banner.size(), std::strlen("VlmZip190.dll version 1.9.0.0100, "));
}

TEST(VZExports, RecordsKeepTheirFieldOrder) {
  // The 32-bit offsets are checked at compile time by the i686 build; here the order on this build.
  EXPECT_LT(offsetof(TDLLCommands, fCaller), offsetof(TDLLCommands, fVersion));
  EXPECT_LT(offsetof(TDLLCommands, fDate), offsetof(TDLLCommands, fNotUsed));
  EXPECT_EQ(offsetof(TDLLCommands, fCheck), offsetof(TDLLCommands, fNotUsed) + 16);
  EXPECT_EQ(offsetof(TZCallBackStruct, Written), offsetof(TZCallBackStruct, File_Size) + 8);
  EXPECT_EQ(offsetof(TZCallBackStruct, Check), offsetof(TZCallBackStruct, Arg3) + 4);
  EXPECT_EQ(sizeof(TZCallBackStruct), sizeof(void*) == 4 ? 60u : 72u);
}

TEST(VZExecCommand, RejectsMalformedRecordsWithMinusFive) {
  EXPECT_EQ(Engine().Exec(nullptr), VZ_RESULT_BAD_COMMAND);
  for (uint32_t Operation : {0u, 3u, 5u, 15u}) {
    EngineRun Run;
    Run.ArchiveName = ArchivePath("stored.zip");
    Run.Command.fOptions = VZ_OPT_QUIET | Operation;
    EXPECT_EQ(Run.Run(), VZ_RESULT_BAD_COMMAND) << Operation;
    EXPECT_TRUE(Run.Events.empty() && Run.Requests.empty());
  }
  EngineRun BadCheck;
  BadCheck.Command.fCheck = 0x03070504;
  EXPECT_EQ(BadCheck.Run(), VZ_RESULT_BAD_COMMAND);
  EXPECT_TRUE(BadCheck.Events.empty());
}

TEST(VZExecCommand, AddingOperationsAreAcceptedButNotSupported) {
  EngineRun Run;
  Run.Command.fOptions = VZ_OPT_QUIET | VZ_OPT_OP_ADD;
  EXPECT_EQ(Run.Run(), -VZ_ERR_BAD_OPTIONS);
}

TEST(VZExecCallbacks, EveryRecordCarriesCallerVersionAndCheck) {
  // The harness answers -5 to a record whose Check is wrong; a clean run proves they were right.
  Extraction X(ArchivePath("stored.zip"));
  EXPECT_EQ(X.Run(), 3);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_OPERATION_KEY).size(), 1u);
  EXPECT_NE(X.Engine.Of(VZ_ACT_OPERATION_KEY)[0].Arg1, 0u);
}

TEST(VZExecCallbacks, CancelAndAbortAnswersEndWithMinusOne) {
  for (int32_t Answer : {VZ_ANSWER_CANCEL, VZ_ANSWER_ABORT}) {
    Extraction X(ArchivePath("stored.zip"));
    X.Engine.OnCallback = [Answer](const CallbackEvent& E, EngineRun&) {
      return E.Action == VZ_ACT_NEW_ITEM ? Answer : 0;
    };
    EXPECT_EQ(X.Run(), VZ_RESULT_CANCELLED);
    EXPECT_TRUE(ListTree(X.Out.Path()).empty());
    EXPECT_EQ(X.Engine.Actions().back(), VZ_ACT_NEW_ITEM);  // nothing after the answer
  }
}

TEST(VZExecCallbacks, ExceptionAnswerEndsWithMinusThreeAndNoPartialFile) {
  Extraction X(ArchivePath("deflated.zip"));
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_PROGRESS ? VZ_ANSWER_EXCEPTION : 0;
  };
  EXPECT_EQ(X.Run(), VZ_RESULT_CALLBACK);
  EXPECT_TRUE(ListTree(X.Out.Path()).empty()) << "the half-written file is removed";
}

TEST(VZExecCallbacks, AbortWithTheAnnouncedKeyEndsWithMinusTwo) {
  Extraction X(ArchivePath("deflated.zip"));
  uint32_t Key = 0;
  X.Engine.OnCallback = [&Key](const CallbackEvent& E, EngineRun&) {
    if (E.Action == VZ_ACT_OPERATION_KEY) Key = E.Arg1;
    if (E.Action == VZ_ACT_PROGRESS) {
      EXPECT_EQ(Engine().Abort(Key), 0);
    }
    return 0;
  };
  EXPECT_EQ(X.Run(), VZ_RESULT_ABORTED);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_PROGRESS).size(), 1u);
  EXPECT_TRUE(ListTree(X.Out.Path()).empty());
  EXPECT_EQ(Engine().Abort(Key), -1) << "the key is gone after the operation";
}

TEST(VZExecCallbacks, StopAnswerAtTheEndOfAnItemEndsTheBatchAfterIt) {
  Extraction X(ArchivePath("stored.zip"));
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_NEW_ITEM && E.Size == -1 ? 1 : 0;
  };
  EXPECT_EQ(X.Run(), 1);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"hello.txt"}));
  EXPECT_EQ(X.Engine.Actions().back(), VZ_ACT_END_OF_BATCH);
}

TEST(VZExecCallbacks, SkipAnswerOneStopsTheOperation) {
  Extraction X(ArchivePath("method.zip"));
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_SKIPPED ? 1 : 0;
  };
  EXPECT_EQ(X.Run(), -VZ_ERR_SKIPPING);
  EXPECT_TRUE(ListTree(X.Out.Path()).empty());
}

TEST(VZExecPasswords, TheGivenPasswordNeedsNoRequest) {
  Extraction X(ArchivePath("crypto.zip"));
  X.Engine.Password = u"secret";
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ReadBytes(X.File("a.txt")), Plain("a.txt"));
  EXPECT_EQ(ReadBytes(X.File("b.bin")), Plain("b.bin"));
  EXPECT_TRUE(X.Engine.Of(VZ_ACT_PASSWORD).empty());
}

TEST(VZExecPasswords, AnsweredPasswordIsTriedAndKeptForLaterEntries) {
  Extraction X(ArchivePath("crypto.zip"));
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun& Run) {
    if (E.Action != VZ_ACT_PASSWORD) return 0;
    Run.SetAnswerText(u"secret");
    return 1;
  };
  EXPECT_EQ(X.Run(), 2);
  const auto Requests = X.Engine.Of(VZ_ACT_PASSWORD);
  ASSERT_EQ(Requests.size(), 1u);
  EXPECT_EQ(Requests[0].Text, u"a.txt");
  EXPECT_EQ(Requests[0].Arg1, 1u);  // the request count
  EXPECT_EQ(ReadBytes(X.File("b.bin")), Plain("b.bin"));
}

TEST(VZExecPasswords, WrongPasswordsSkipWithBadPasswordAfterTheRequestCount) {
  Extraction X(ArchivePath("crypto.zip"));
  X.Engine.Command.fPwdReqCount = 3;
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun& Run) {
    if (E.Action != VZ_ACT_PASSWORD) return 0;
    Run.SetAnswerText(u"wrong");
    return 1;
  };
  EXPECT_EQ(X.Run(), 0);
  EXPECT_TRUE(ListTree(X.Out.Path()).empty());
  const auto Requests = X.Engine.Of(VZ_ACT_PASSWORD);
  ASSERT_EQ(Requests.size(), 6u);  // three per entry
  EXPECT_EQ(Requests[0].Arg1, 3u);
  EXPECT_EQ(Requests[2].Arg1, 1u);
  for (const auto& Skip : X.Engine.Of(VZ_ACT_SKIPPED)) {
    EXPECT_EQ(Skip.Arg2, static_cast<uint32_t>(VZ_SKIP_BAD_PASSWORD + 1));
  }
  EXPECT_EQ(X.Engine.Of(VZ_ACT_SKIPPED).size(), 2u);
}

TEST(VZExecPasswords, ReturnedRepeatCountLimitsFurtherRequests) {
  Extraction X(ArchivePath("crypto.zip"));
  X.Engine.Command.fPwdReqCount = 5;
  X.Engine.FileSpecs = {u"a.txt"};
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun& Run) {
    if (E.Action != VZ_ACT_PASSWORD) return 0;
    Run.SetAnswerText(u"wrong");
    Run.SetAnswerArg1(1);  // the front end allows one more request at most
    return 1;
  };
  EXPECT_EQ(X.Run(), 0);
  const auto Requests = X.Engine.Of(VZ_ACT_PASSWORD);
  ASSERT_EQ(Requests.size(), 2u);
  EXPECT_EQ(Requests[0].Arg1, 5u);
  EXPECT_EQ(Requests[1].Arg1, 1u);
}

TEST(VZExecPasswords, AnswerThreeStopsAllFurtherRequests) {
  Extraction X(ArchivePath("crypto.zip"));
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_PASSWORD ? 3 : 0;
  };
  EXPECT_EQ(X.Run(), 0);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_PASSWORD).size(), 1u);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_SKIPPED).size(), 2u);
}

TEST(VZExecPasswords, AnswerTwoSkipsOnlyThisEntry) {
  Extraction X(ArchivePath("crypto.zip"));
  X.Engine.OnCallback = [](const CallbackEvent& E, EngineRun&) {
    return E.Action == VZ_ACT_PASSWORD ? 2 : 0;
  };
  EXPECT_EQ(X.Run(), 0);
  EXPECT_EQ(X.Engine.Of(VZ_ACT_PASSWORD).size(), 2u);
}

TEST(VZExecPasswords, PublicPkwareSample) {
  if (!SharedArchivesPresent()) GTEST_SKIP() << SharedArchivesMissingNote();
  Extraction X(SharedArchivePath("libzip/encrypt.zip"));
  X.Engine.Password = u"foo";
  EXPECT_EQ(X.Run(), 2);
  EXPECT_EQ(ListTree(X.Out.Path()), (Names{"encrypted", "plain"}));
  EXPECT_EQ(X.Engine.Of(VZ_ACT_CRC_ERROR).size(), 0u);
}

}  // namespace
}  // namespace vlm::test
