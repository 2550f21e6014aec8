// Skin documents: what a skin may say, how its faults are named, and the
// four skins the program ships with.
#include "ui/framework/skin.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace vesk::ui {
namespace {

std::string Wrap(const std::string& body) {
  return "<Window size=\"200,100\"><Font id=\"0\" name=\"Segoe UI\" size=\"14\"/>" + body + "</Window>";
}

std::string ErrorOf(const std::string& document) {
  std::string error;
  EXPECT_FALSE(ParseSkin(document, error)) << document;
  return error;
}

// What the windows read from a skin beyond what the shipped skins prove by
// being used: colours, fonts, alignment and list items.
TEST(Skin, ReadsWindowFontsAndControlAttributes) {
  std::string error;
  const auto skin = ParseSkin(
      "<Window size=\"300,200\" bkcolor=\"#EEF2F6\" font=\"1\">\n"
      "  <Font id=\"0\" name=\"Segoe UI\" size=\"14\"/>\n"
      "  <Font id=\"1\" name=\"Microsoft YaHei\" size=\"18\" bold=\"true\" chinese=\"true\"/>\n"
      "  <Label name=\"L\" pos=\"1,2,3,4\" align=\"center\" textcolor=\"#010203\"/>\n"
      "  <Combo name=\"H\" pos=\"1,2,3,4\" range=\"0-23\" selected=\"5\"/>\n"
      "  <Combo name=\"X\" pos=\"1,2,3,4\"><Item text=\"a\"/><Item>b</Item></Combo>\n"
      "</Window>",
      error);
  ASSERT_TRUE(skin) << error;
  EXPECT_EQ(skin->bkColour, 0xEEF2F6u);
  EXPECT_EQ(skin->defaultFont, 1);
  ASSERT_NE(skin->Font(1), nullptr);
  EXPECT_TRUE(skin->Font(1)->bold && skin->Font(1)->chinese);
  EXPECT_EQ(skin->Control("L")->look.align, TextAlign::Center);
  EXPECT_EQ(skin->Control("L")->look.textColour, 0x010203u);
  EXPECT_EQ(skin->Control("H")->items.back(), "23");
  EXPECT_EQ(skin->Control("H")->curSel, 5);
  EXPECT_EQ(skin->Control("X")->items, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(skin->Control("X")->curSel, -1);
}

TEST(Skin, FaultsNameTheLineAndWhatIsWrong) {
  EXPECT_EQ(ErrorOf("<Window size=\"1,1\"><Font id=\"0\" name=\"a\"/>\n<Combo name=\"StartHour1\" "
                    "pos=\"1,1,2,2\" range=\"0-23\" selected=\"30\"/></Window>"),
            "line 2: Combo \"StartHour1\": selected 30 is outside its 24 items");
  EXPECT_EQ(ErrorOf("<Dialog/>"), "line 1: the root element must be <Window>, not <Dialog>");
  // An XML fault keeps the reader's position.
  EXPECT_EQ(ErrorOf("<Window size=\"1,1\">\n<Label>"), "line 2, column 8: <Label> is not closed");
  const std::pair<std::string, const char*> cases[] = {
      {"<Window size=\"1,1\"></Window>", "defines no <Font>"},
      {Wrap("<Label name=\"a\" pos=\"1,1,2,2\"/><Button name=\"a\" pos=\"1,1,2,2\"/>"), "\"a\" is used twice"},
      {Wrap("<Label pos=\"1,1,2\"/>"), "must be 4 numbers"},
      {Wrap("<Label pos=\"5,1,2,9\"/>"), "right > left"},
      {Wrap("<Label pos=\"1,1,2,2\" font=\"3\"/>"), "font 3 is not defined"},
      {Wrap("<Label pos=\"1,1,2,2\" textcolor=\"red\"/>"), "#RRGGBB"},
      {Wrap("<Label pos=\"1,1,2,2\" colour=\"#000000\"/>"), "no attribute colour"},
      {Wrap("<Slider pos=\"1,1,2,2\"/>"), "unknown element <Slider>"},
      {Wrap("<CheckBox pos=\"1,1,2,2\" group=\"g\"/>"), "only an <Option> has a group"},
      {Wrap("<Combo pos=\"1,1,2,2\" range=\"23-0\"/>"), "first-last"},
      {Wrap("<Combo pos=\"1,1,2,2\"><Label/></Combo>"), "only <Item>"},
      {Wrap("<Option pos=\"1,1,2,2\" selected=\"yes\"/>"), "true or false"},
  };
  for (const auto& [document, words] : cases) {
    EXPECT_NE(ErrorOf(document).find(words), std::string::npos) << document;
  }
}

// ------------------------------------------------- the shipped skins

std::optional<Skin> LoadShipped(const std::string& file) {
  std::ifstream in(std::string(VESK_SOURCE_DIR) + "/skin/" + file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string error;
  auto skin = ParseSkin(text.str(), error);
  EXPECT_TRUE(skin) << file << ": " << error;
  return skin;
}

void ExpectNumberList(const Skin& skin, const char* name, int count, const std::string& file) {
  const SkinControl* list = skin.Control(name);
  ASSERT_NE(list, nullptr) << file << " " << name;
  ASSERT_EQ(static_cast<int>(list->items.size()), count) << file << " " << name;
  for (int i = 0; i < count; ++i) {
    // The windows read the value as the item's index: the text must agree.
    EXPECT_EQ(std::stoi(list->items[static_cast<std::size_t>(i)]), i) << file << " " << name;
  }
  EXPECT_GE(list->curSel, 0) << file << " " << name << " must keep an item selected";
}

// The windows check their controls when they are made; what the skins must
// hold beyond that: lists whose item texts are their indexes, day buttons in
// one group with none selected before a load, every control inside the
// window, and Chinese texts and fonts in the Chinese skins only.
TEST(ShippedSkins, ListsDaysBoundsAndLanguage) {
  for (const std::string file :
       {"MainWndE.xml", "MainWnd.xml", "WarnWndE.xml", "WarnWnd.xml", "HolidayWnd.xml", "HolidayWndE.xml"}) {
    const auto skin = LoadShipped(file);
    ASSERT_TRUE(skin);
    const bool chinese = !file.ends_with("E.xml");
    bool cjk = false;
    for (const auto& control : skin->controls) {
      // Every CJK ideograph in UTF-8 starts with a byte from 0xE4 to 0xE9.
      for (const unsigned char c : control.text) cjk |= c >= 0xE4 && c <= 0xE9;
      const RECT& p = control.look.pos;
      EXPECT_TRUE(p.left >= 0 && p.top >= 0 && p.right <= skin->size.cx && p.bottom <= skin->size.cy)
          << file << " line " << control.line;
    }
    EXPECT_EQ(cjk, chinese) << file;
    for (const auto& font : skin->fonts) EXPECT_TRUE(font.chinese || !chinese) << file << " font " << font.id;
    if (file.starts_with("Warn")) {
      ExpectNumberList(*skin, "DelayHour", 24, file);
      ExpectNumberList(*skin, "DelayMinute", 60, file);
    }
    if (!file.starts_with("Main")) continue;
    for (const std::string phase : {"1", "2", "3"}) {
      for (const auto& [list, count] : {std::pair{"StartHour", 24}, std::pair{"EndHour", 24},
                                        std::pair{"StartMinute", 60}, std::pair{"EndMinute", 60}}) {
        ExpectNumberList(*skin, (list + phase).c_str(), count, file);
      }
    }
    for (const char* day : {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}) {
      EXPECT_EQ(skin->Control(day)->group, skin->Control("Monday")->group) << file << " " << day;
      EXPECT_FALSE(skin->Control(day)->selected) << file << ": no day is selected before a load";
    }
  }
}

}  // namespace
}  // namespace vesk::ui
