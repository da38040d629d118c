#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/orvel_broadcaster.h"

namespace orvel {
namespace {

// Records which messages of interest reached it, in order, tagged with its name.
class LoggingReceiver final : public TOrvelReceiver {
 public:
  LoggingReceiver(std::string name, std::vector<std::string>& journal)
      : Name(std::move(name)), Journal(journal) {}
  void Dispatch(const TMessage& message) override {
    if (const auto* start = MessageAs<TMsgLogStart>(message)) {
      Journal.push_back(Name + ":start" + std::to_string(start->O2SensorType));
    } else if (MessageAs<TMsgLogStop>(message) != nullptr) {
      Journal.push_back(Name + ":stop");
    }
    // Every other identifier is ignored.
  }

 private:
  std::string Name;
  std::vector<std::string>& Journal;
};

TEST(TOrvelBroadcaster, DeliversInSubscriptionOrderAndReceiversIgnoreUnknownIds) {
  std::vector<std::string> journal;
  TOrvelBroadcaster bus;
  LoggingReceiver window("window", journal);
  LoggingReceiver link("link", journal);
  LoggingReceiver log("log", journal);
  bus.Subscribe(window);
  bus.Subscribe(link);
  bus.Subscribe(log);

  TMsgLogStart start;
  start.O2SensorType = 3;
  bus.Broadcast(start);
  TMsgSetComPort port;
  port.Port = "/dev/ttyUSB0";
  bus.Broadcast(port);  // nobody handles it; nothing happens
  bus.Broadcast(TMsgLogStop{});

  EXPECT_EQ(journal, (std::vector<std::string>{"window:start3", "link:start3", "log:start3", "window:stop",
                                               "link:stop", "log:stop"}));
  EXPECT_EQ(bus.CurrentMessage(), nullptr);
}

TEST(TOrvelBroadcaster, SubscriberAddedDuringDeliveryReceivesTheSameMessage) {
  std::vector<std::string> journal;
  TOrvelBroadcaster bus;
  LoggingReceiver late("late", journal);
  struct Adder final : TOrvelReceiver {
    TOrvelBroadcaster* Bus = nullptr;
    TOrvelReceiver* ToAdd = nullptr;
    void Dispatch(const TMessage&) override {
      if (ToAdd != nullptr) {
        Bus->Subscribe(*ToAdd);
        ToAdd = nullptr;
      }
    }
  } adder;
  adder.Bus = &bus;
  adder.ToAdd = &late;
  bus.Subscribe(adder);
  bus.Broadcast(TMsgLogStop{});
  EXPECT_EQ(journal, std::vector<std::string>{"late:stop"});
}

TEST(MessageIds, MatchTheConverterProgramNumbering) {
  EXPECT_EQ(TMsgLogStart::Id, 0x8003U);
  EXPECT_EQ(TMsgLogStop::Id, 0x8004U);
  EXPECT_EQ(TMsgSetComPort::Id, 0x8005U);
  EXPECT_EQ(TMsgDashData::Id, 0x8006U);
  EXPECT_EQ(TMsgCorrAdvice::Id, 0x8007U);
  EXPECT_EQ(TMsgWindowPoint::Id, 0x8009U);
  EXPECT_EQ(Rgb(237, 240, 108), 0xEDF06CU);
}

}  // namespace
}  // namespace orvel
