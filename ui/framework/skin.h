#pragma once
// A window's skin: its client size and colours, fonts by index, and its
// controls with name, kind, position, text, colours and list items.
//
//   <Window size="560,430" bkcolor="#F4F6F9" textcolor="#1F2933" font="0">
//     <Font id="0" name="Segoe UI" size="14"/>
//     <Font id="1" name="Segoe UI" size="16" bold="true"/>
//     <Panel pos="l,t,r,b" bkcolor="#FFFFFF" bordercolor="#D5DCE4"/>
//     <Label name="CurrentTime" pos="..." text="{f 1}...{/f}" align="center"/>
//     <Button name="btnOk" pos="..." text="Save" bkcolor="#1974F0" textcolor="#FFFFFF"/>
//     <Option name="Monday" group="day" pos="..." text="Mon" bkcolor="#263238"
//             selectedbkcolor="#3B4F5C" selectedbordercolor="#4FC3F7"/>
//     <CheckBox name="EnablePhase1" pos="..." text="Phase 1" selected="false"/>
//     <Combo name="StartHour1" pos="..." range="0-23" selected="0"/>
//     <Combo name="Other" pos="..."><Item text="a"/><Item text="b"/></Combo>
//   </Window>
//
// Positions are left,top,right,bottom in pixels at 96 dpi; font sizes are
// pixel heights at 96 dpi; a font name may list faces separated by ';', the
// first one installed is used. A range list gets the numbers of the range as
// two-digit texts, so item index = value when the range starts at 0.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/framework/controls.h"
#include "ui/framework/markup.h"
#include "ui/framework/win_types.h"

namespace vesk::ui {

struct SkinFont {
  int id = 0;
  // "Segoe UI", or a list tried in order: "Microsoft YaHei;WenQuanYi Micro Hei"
  std::string face;
  int size = 14;        // pixel height at 96 dpi
  bool bold = false;
  bool italic = false;
  bool chinese = false; // ask the system for a font with Chinese glyphs
};

struct SkinControl {
  ControlKind kind = ControlKind::Label;
  std::string name;     // may be empty for decoration
  std::string text;
  ControlLook look;
  std::string group;    // options
  bool selected = false;  // options and check boxes
  std::vector<std::string> items;  // combos
  int curSel = -1;      // combos
  int line = 0;         // in the skin file, for messages
};

struct Skin {
  SIZE size{0, 0};
  Colour bkColour = 0xFFFFFF;
  Colour textColour = 0x000000;
  int defaultFont = 0;
  std::vector<SkinFont> fonts;
  std::vector<SkinControl> controls;

  const SkinFont* Font(int id) const;
  const SkinControl* Control(std::string_view name) const;
};

// A control name a window relies on, and the kind it must be.
struct RequiredControl {
  const char* name;
  ControlKind kind;
};

// Parses a skin document; on failure nothing, and error says what and
// where ("line 12: Combo "StartHour1": selected 30 is outside its 24 items").
std::optional<Skin> ParseSkin(std::string_view document, std::string& error);

// Checks that every required control is there with its kind; the message
// names every missing or mistyped control.
bool CheckRequiredControls(const Skin& skin, const std::vector<RequiredControl>& required,
                           std::string& error);

}  // namespace vesk::ui
