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

}  // namespace
}  // namespace mosaic
