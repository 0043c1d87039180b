#pragma once
// A station web page on a free local port over a fresh pictures folder, with a secret file
// beside the folder that no request may reach, and real received pictures to publish.

#include "station/web/station_web_server.h"
#include "tests/support/air_signal.h"
#include "tests/support/http_client.h"
#include "tests/tools/tool_runner.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace mosaic::test {

inline const char* const kSecret = "the secret beside the pictures folder";

// Aligned pictures as `mosaic decode --aligned` receives them from the test card with a block
// that moves from frame to frame: each differs from the one before. Made once per test program.
inline const std::vector<QImage>& receivedPictures() {
  static const std::vector<QImage> pictures = [] {
    static QTemporaryDir dir;
    const QString wav = dir.filePath("card.wav");
    writeSentWav(wav, sentTestCard(8));
    const ToolRun run = runTool({"decode", wav, "--aligned", "--scale", "2", "--balance", "0",
                                 "--frames-dir", dir.filePath("frames")});
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    std::vector<QImage> frames;
    for (const QString& name : QDir(dir.filePath("frames")).entryList({"*.png"}, QDir::Files))
      frames.push_back(
          QImage(dir.filePath("frames/" + name)).convertToFormat(QImage::Format_RGB888));
    return frames;
  }();
  return pictures;
}

class StationWebTest : public ::testing::Test {
 protected:
  static web::WebLimits testLimits() {
    web::WebLimits limits;
    limits.connectionsPerAddress = 8;
    limits.idleSeconds = 2;
    limits.requestSeconds = 3;
    limits.galleryPageSize = 4;
    return limits;
  }

  void SetUp() override {
    ASSERT_TRUE(QDir(root_.path()).mkpath("pictures") && QDir(root_.path()).mkpath("outside"));
    QFile secret(root_.filePath("outside/secret.png"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly) && secret.write(kSecret) > 0);
    std::string error;
    ASSERT_TRUE(server_.start({"127.0.0.1", 0}, error)) << error;
  }

  QString folder() const { return root_.filePath("pictures"); }

  // Saves `picture` into the pictures folder as the station does, with `chunks` as text.
  void save(const std::string& name, QImage picture,
            const std::map<QString, QString>& chunks = {}) {
    for (const auto& [key, value] : chunks) picture.setText(key, value);
    ASSERT_TRUE(picture.save(folder() + "/" + QString::fromStdString(name), "png"));
  }

  std::optional<HttpAnswer> get(const std::string& target) {
    return httpGet(server_.port(), target);
  }

  QTemporaryDir root_;
  web::StationWebServer server_{folder(), testLimits()};
};

}  // namespace mosaic::test
