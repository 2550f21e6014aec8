#pragma once
// The inline markup of label and button texts:
//   {f n}        font n of the skin, until {/f}
//   {c #RRGGBB}  text colour, until {/c}
// Fonts and colours nest; a closing tag returns to the enclosing one. Any
// brace sequence that is not one of these tags is shown as it stands, and a
// closing tag without an opening one is dropped, so a text is never lost.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::ui {

// 0xRRGGBB.
using Colour = uint32_t;

struct TextRun {
  std::string text;               // UTF-8
  int font = -1;                  // skin font index; -1 = the control's own font
  std::optional<Colour> colour;   // nothing = the control's own text colour

  bool operator==(const TextRun&) const = default;
};

// Runs in order; neighbouring runs with the same font and colour are merged,
// empty runs are left out.
std::vector<TextRun> ParseMarkup(std::string_view text);

// The visible text without tags.
std::string StripMarkup(std::string_view text);

// "#RRGGBB" (exactly six hexadecimal digits after '#').
std::optional<Colour> ParseColour(std::string_view text);

}  // namespace vesk::ui
