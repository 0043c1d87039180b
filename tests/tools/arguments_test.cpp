#include "tools/arguments.h"

#include <gtest/gtest.h>

namespace mosaic::tool {
namespace {

TEST(Arguments, OptionsWithValuesFlagsAndPositionals) {
  Arguments a({"in.wav", "-o", "out.png", "--fine=-0.4", "--large"});
  bool missing = false;
  EXPECT_FALSE(a.option("-o", missing));
  EXPECT_EQ(a.next(), "in.wav");
  EXPECT_EQ(a.option("-o", missing), "out.png");
  EXPECT_EQ(a.option("--fine", missing), "-0.4");
  EXPECT_FALSE(a.flag("--small"));
  EXPECT_TRUE(a.flag("--large"));
  EXPECT_FALSE(a.more());
  EXPECT_FALSE(missing);
}

TEST(Arguments, AnOptionWithoutAValueStaysToBeNamedWhateverIsAskedAfterIt) {
  for (const char* last : {"-o", "--frames"}) {
    Arguments a({"in.png", last});
    a.next();
    bool missing = false;
    // The chain a command runs: every option in turn, the missing one anywhere in it.
    EXPECT_FALSE(a.option("-o", missing));
    EXPECT_FALSE(a.option("--frames", missing));
    EXPECT_FALSE(a.option("--crawl", missing));
    EXPECT_TRUE(missing) << last;
    ASSERT_TRUE(a.more());
    EXPECT_EQ(a.peek(), last);
  }
}

TEST(Arguments, NumbersAreWholeAndFinite) {
  EXPECT_EQ(parseInteger("42"), 42);
  EXPECT_EQ(parseInteger("-7"), -7);
  EXPECT_FALSE(parseInteger("4.2"));
  EXPECT_FALSE(parseInteger("12abc"));
  EXPECT_FALSE(parseInteger(""));
  EXPECT_FALSE(parseInteger("99999999999999999999"));
  EXPECT_DOUBLE_EQ(*parseNumber("-0.02"), -0.02);
  EXPECT_FALSE(parseNumber("nan"));
  EXPECT_FALSE(parseNumber("inf"));
  EXPECT_FALSE(parseNumber("1e999"));
  EXPECT_FALSE(parseNumber("3 Hz"));
}

}  // namespace
}  // namespace mosaic::tool
