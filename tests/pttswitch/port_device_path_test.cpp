#include "pttswitch/port_device_path.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace mosaic {
namespace {

TEST(PortDevicePath, MapsPortNumbersPathsAndTerminalNames) {
  const std::pair<std::string, std::string> cases[] = {
      {"1", "/dev/ttyS0"},
      {"2", "/dev/ttyS1"},
      {"10", "/dev/ttyS9"},
      {"/dev/ttyACM0", "/dev/ttyACM0"},
      {"/tmp/my port", "/tmp/my port"},
      {"ttyUSB0", "/dev/ttyUSB0"},
      {"ttyAMA10", "/dev/ttyAMA10"},
  };
  for (const auto& [text, path] : cases) {
    EXPECT_EQ(devicePathForPortText(text), path) << "text \"" << text << "\"";
  }
}

TEST(PortDevicePath, TextNamingNoDeviceGivesNothing) {
  // Typed text is never trimmed: a stray space names no device.
  const std::string cases[] = {
      "",          " 1",        "1 ",       "0",
      "01",        "-1",        "+1",       "1a",
      "COM1",      "tty",       "ttyUSB0 ", "tty../sda",
      "ttyUSB0/x", "dev/ttyS0", "9999999",  std::string("/dev/ttyS0\0x", 12),
      "\xc3\xa9",
  };
  for (const auto& text : cases) {
    EXPECT_EQ(devicePathForPortText(text), std::nullopt) << "text \"" << text << "\"";
  }
}

TEST(PortAddress, SerialNamesStaySerialPorts) {
  EXPECT_EQ(portAddressForText("1"), PortAddress(SerialAddress{"/dev/ttyS0"}));
  EXPECT_EQ(portAddressForText("ttyUSB0"), PortAddress(SerialAddress{"/dev/ttyUSB0"}));
  // A path is a path, even when it looks like one of the other forms.
  EXPECT_EQ(portAddressForText("/dev/rigctld:1"), PortAddress(SerialAddress{"/dev/rigctld:1"}));
}

TEST(PortAddress, MapsRigctldAndHamlibRigs) {
  const std::pair<std::string, RigAddress> cases[] = {
      {"rigctld", {2, "localhost:4532", 0}},
      {"rigctld:shack", {2, "shack:4532", 0}},
      {"rigctld:192.168.1.5:4533", {2, "192.168.1.5:4533", 0}},
      {"rigctld:[::1]", {2, "[::1]:4532", 0}},
      {"rigctld:[::1]:65535", {2, "[::1]:65535", 0}},
      {"hamlib:3073@/dev/ttyUSB0,19200", {3073, "/dev/ttyUSB0", 19200}},
      {"hamlib:1@/dev/null", {1, "/dev/null", 0}},
      {"hamlib:2@localhost:4532", {2, "localhost:4532", 0}},
  };
  for (const auto& [text, rig] : cases) {
    EXPECT_EQ(portAddressForText(text), PortAddress(rig)) << "text \"" << text << "\"";
  }
}

TEST(PortAddress, MalformedRigNamesGiveNothing) {
  const std::string cases[] = {
      "rigctld:",
      "rigctld:host:",
      "rigctld:host:0",
      "rigctld:host:65536",
      "rigctld:host:45x",
      "rigctld:a b",
      "rigctld:[::1",
      "rigctld:[::1]x",
      "rigctld:[::1]:",
      "rigctld ",
      "Rigctld",
      "hamlib:",
      "hamlib:3073",
      "hamlib:@/dev/ttyUSB0",
      "hamlib:x@/dev/ttyS0",
      "hamlib:0@/dev/ttyS0",
      "hamlib:3073@",
      "hamlib:3073@,19200",
      "hamlib:3073@/dev/ttyUSB0,",
      "hamlib:3073@/dev/ttyUSB0,fast",
      "hamlib:3073@/dev/tty USB0",
  };
  for (const auto& text : cases) {
    EXPECT_EQ(portAddressForText(text), std::nullopt) << "text \"" << text << "\"";
  }
}

}  // namespace
}  // namespace mosaic
