// The station's text forms: JSON lines that any program can read whatever text goes into them,
// and network addresses as the operator writes them.

#include "station/host_port.h"
#include "station/json_line.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace mosaic::station {
namespace {

QJsonObject parsed(const JsonLine& line) {
  QJsonParseError error;
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray::fromStdString(line.str()), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << line.str();
  return document.object();
}

TEST(JsonLine, AnyTextGivesValidJsonThatReadsBackAsTheText) {
  const std::string plain = "path \"with\" quotes\\ and\ttabs\nand lines\r\x01\x1f\x7f";
  const std::string utf8 = "Empfang \xC3\xBC \xE2\x82\xAC \xF0\x9F\x93\xB7";  // ü, €, a camera
  JsonLine line;
  line.text("plain", plain).text("utf8", utf8);
  const QJsonObject object = parsed(line);
  EXPECT_EQ(object["plain"].toString().toStdString(), plain);
  EXPECT_EQ(object["utf8"].toString().toStdString(), utf8);
  EXPECT_EQ(line.str().find('\n'), std::string::npos) << "one line";

  // Bytes that are not UTF-8 (a Latin-1 file name, a cut sequence, an overlong form, a
  // surrogate) each become U+FFFD; the text around them stays.
  JsonLine broken;
  broken.text("name", "caf\xE9-\xE2\x82-\xC0\xAF-\xED\xA0\x80-end");
  const QString name = parsed(broken)["name"].toString();
  EXPECT_TRUE(name.startsWith(QStringLiteral("caf\uFFFD-"))) << name.toStdString();
  EXPECT_TRUE(name.endsWith(QStringLiteral("-end"))) << name.toStdString();
  EXPECT_FALSE(name.contains(QChar(0xE9)));
}

TEST(JsonLine, NumbersAreWrittenAsJsonNumbers) {
  JsonLine line;
  line.number("tuning_hz", -3.456, 2)
      .number("zero", -0.001, 2)
      .number("nan", std::nan(""), 1)
      .number("inf", INFINITY, 1)
      .integer("count", -42)
      .boolean("locked", true);
  EXPECT_EQ(line.str(),
            "{\"tuning_hz\":-3.46,\"zero\":0.00,\"nan\":null,\"inf\":null,\"count\":-42,"
            "\"locked\":true}");
  parsed(line);
  JsonLine joined;
  joined.text("event", "x").append(JsonLine()).append(line);
  EXPECT_EQ(parsed(joined)["count"].toInt(), -42);
}

TEST(HostPort, ReadsThePortWithOrWithoutAHost) {
  EXPECT_EQ(parseHostPort("7355", "127.0.0.1"), (HostPort{"127.0.0.1", 7355}));
  EXPECT_EQ(parseHostPort("0.0.0.0:7355", "127.0.0.1"), (HostPort{"0.0.0.0", 7355}));
  EXPECT_EQ(parseHostPort("sdr.local:1", "x"), (HostPort{"sdr.local", 1}));
  EXPECT_EQ(parseHostPort("[::1]:65535", "x"), (HostPort{"::1", 65535}));
  for (const char* bad : {"", "0", "65536", "07355", "-1", "+80", "port", "host:", ":80", "::1:80",
                          "[::1]", "[::1]80", "[host]:80", "a b:80", "a/b:80", "7355 "}) {
    EXPECT_EQ(parseHostPort(bad, "127.0.0.1"), std::nullopt) << "\"" << bad << "\"";
  }
}

}  // namespace
}  // namespace mosaic::station
