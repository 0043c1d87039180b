// What a careless or hostile client cannot do to the station's web page: read anything outside
// the pictures folder, change anything, or hold the page with oversized, idle, trickling or
// slowly read requests. Every attack is bounded in count and time.

#include "tests/web/station_web_fixture.h"

#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <random>

namespace mosaic::test {
namespace {

using Clock = std::chrono::steady_clock;
using StationWebLimits = StationWebTest;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST_F(StationWebLimits, NothingOutsideThePicturesFolderIsServed) {
  save("mosaic-2026-12-07-121530Z.png", receivedPictures().front());
  const std::string pictures = folder().toStdString();
  ASSERT_EQ(::symlink("../outside/secret.png", (pictures + "/link.png").c_str()), 0);
  ASSERT_EQ(::symlink("../outside", (pictures + "/outside").c_str()), 0);
  ASSERT_EQ(::mkfifo((pictures + "/pipe.png").c_str(), 0600), 0);
  for (const std::string& target : std::vector<std::string>{
           "/pictures/../outside/secret.png", "/pictures/%2e%2e/outside/secret.png",
           "/pictures/%2E%2E%2Foutside%2Fsecret.png", "/view/..%2foutside%2fsecret.png",
           "/pictures/" + root_.path().toStdString() + "/outside/secret.png",
           "/pictures/%2f" + root_.path().mid(1).toStdString() + "%2foutside%2fsecret.png",
           "/../outside/secret.png", "/pictures/link.png", "/view/link.png",
           "/pictures/outside/secret.png", "/pictures/pipe.png", "/pictures/",
           "/pictures/secret.png%00.png", "http://127.0.0.1/pictures/../outside/secret.png"}) {
    const auto answer = get(target);
    ASSERT_TRUE(answer) << target;  // answered, not hung on the named pipe
    EXPECT_NE(answer->status, 200) << target;
    EXPECT_EQ(answer->body.find(kSecret), std::string::npos) << target;
  }
  const std::string gallery = get("/gallery")->body;
  EXPECT_NE(gallery.find("121530Z"), std::string::npos);
  for (const char* hidden : {"link.png", "pipe.png", "outside"})
    EXPECT_EQ(gallery.find(hidden), std::string::npos) << hidden;
}

TEST_F(StationWebLimits, RequestsCanOnlyRead) {
  save("mosaic-2026-12-07-121530Z.png", receivedPictures().front());
  for (const char* method : {"POST", "PUT", "DELETE"}) {
    HttpConnection client(server_.port());
    client.send(std::string(method) +
                " /pictures/mosaic-2026-12-07-121530Z.png HTTP/1.1\r\nHost: x\r\n"
                "Content-Length: 5\r\n\r\nhello");
    const auto answer = client.answer();
    ASSERT_TRUE(answer) << method;
    EXPECT_EQ(answer->status, 405) << method;
  }
  EXPECT_EQ(QDir(folder()).entryList(QDir::Files).size(), 1);
  EXPECT_EQ(get("/pictures/mosaic-2026-12-07-121530Z.png")->status, 200);
}

TEST_F(StationWebLimits, OversizedRequestsAreRefusedAndServingGoesOn) {
  const std::string longUrl = "/" + std::string(100000, 'a');
  std::string manyHeaders = "GET / HTTP/1.1\r\nHost: x\r\n";
  for (int i = 0; i < 1000; ++i)
    manyHeaders += "X-Filler-" + std::to_string(i) + ": 0123456789\r\n";
  for (const std::string& request :
       {"GET " + longUrl + " HTTP/1.1\r\nHost: x\r\n\r\n", manyHeaders + "\r\n"}) {
    HttpConnection client(server_.port());
    client.send(request);
    const auto answer = client.answer();
    if (answer) {
      EXPECT_GE(answer->status, 400);
    }
    EXPECT_TRUE(client.closedByServer(5000));
  }
  EXPECT_EQ(get("/status.json")->status, 200);
}

TEST_F(StationWebLimits, IdleConnectionsAreBoundedAndDroppedWhilePublishingGoesOn) {
  std::vector<std::unique_ptr<HttpConnection>> idle;
  for (int i = 0; i < 40; ++i) idle.push_back(std::make_unique<HttpConnection>(server_.port()));
  // Beyond the per-address limit the server closes them at once; another host is still served.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  int refused = 0;
  for (auto& connection : idle) refused += connection->closedByServer(1);
  EXPECT_GE(refused, 40 - int(testLimits().connectionsPerAddress));
  HttpConnection otherHost(server_.port(), "127.0.0.2");
  const auto answer = otherHost.get("/status.json");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200);

  // Publishing never waits for the clients: were it to wait for each to time out, twenty
  // pictures would take forty seconds.
  const Clock::time_point publishing = Clock::now();
  for (int i = 0; i < 20; ++i) server_.publishPicture(receivedPictures()[i % 2]);
  EXPECT_LT(secondsSince(publishing), 5.0);

  const Clock::time_point start = Clock::now();
  for (auto& connection : idle) EXPECT_TRUE(connection->closedByServer(8000));
  EXPECT_LT(secondsSince(start), testLimits().idleSeconds + 3.0);
}

TEST_F(StationWebLimits, TricklingAndSlowlyReadingClientsAreCutOff) {
  const Clock::time_point trickling = Clock::now();
  HttpConnection trickle(server_.port());
  trickle.send("GET / HTTP/1.1\r\nHost: x\r\n");
  while (secondsSince(trickling) < 10 && trickle.send("X-Slow: 1\r\n") &&
         trickle.readSome(1, 300) != 0) {
  }
  EXPECT_TRUE(trickle.closedByServer(1000));
  EXPECT_LT(secondsSince(trickling), testLimits().requestSeconds + 3.0);

  // A picture larger than the sockets' buffers, read 4 KiB at a time.
  QImage noise(1600, 1600, QImage::Format_RGB888);
  std::mt19937 random(7);
  for (int y = 0; y < noise.height(); ++y)
    for (std::uint8_t *p = noise.scanLine(y), *end = p + noise.bytesPerLine(); p < end; ++p)
      *p = static_cast<std::uint8_t>(random());
  save("mosaic-2026-12-07-000000Z.png", noise);
  const auto fileSize = QFileInfo(folder() + "/mosaic-2026-12-07-000000Z.png").size();
  HttpConnection slow(server_.port(), "127.0.0.1", 4096);
  slow.send("GET /pictures/mosaic-2026-12-07-000000Z.png HTTP/1.1\r\nHost: x\r\n\r\n");
  const Clock::time_point reading = Clock::now();
  long received = 0;
  for (long n; secondsSince(reading) < 15 && (n = slow.readSome(4096, 1000)) != 0;) {
    received += std::max(0L, n);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (secondsSince(reading) > 1) {
      EXPECT_EQ(get("/status.json")->status, 200);
    }
  }
  EXPECT_LT(received, fileSize) << fileSize;
  EXPECT_LT(secondsSince(reading), testLimits().requestSeconds + 3.0);
}

TEST(StationWebAddress, APortInUseOrAnAddressThisMachineLacksIsRefusedWithItsReason) {
  std::string error;
  web::StationWebServer first(QDir::tempPath()), second(QDir::tempPath());
  ASSERT_TRUE(first.start({"127.0.0.1", 0}, error)) << error;
  EXPECT_FALSE(second.start({"127.0.0.1", first.port()}, error));
  EXPECT_NE(error.find("in use"), std::string::npos) << error;
  EXPECT_FALSE(second.start({"192.0.2.1", 8080}, error));  // an address this machine lacks
}

}  // namespace
}  // namespace mosaic::test
