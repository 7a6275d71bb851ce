// tests/http/net_component_test.cpp -- work counting: nesting, running totals, modes, and the
// forwarding of a handler's work to its target.
#include "http/net_component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/scripted_io_handler.h"

namespace vlm {
namespace {

using test::EventLog;
using Lines = std::vector<std::string>;

TEST(TNetComponent, FiresBeginWorkAndEndOnlyAtTheOutermostLevel) {
  TNetComponent C;
  EventLog Log;
  Log.Attach(C);
  C.BeginWork(TWorkMode::wmRead, 100);
  C.DoWork(TWorkMode::wmRead, 10);
  C.BeginWork(TWorkMode::wmRead, 5);  // nested: no event, the maximum stays
  C.DoWork(TWorkMode::wmRead, 5);
  C.EndWork(TWorkMode::wmRead);  // inner end: no event
  EXPECT_EQ(C.WorkLevel(TWorkMode::wmRead), 1);
  C.DoWork(TWorkMode::wmRead, 1);
  C.EndWork(TWorkMode::wmRead);
  EXPECT_EQ(Log.Lines,
            (Lines{"begin read 100", "work read 10", "work read 15", "work read 16", "end read"}));
  EXPECT_EQ(C.WorkLevel(TWorkMode::wmRead), 0);
  EXPECT_EQ(C.WorkCountMax(TWorkMode::wmRead), 100);
}

TEST(TNetComponent, IgnoresWorkOutsideBeginAndEnd) {
  TNetComponent C;
  EventLog Log;
  Log.Attach(C);
  C.DoWork(TWorkMode::wmRead, 10);
  C.EndWork(TWorkMode::wmRead);  // unmatched: nothing, and the level stays at 0
  C.BeginWork(TWorkMode::wmRead, 0);
  C.DoWork(TWorkMode::wmRead, 3);
  C.EndWork(TWorkMode::wmRead);
  EXPECT_EQ(Log.Lines, (Lines{"begin read 0", "work read 3", "end read"}));
}

TEST(TNetComponent, RestartsTheRunningTotalWithEachOutermostBegin) {
  TNetComponent C;
  EventLog Log;
  Log.Attach(C);
  for (int Round = 0; Round < 2; ++Round) {
    C.BeginWork(TWorkMode::wmRead, 4);
    C.DoWork(TWorkMode::wmRead, 4);
    C.EndWork(TWorkMode::wmRead);
  }
  EXPECT_EQ(Log.Lines, (Lines{"begin read 4", "work read 4", "end read", "begin read 4",
                              "work read 4", "end read"}));
}

TEST(TNetComponent, CountsReadAndWriteWorkApart) {
  TNetComponent C;
  EventLog Log;
  Log.Attach(C);
  C.BeginWork(TWorkMode::wmWrite, 7);
  C.DoWork(TWorkMode::wmRead, 3);  // no read work open
  C.DoWork(TWorkMode::wmWrite, 7);
  C.BeginWork(TWorkMode::wmRead, 2);
  C.DoWork(TWorkMode::wmRead, 2);
  C.EndWork(TWorkMode::wmWrite);
  C.EndWork(TWorkMode::wmRead);
  EXPECT_EQ(Log.Lines, (Lines{"begin write 7", "work write 7", "begin read 2", "work read 2",
                              "end write", "end read"}));
}

TEST(TNetComponent, ForwardsWorkToItsTargetWhichIsTheSender) {
  TNetComponent Client;
  test::ScriptedIOHandler Handler;
  Handler.SetWorkTarget(&Client);
  std::vector<TNetComponent*> Senders;
  Client.OnWorkBegin = [&](TNetComponent& S, TWorkMode, int64_t) { Senders.push_back(&S); };
  Client.OnWork = [&](TNetComponent& S, TWorkMode, int64_t) { Senders.push_back(&S); };
  Client.OnWorkEnd = [&](TNetComponent& S, TWorkMode) { Senders.push_back(&S); };
  bool HandlerFired = false;
  Handler.OnWork = [&](TNetComponent&, TWorkMode, int64_t) { HandlerFired = true; };
  Handler.BeginWork(TWorkMode::wmRead, 1);
  Handler.DoWork(TWorkMode::wmRead, 1);
  Handler.EndWork(TWorkMode::wmRead);
  EXPECT_EQ(Senders, (std::vector<TNetComponent*>{&Client, &Client, &Client}));
  EXPECT_FALSE(HandlerFired);
  EXPECT_EQ(Client.WorkCount(TWorkMode::wmRead), 1);
}

TEST(TNetComponent, EndsWorkEvenWhenTheEndHandlerThrows) {
  TNetComponent C;
  C.OnWorkEnd = [](TNetComponent&, TWorkMode) { throw std::runtime_error("handler"); };
  C.BeginWork(TWorkMode::wmRead, 0);
  EXPECT_THROW(C.EndWork(TWorkMode::wmRead), std::runtime_error);
  EXPECT_EQ(C.WorkLevel(TWorkMode::wmRead), 0);
}

TEST(WorkScope, PassesAnEndHandlersExceptionOnOnlyWhenNothingElseUnwinds) {
  TNetComponent C;
  C.OnWorkEnd = [](TNetComponent&, TWorkMode) { throw std::runtime_error("end handler"); };
  EXPECT_THROW({ WorkScope Work(C, TWorkMode::wmRead, 0); }, std::runtime_error);
  try {
    WorkScope Work(C, TWorkMode::wmRead, 0);
    throw std::logic_error("the read failed");
  } catch (const std::logic_error& E) {
    EXPECT_STREQ(E.what(), "the read failed");  // the read's failure wins
  }
  EXPECT_EQ(C.WorkLevel(TWorkMode::wmRead), 0);
}

}  // namespace
}  // namespace vlm
