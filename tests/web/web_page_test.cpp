// The station's web page as a client reads it: the live picture and status as published, the
// gallery of saved pictures newest first with their details, text from outside kept as text.

#include "tests/web/station_web_fixture.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace mosaic::test {
namespace {

QJsonObject statusOf(const std::optional<HttpAnswer>& answer) {
  EXPECT_TRUE(answer && answer->status == 200);
  return answer ? QJsonDocument::fromJson(QByteArray::fromStdString(answer->body)).object()
                : QJsonObject();
}

QImage imageOf(const std::optional<HttpAnswer>& answer) {
  return answer ? QImage::fromData(QByteArray::fromStdString(answer->body), "png")
                      .convertToFormat(QImage::Format_RGB888)
                : QImage();
}

using StationWebPage = StationWebTest;

TEST_F(StationWebPage, LivePictureAndStatusFollowWhatTheStationPublishes) {
  const std::vector<QImage>& pictures = receivedPictures();
  ASSERT_GE(pictures.size(), 2u);
  EXPECT_EQ(get("/live.png")->status, 404);
  EXPECT_EQ(statusOf(get("/status.json"))["lock"].toString(), "none");

  web::StationStatus status;
  status.lock = web::LockState::Locked;
  status.tuningHz = -1.25;
  status.clockPpm = 3.5;
  status.snrDb = 17.5;
  status.rig = "14.230 MHz \"USB\"\n";
  status.folderTrouble = "No space left on the device";
  server_.publishStatus(status);
  HttpConnection page(server_.port());  // kept open from poll to poll, as a browser does
  for (int n = 1; n <= 2; ++n) {
    server_.publishPicture(pictures[n - 1]);
    const QJsonObject json = statusOf(page.get("/status.json"));
    EXPECT_EQ(json["picture"].toInt(), n);
    const auto live = page.get("/live.png?n=" + std::to_string(n));
    EXPECT_EQ(live->header("Cache-Control"), "no-store");
    EXPECT_EQ(imageOf(live), pictures[n - 1]) << "picture " << n;
  }
  const QJsonObject json = statusOf(get("/status.json"));
  const QJsonObject expected{{"lock", "locked"},
                             {"tuningHz", -1.25},
                             {"clockPpm", 3.5},
                             {"snrDb", 17.5},
                             {"rig", status.rig},
                             {"picture", 2},
                             {"folderTrouble", status.folderTrouble}};
  for (const QString& key : expected.keys()) EXPECT_EQ(json[key], expected[key]) << qPrintable(key);
  EXPECT_FALSE(json["pictureTime"].toString().isEmpty());
}

TEST_F(StationWebPage, GalleryListsSavedPicturesNewestFirstWithTheirDetails) {
  const QImage& picture = receivedPictures().front();
  const std::vector<std::string> newestFirst = {
      "mosaic-2026-12-07-121531Z.png", "mosaic-2026-12-07-121530Z-10.png",
      "mosaic-2026-12-07-121530Z-2.png", "mosaic-2026-12-07-121530Z.png",
      "mosaic-2026-12-07-121529Z.png"};
  for (const std::string& name : newestFirst)
    save(name, picture,
         {{"Received", "2026-12-07T12:15:30Z"},
          {"SNR", "17.5 dB in 3000 Hz"},
          {"Mode", "USB"},
          {"Tuning", "+1.25 Hz"}});
  const std::string stamp = statusOf(get("/status.json"))["gallery"].toString().toStdString();

  const std::string first = get("/")->body, second = get("/?page=2")->body;
  std::size_t at = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t next = first.find("/view/" + newestFirst[i]);
    ASSERT_NE(next, std::string::npos) << newestFirst[i];
    EXPECT_GT(next, at) << newestFirst[i];
    at = next;
  }
  EXPECT_EQ(first.find(newestFirst[4]), std::string::npos);
  EXPECT_NE(second.find("/view/" + newestFirst[4]), std::string::npos);
  EXPECT_NE(first.find("17.5 dB"), std::string::npos);

  const std::string view = get("/view/" + newestFirst[0])->body;
  for (const char* shown : {"Received 2026-12-07 12:15:30 UTC", "<th>Mode</th><td>USB</td>",
                            "<th>Tuning</th><td>+1.25 Hz</td>"})
    EXPECT_NE(view.find(shown), std::string::npos) << shown;
  QFile file(folder() + "/" + QString::fromStdString(newestFirst[0]));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(get("/pictures/" + newestFirst[0])->body, file.readAll().toStdString());

  save("mosaic-2026-12-07-121532Z.png", picture);
  EXPECT_NE(statusOf(get("/status.json"))["gallery"].toString().toStdString(), stamp);
  EXPECT_EQ(get("/view/mosaic-2026-12-07-121500Z.png")->status, 404);
}

TEST_F(StationWebPage, TextFromOutsideStaysText) {
  const std::string name = "<img src=x onerror=alert(1)> & \"q\".png";
  save(name, receivedPictures().front(), {{"Mode", "<script>alert('mode')</script>"}});
  const std::string gallery = get("/gallery")->body;
  EXPECT_EQ(gallery.find("<img src=x"), std::string::npos);
  EXPECT_NE(gallery.find("&lt;img src=x onerror=alert(1)&gt; &amp; &quot;q&quot;.png"),
            std::string::npos);
  // The gallery's link leads back to the same file.
  const std::size_t link = gallery.find("/view/") + 6;
  const auto view = get("/view/" + gallery.substr(link, gallery.find('"', link) - link));
  ASSERT_EQ(view->status, 200);
  EXPECT_EQ(view->body.find("<script>alert"), std::string::npos);
  EXPECT_NE(view->body.find("&lt;script&gt;alert(&#39;mode&#39;)&lt;/script&gt;"),
            std::string::npos);
  EXPECT_NE(view->header("Content-Security-Policy").find("script-src 'self'"), std::string::npos);
}

}  // namespace
}  // namespace mosaic::test
