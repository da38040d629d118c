#include <gtest/gtest.h>

#include <vector>

#include "converter_on_pty.h"
#include "link/device_info.h"
#include "link/link_errors.h"

namespace orvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct DecodeCase {
  const char* Name;
  Bytes Reply;
  TDeviceInfo Expected;
};

TDeviceInfo Info(std::uint32_t id, const char* fw, std::uint32_t fwVersion, const char* hw,
                 std::uint32_t hwVersion, const char* fosc, std::uint32_t khz) {
  return {id, fw, fwVersion, hw, hwVersion, fosc, khz};
}

TEST(DecodeIdentity, EveryReplyShape) {
  const std::vector<DecodeCase> cases{
      {"old one-byte reply", {38}, Info(65535, "3.8", 0, "", 0, "", 0)},
      {"full field list",
       {0x00, 0x02, 0x01, 0x26, 0x01, 0x05, 0x3E, 0x80},
       Info(2, "3.8", 38, "5", 5, "16MHz", 16000)},
      {"oscillator with decimals",
       {0x00, 0x01, 0x01, 40, 0x01, 12, 0x39, 0x9A},
       Info(1, "4", 40, "12", 12, "14.746MHz", 14746)},
      // Absent fields take no bytes and keep the earlier values (the starting
      // info below has firmware 9.9 and hardware 7).
      {"no firmware or hardware field", {0x00, 0x03, 0x3E, 0x80}, Info(3, "9.9", 99, "7", 7, "16MHz", 16000)},
      {"no hardware field", {0x00, 0x02, 0x01, 0x26, 0x2E, 0xE0}, Info(2, "3.8", 38, "7", 7, "12MHz", 12000)},
  };
  for (const DecodeCase& c : cases) {
    TDeviceInfo info = Info(9, "9.9", 99, "7", 7, "1MHz", 1000);
    DecodeIdentity(c.Reply, info, {});
    EXPECT_EQ(info, c.Expected) << c.Name;
  }
}

TEST(DecodeIdentity, UsesTheDecimalSeparatorAndRoundsTheOscillatorToThreePlaces) {
  TDeviceInfo info;
  DecodeIdentity(Bytes{0x00, 0x02, 0x01, 0x26, 0x39, 0x9A}, info, NumberFormat{','});
  EXPECT_EQ(info.FwText, "3,8");
  EXPECT_EQ(info.FoscText, "14,746MHz");
  EXPECT_EQ(FirmwareLabelText(info), "FW_Version:3,8");
  EXPECT_EQ(HardwareLabelText(Info(2, "", 0, "5", 5, "", 0)), "HW_Version: 5");
  EXPECT_EQ(OscillatorLabelText(info), "F_OSC: 14,746MHz");
}

TEST(DecodeIdentity, AReplyTooShortThrowsAfterStoringTheFieldsBeforeIt) {
  for (const Bytes& reply :
       {Bytes{0x00, 0x02}, Bytes{0x00, 0x02, 0x01, 0x26}, Bytes{0x00, 0x02, 0x01, 0x26, 0x01},
        Bytes{0x00, 0x02, 0x01, 0x26, 0x01, 0x05, 0x3E}}) {
    TDeviceInfo info = Info(9, "9.9", 99, "7", 7, "1MHz", 1000);
    EXPECT_THROW(DecodeIdentity(reply, info, {}), IdentityReplyTooShort) << reply.size();
    EXPECT_EQ(info.DeviceId, 2U);
    EXPECT_EQ(info.FoscKHz, 1000U) << "the oscillator was not read";
  }
}

TEST(Identification, FullAndOldRepliesFromTheSimulator) {
  test::ConverterOnPty full;
  DeviceIdentification identification(full.Link);
  EXPECT_EQ(identification.Identify(), Info(2, "3.8", 38, "5", 5, "16MHz", 16000));
  EXPECT_EQ(identification.Stored().DeviceId, 2U);
  EXPECT_EQ(full.Received("sv"), 1U);

  sim::SimulatorOptions old;
  old.Identity = {38};
  test::ConverterOnPty oldConverter(old);
  DeviceIdentification oldIdentification(oldConverter.Link);
  EXPECT_EQ(oldIdentification.Identify(), Info(65535, "3.8", 0, "", 0, "", 0));
}

TEST(Identification, SilentShortAndDisconnectedConverters) {
  sim::SimulatorOptions silent;
  silent.Faults.Mode = sim::FaultMode::NoAnswer;
  test::ConverterOnPty noAnswer(silent);
  DeviceIdentification first(noAnswer.Link);
  try {
    first.Identify();
    ADD_FAILURE() << "no error";
  } catch (const LinkError& error) {
    EXPECT_EQ(error.Word, kErrorConnect);
  }
  EXPECT_EQ(first.Stored(), TDeviceInfo{});

  sim::SimulatorOptions cut;
  cut.Faults.Mode = sim::FaultMode::ShortReplies;
  test::ConverterOnPty shortReply(cut);
  DeviceIdentification second(shortReply.Link);
  EXPECT_THROW(second.Identify(), IdentityReplyTooShort);
  EXPECT_EQ(second.Stored().FwText, "3.8");

  // Not connected: nothing is sent and the stored result stays.
  TOrvelBroadcaster bus;
  TRXTX closed(bus);
  DeviceIdentification third(closed);
  EXPECT_EQ(third.Identify(), TDeviceInfo{});
}

}  // namespace
}  // namespace orvel
