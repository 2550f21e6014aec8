// The inline markup of label and button texts, as the windows write it.
#include "ui/framework/markup.h"

#include <gtest/gtest.h>

namespace vesk::ui {
namespace {

TEST(Markup, TheWindowsFormsGiveOneRunInFontAndColour) {
  EXPECT_EQ(ParseMarkup("{f 1}{c #49A832}12月07日   08:00:00   周一{/c}{/f}"),
            (std::vector<TextRun>{{"12月07日   08:00:00   周一", 1, 0x49A832}}));
}

TEST(Markup, NestedTagsReturnToTheEnclosingFontAndColour) {
  const auto runs = ParseMarkup("a{f 2}b{c #FF0000}c{f 3}d{/f}e{/c}f{/f}g");
  EXPECT_EQ(runs, (std::vector<TextRun>{{"a", -1, std::nullopt},
                                        {"b", 2, std::nullopt},
                                        {"c", 2, 0xFF0000},
                                        {"d", 3, 0xFF0000},
                                        {"e", 2, 0xFF0000},
                                        {"f", 2, std::nullopt},
                                        {"g", -1, std::nullopt}}));
  // Colours nest the same way.
  EXPECT_EQ(ParseMarkup("{c #000001}x{c #000002}y{/c}z{/c}"),
            (std::vector<TextRun>{{"x", -1, 1}, {"y", -1, 2}, {"z", -1, 1}}));
}

TEST(Markup, PlainTextIsOneRunEmptyTextNoneAndSameLookNeighboursMerge) {
  EXPECT_EQ(ParseMarkup("Save"), (std::vector<TextRun>{{"Save", -1, std::nullopt}}));
  EXPECT_TRUE(ParseMarkup("{f 1}{c #FFFFFF}{/c}{/f}").empty());
  EXPECT_EQ(ParseMarkup("{f 1}ab{/f}{f 1}cd{/f}"), (std::vector<TextRun>{{"abcd", 1, std::nullopt}}));
  // Stray closing tags are dropped and unclosed ones run to the end.
  EXPECT_EQ(ParseMarkup("{/c}{/f}a"), (std::vector<TextRun>{{"a", -1, std::nullopt}}));
  EXPECT_EQ(ParseMarkup("{c #010203}a"), (std::vector<TextRun>{{"a", -1, 0x010203}}));
}

TEST(Markup, MalformedTagsStayVisibleAsText) {
  // Nothing the user should read may disappear because of a typing slip.
  EXPECT_EQ(StripMarkup("{c #12345}x{/c}"), "{c #12345}x");
  for (const char* kept : {"{c #GG0000}x", "{f -1}y", "{b}bold{/b}", "open { brace", "unclosed {f 1", "{}"}) {
    EXPECT_EQ(StripMarkup(kept), kept);
  }
}

TEST(Markup, ColourNeedsExactlySixHexDigits) {
  EXPECT_EQ(ParseColour("#1974f0"), 0x1974F0u);
  for (const char* bad : {"1974F0", "#1974F", "#1974F00", "#+974F0"}) EXPECT_FALSE(ParseColour(bad)) << bad;
}

}  // namespace
}  // namespace vesk::ui
