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

const std::string Oslash = kSlashedZero;

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

TEST(CrawlText, LongFieldsAreCutTo255CharactersAfterDroppingLineFeeds) {
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "ABCDE\n";
  const std::string field = firstCrawlField(lines);
  ASSERT_EQ(field.size(), 255u);
  EXPECT_EQ(field.substr(0, 10), "ABCDEABCDE");
  EXPECT_EQ(firstCrawlField("\"" + std::string(300, 'Q') + "\"").size(), 255u);
  // Characters, not bytes: 300 two-byte characters are cut to 255 of them, whole.
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xC3\xBC";
  EXPECT_EQ(firstCrawlField(umlauts), umlauts.substr(0, 510));
  EXPECT_EQ(prepareCrawlText(umlauts), umlauts.substr(0, 510));
}

TEST(CrawlText, FilesAreReadAsUtf8WhenTheyAreAndAsWindows1252Otherwise) {
  const std::string greeting =
      "Gr\xC3\xBC\xC3\x9F"
      "e";  // "Grüße" in UTF-8
  EXPECT_EQ(crawlFileText(greeting), greeting);
  EXPECT_EQ(crawlFileText("Gr\xFC\xDF"
                          "e"),
            greeting);  // the same in Windows-1252
  EXPECT_EQ(crawlFileText("\x80 \x93x\x94"), "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D");
  EXPECT_EQ(crawlFileText("\xEF\xBB\xBF"
                          "CQ"),
            "CQ");  // a byte-order mark is no character
  // Not UTF-8 after all: an overlong form, a lone continuation byte, a cut-off character.
  EXPECT_EQ(crawlFileText("\xC0\xAF"), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(crawlFileText("a\xBF"), "a\xC2\xBF");
  EXPECT_EQ(crawlFileText("a\xC3"), "a\xC3\x83");
  // ... unless the read stopped inside it.
  EXPECT_EQ(crawlFileText("a\xC3", true), "a");
  // The field rules are the same in both: here a comma ends the field.
  EXPECT_EQ(prepareCrawlText(firstCrawlField(crawlFileText("\xC4"
                                                           "0,\xD6"))),
            "\xC3\x84" + Oslash);
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
  std::ofstream(path, std::ios::binary) << "73 \xC3\xA0 tous\r\n";
  EXPECT_EQ(readCrawlText(path), "73 \xC3\xA0 tous");
  std::ofstream(path, std::ios::binary) << "73 \xE0 tous\r\n";
  EXPECT_EQ(readCrawlText(path), "73 \xC3\xA0 tous");
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

TEST(CrawlWindow, StepsByCharactersInUtf8Text) {
  // Twelve characters of which several take two or three bytes.
  const std::string text =
      "\xC3\x84"
      "BC\xE2\x82\xAC"
      "EFGHIJK\xC3\x9C";
  CrawlState state{true, 0};
  const auto w = windows(state, text, 3);
  EXPECT_EQ(w[0],
            "\xC3\x84"
            "BC\xE2\x82\xAC"
            "EFGHIJK");
  // From position 2 = 12 - 10 the window wraps: the tail, then the start again.
  EXPECT_EQ(w[1],
            "C\xE2\x82\xAC"
            "EFGHIJK\xC3\x9C"
            "\xC3\x84");
  EXPECT_EQ(w[2],
            "\xE2\x82\xAC"
            "EFGHIJK\xC3\x9C"
            "\xC3\x84"
            "B");
  for (const auto& s : w) EXPECT_EQ(characterStarts(s).size(), 11u) << s;
}

}  // namespace
}  // namespace mosaic
