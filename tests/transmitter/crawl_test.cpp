// The crawl text file's field rules and the moving crawl window.

#include "transmitter/core/crawl_text.h"
#include "transmitter/core/crawl_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace mosaic {
namespace {

const std::string Oslash(1, '\xD8');

TEST(CrawlText, UnquotedFieldEndsAtCommaOrCarriageReturnAndZerosBecomeSlashedO) {
  EXPECT_EQ(prepareCrawlText(firstCrawlField("CALL 0 TEST, more\r\nnext line")),
            "CALL " + Oslash + " TEST");
  EXPECT_EQ(firstCrawlField("   LEADING\r\n"), "LEADING");
  EXPECT_EQ(firstCrawlField("TRAILING  \r\n"), "TRAILING  ");
  EXPECT_EQ(firstCrawlField("A\tB\x1A"
                            "after end of file"),
            "AB");
  // Line feeds alone do not end the field: the lines run together up to the first comma.
  EXPECT_EQ(firstCrawlField("ONE\nTWO\nTHREE,FOUR\n"), "ONETWOTHREE");
  // An empty first line gives an empty text, whatever follows.
  EXPECT_EQ(firstCrawlField("\r\nCQ CQ\r\n"), "");
  EXPECT_EQ(firstCrawlField(""), "");
}

TEST(CrawlText, QuotedFieldKeepsCommasAndLineEndsAndItsZerosAreReplacedToo) {
  EXPECT_EQ(firstCrawlField("\"CQ, TEST\"\r\n"), "CQ, TEST");
  EXPECT_EQ(firstCrawlField("  \"A\r\nB\",C"), "A\r\nB");
  EXPECT_EQ(prepareCrawlText(firstCrawlField("\"DL0XYZ\"")), "DL" + Oslash + "XYZ");
  // An unclosed quote runs to the end of the file.
  EXPECT_EQ(firstCrawlField("\"OPEN"), "OPEN");
}

TEST(CrawlText, LongFieldsAreCutTo255BytesAfterDroppingLineFeeds) {
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "ABCDE\n";
  const std::string field = firstCrawlField(lines);
  ASSERT_EQ(field.size(), 255u);
  EXPECT_EQ(field.substr(0, 10), "ABCDEABCDE");
  EXPECT_EQ(firstCrawlField("\"" + std::string(300, 'Q') + "\"").size(), 255u);
}

TEST(CrawlText, ReadsTheFileEachTimeAndAMissingFileGivesNoText) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("crawl_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "TESTPATT.INI").string();
  EXPECT_EQ(readCrawlText(path), "");
  std::ofstream(path, std::ios::binary) << "CQ 10M\r\n";
  EXPECT_EQ(readCrawlText(path), "CQ 1" + Oslash + "M");
  std::ofstream(path, std::ios::binary) << "QRT\r\n";
  EXPECT_EQ(readCrawlText(path), "QRT");
  EXPECT_EQ(readCrawlText(dir.string()), "");  // a folder of that name is no text
  std::filesystem::remove_all(dir);
}

// The windows of successive frames with the crawl on.
std::vector<std::string> windows(CrawlState& state, const std::string& text, int frames) {
  std::vector<std::string> out;
  for (int i = 0; i < frames; ++i) out.push_back(advanceCrawl(state, text));
  return out;
}

TEST(CrawlWindow, TwentyCharactersSkipTheStartAtElevenFromTheEndAndWrapAfter19Frames) {
  const std::string text = "ABCDEFGHIJKLMNOPQRST";
  CrawlState state{true, 0};
  const auto w = windows(state, text, 20);
  // Starts 1..9, then 11..20: the window that would start at character 10 is never shown.
  EXPECT_EQ(w[0], "ABCDEFGHIJK");
  EXPECT_EQ(w[8], "IJKLMNOPQRS");
  EXPECT_EQ(w[9], "KLMNOPQRSTA");
  EXPECT_EQ(w[18], "TABCDEFGHIJ");
  EXPECT_EQ(w[19], w[0]);
  for (const auto& s : w) EXPECT_EQ(s.size(), 11u);
}

TEST(CrawlWindow, FiveCharactersShowTheTailThenTheWholeText) {
  CrawlState state{true, 0};
  const auto w = windows(state, "ABCDE", 5);
  EXPECT_EQ(w,
            (std::vector<std::string>{"BCDEABCDE", "CDEABCDE", "DEABCDE", "EABCDE", "BCDEABCDE"}));
}

TEST(CrawlWindow, OffHoldsPositionZeroAndSwitchingOnRestartsAtOne) {
  const std::string text = "ABCDEFGHIJKLMNOP";
  CrawlState state;
  EXPECT_EQ(advanceCrawl(state, text), "");
  EXPECT_EQ(state.crawlPosition, 0);
  onCrawlToggle(state);
  windows(state, text, 4);
  EXPECT_EQ(state.crawlPosition, 4);
  onCrawlToggle(state);
  EXPECT_EQ(advanceCrawl(state, text), "");
  EXPECT_EQ(state.crawlPosition, 0);
  onCrawlToggle(state);
  EXPECT_EQ(advanceCrawl(state, text), "ABCDEFGHIJK");
  EXPECT_EQ(state.crawlPosition, 1);
}

TEST(CrawlWindow, ShortOrVanishingTextsNeverFreezeTheCrawl) {
  CrawlState state{true, 0};
  // One character: shown once in every frame, the position held at 1.
  EXPECT_EQ(windows(state, "X", 3), (std::vector<std::string>{"X", "X", "X"}));
  EXPECT_EQ(state.crawlPosition, 1);
  // No text (file missing): nothing drawn, and the position does not run away.
  EXPECT_EQ(windows(state, "", 5), std::vector<std::string>(5, ""));
  EXPECT_EQ(state.crawlPosition, 1);
  // A text that becomes shorter while the crawl is past its end starts again at its beginning.
  CrawlState longer{true, 0};
  windows(longer, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 20);
  EXPECT_EQ(advanceCrawl(longer, "ABCDEFGHIJKLM"), "ABCDEFGHIJK");
  EXPECT_EQ(advanceCrawl(longer, "ABCDEFGHIJKLM"), "BCDEFGHIJKL");
}

}  // namespace
}  // namespace mosaic
