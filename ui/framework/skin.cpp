#include "ui/framework/skin.h"

#include <charconv>
#include <cstdio>
#include <set>

#include "ui/framework/xml_reader.h"

namespace vesk::ui {
namespace {

// Bounds that keep a typing slip from making an unusable window.
constexpr int kMaxCoordinate = 4000;
constexpr int kMaxFontSize = 200;
constexpr int kMaxFontIndex = 99;
constexpr int kMaxListItems = 1000;

// "first-last", two whole numbers and nothing else.
bool ParseRange(std::string_view text, int& first, int& last) {
  const char* const end = text.data() + text.size();
  const auto [dash, firstError] = std::from_chars(text.data(), end, first);
  if (firstError != std::errc{} || dash == end || *dash != '-') return false;
  const auto [stop, lastError] = std::from_chars(dash + 1, end, last);
  return lastError == std::errc{} && stop == end;
}

class SkinReader {
 public:
  explicit SkinReader(std::string& error) : error_(error) {}

  std::optional<Skin> Read(const XmlElement& root) {
    if (root.name != "Window") return Fail(root, "the root element must be <Window>, not <" + root.name + ">");
    Skin skin;
    if (!CheckAttributes(root, {"size", "bkcolor", "textcolor", "font"})) return std::nullopt;
    const auto size = Numbers(root, "size", 2);
    if (!size) return std::nullopt;
    if (size->empty()) return Fail(root, "<Window> needs size=\"width,height\"");
    if ((*size)[0] <= 0 || (*size)[1] <= 0) return Fail(root, "the window size must be positive");
    skin.size = {(*size)[0], (*size)[1]};
    if (!OptColour(root, "bkcolor", skin.bkColour) || !OptColour(root, "textcolor", skin.textColour) ||
        !OptInt(root, "font", skin.defaultFont, 0, kMaxFontIndex)) {
      return std::nullopt;
    }

    std::set<std::string> names;
    for (const auto& child : root.children) {
      if (child.name == "Font") {
        if (!ReadFont(child, skin)) return std::nullopt;
        continue;
      }
      const auto kind = KindOf(child.name);
      if (!kind) return Fail(child, "unknown element <" + child.name + ">");
      SkinControl control;
      if (!ReadControl(child, *kind, control)) return std::nullopt;
      if (!control.name.empty() && !names.insert(control.name).second) {
        return Fail(child, "the control name \"" + control.name + "\" is used twice");
      }
      skin.controls.push_back(std::move(control));
    }
    if (skin.fonts.empty()) return Fail(root, "the skin defines no <Font>");
    if (!skin.Font(skin.defaultFont)) {
      return Fail(root, "the default font " + std::to_string(skin.defaultFont) + " is not defined");
    }
    for (const auto& control : skin.controls) {
      if (control.look.font >= 0 && !skin.Font(control.look.font)) {
        error_ = "line " + std::to_string(control.line) + ": font " + std::to_string(control.look.font) +
                 " is not defined";
        return std::nullopt;
      }
    }
    return skin;
  }

 private:
  std::nullopt_t Fail(const XmlElement& at, const std::string& message) {
    error_ = "line " + std::to_string(at.line) + ": " + message;
    return std::nullopt;
  }
  bool FailB(const XmlElement& at, const std::string& message) {
    Fail(at, message);
    return false;
  }

  static std::optional<ControlKind> KindOf(const std::string& name) {
    for (auto kind : {ControlKind::Panel, ControlKind::Label, ControlKind::Button, ControlKind::Option,
                      ControlKind::CheckBox, ControlKind::Combo}) {
      if (name == ControlKindName(kind)) return kind;
    }
    return std::nullopt;
  }

  bool CheckAttributes(const XmlElement& element, std::initializer_list<const char*> allowed) {
    for (const auto& [key, value] : element.attributes) {
      bool known = false;
      for (const char* name : allowed) known = known || key == name;
      if (!known) return FailB(element, "<" + element.name + "> has no attribute " + key);
    }
    return true;
  }

  // A comma-separated list of exactly count integers; an empty vector when
  // the attribute is absent.
  std::optional<std::vector<int>> Numbers(const XmlElement& element, const char* name, std::size_t count) {
    std::vector<int> values;
    const std::string* text = element.Attribute(name);
    if (!text) return values;
    std::string_view rest = *text;
    while (true) {
      while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
      int value = 0;
      const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
      if (ec != std::errc{} || value < -kMaxCoordinate || value > kMaxCoordinate) break;
      values.push_back(value);
      rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
      while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
      if (rest.empty() || rest.front() != ',') break;
      rest.remove_prefix(1);
    }
    if (!rest.empty() || values.size() != count) {
      Fail(element, std::string(name) + "=\"" + *text + "\" must be " + std::to_string(count) +
                        " numbers separated by commas");
      return std::nullopt;
    }
    return values;
  }

  bool OptInt(const XmlElement& element, const char* name, int& out, int low, int high) {
    const std::string* text = element.Attribute(name);
    if (!text) return true;
    int value = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc{} || end != text->data() + text->size() || value < low || value > high) {
      return FailB(element, std::string(name) + "=\"" + *text + "\" must be a number from " +
                                std::to_string(low) + " to " + std::to_string(high));
    }
    out = value;
    return true;
  }

  bool OptBool(const XmlElement& element, const char* name, bool& out) {
    const std::string* text = element.Attribute(name);
    if (!text) return true;
    if (*text == "true") out = true;
    else if (*text == "false") out = false;
    else return FailB(element, std::string(name) + "=\"" + *text + "\" must be true or false");
    return true;
  }

  bool OptColour(const XmlElement& element, const char* name, Colour& out) {
    std::optional<Colour> value;
    if (!OptColour(element, name, value)) return false;
    if (value) out = *value;
    return true;
  }
  bool OptColour(const XmlElement& element, const char* name, std::optional<Colour>& out) {
    const std::string* text = element.Attribute(name);
    if (!text) return true;
    out = ParseColour(*text);
    if (!out) return FailB(element, std::string(name) + "=\"" + *text + "\" must be #RRGGBB");
    return true;
  }

  bool ReadFont(const XmlElement& element, Skin& skin) {
    if (!CheckAttributes(element, {"id", "name", "size", "bold", "italic", "chinese"})) return false;
    SkinFont font;
    if (!element.Attribute("id")) return FailB(element, "<Font> needs an id");
    if (!OptInt(element, "id", font.id, 0, kMaxFontIndex) ||
        !OptInt(element, "size", font.size, 6, kMaxFontSize) || !OptBool(element, "bold", font.bold) ||
        !OptBool(element, "italic", font.italic) || !OptBool(element, "chinese", font.chinese)) {
      return false;
    }
    if (const auto* name = element.Attribute("name")) font.face = *name;
    if (font.face.empty()) return FailB(element, "<Font> needs a name");
    if (skin.Font(font.id)) return FailB(element, "font " + std::to_string(font.id) + " is defined twice");
    skin.fonts.push_back(std::move(font));
    return true;
  }

  bool ReadControl(const XmlElement& element, ControlKind kind, SkinControl& control) {
    if (!CheckAttributes(element, {"name", "pos", "text", "font", "textcolor", "bkcolor",
                                   "selectedbkcolor", "bordercolor", "selectedbordercolor", "align", "group", "selected",
                                   "range"})) {
      return false;
    }
    control.kind = kind;
    control.line = element.line;
    if (const auto* name = element.Attribute("name")) control.name = *name;
    if (const auto* text = element.Attribute("text")) control.text = *text;
    const auto pos = Numbers(element, "pos", 4);
    if (!pos) return false;
    if (pos->empty()) return FailB(element, "<" + element.name + "> needs pos=\"left,top,right,bottom\"");
    const auto& p = *pos;
    if (p[2] <= p[0] || p[3] <= p[1]) {
      return FailB(element, "pos must have right > left and bottom > top");
    }
    control.look.pos = {p[0], p[1], p[2], p[3]};
    if (!OptInt(element, "font", control.look.font, 0, kMaxFontIndex) ||
        !OptColour(element, "textcolor", control.look.textColour) ||
        !OptColour(element, "bkcolor", control.look.bkColour) ||
        !OptColour(element, "selectedbkcolor", control.look.selectedBkColour) ||
        !OptColour(element, "bordercolor", control.look.borderColour) ||
        !OptColour(element, "selectedbordercolor", control.look.selectedBorderColour)) {
      return false;
    }
    if (const auto* align = element.Attribute("align")) {
      if (*align == "left") control.look.align = TextAlign::Left;
      else if (*align == "center") control.look.align = TextAlign::Center;
      else if (*align == "right") control.look.align = TextAlign::Right;
      else return FailB(element, "align=\"" + *align + "\" must be left, center or right");
    }
    const bool isOption = kind == ControlKind::Option || kind == ControlKind::CheckBox;
    if (const auto* group = element.Attribute("group")) {
      if (kind != ControlKind::Option) return FailB(element, "only an <Option> has a group");
      control.group = *group;
    }
    if (kind == ControlKind::Combo) return ReadItems(element, control);
    if (!element.children.empty()) return FailB(element, "<" + element.name + "> has no child elements");
    if (element.Attribute("range")) return FailB(element, "only a <Combo> has a range");
    if (element.Attribute("selected")) {
      if (!isOption) return FailB(element, "<" + element.name + "> has no selected state");
      if (!OptBool(element, "selected", control.selected)) return false;
    }
    return true;
  }

  bool ReadItems(const XmlElement& element, SkinControl& control) {
    if (const auto* range = element.Attribute("range")) {
      int first = 0, last = -1;
      const bool ok = ParseRange(*range, first, last) && first >= 0 && last >= first &&
                      last - first < kMaxListItems;
      if (!ok) return FailB(element, "range=\"" + *range + "\" must be first-last, such as 0-23");
      for (int v = first; v <= last; ++v) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d", v);
        control.items.emplace_back(text);
      }
    }
    for (const auto& item : element.children) {
      if (item.name != "Item") return FailB(item, "a <Combo> holds only <Item> elements");
      if (!CheckAttributes(item, {"text"})) return false;
      const auto* text = item.Attribute("text");
      control.items.push_back(text ? *text : item.text);
    }
    if (static_cast<int>(control.items.size()) > kMaxListItems) return FailB(element, "the list is too long");
    int selected = -1;
    if (!OptInt(element, "selected", selected, -1, kMaxListItems)) return false;
    if (selected >= static_cast<int>(control.items.size())) {
      return FailB(element, "Combo \"" + control.name + "\": selected " + std::to_string(selected) +
                                " is outside its " + std::to_string(control.items.size()) + " items");
    }
    control.curSel = selected;
    return true;
  }

  std::string& error_;
};

}  // namespace

const SkinFont* Skin::Font(int id) const {
  for (const auto& font : fonts) {
    if (font.id == id) return &font;
  }
  return nullptr;
}

const SkinControl* Skin::Control(std::string_view name) const {
  for (const auto& control : controls) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

std::optional<Skin> ParseSkin(std::string_view document, std::string& error) {
  error.clear();
  XmlError xmlError;
  const auto root = ParseXml(document, xmlError);
  if (!root) {
    error = xmlError.ToString();
    return std::nullopt;
  }
  return SkinReader(error).Read(*root);
}

bool CheckRequiredControls(const Skin& skin, const std::vector<RequiredControl>& required,
                           std::string& error) {
  error.clear();
  for (const auto& need : required) {
    const SkinControl* control = skin.Control(need.name);
    std::string problem;
    if (!control) {
      problem = std::string("control \"") + need.name + "\" (" + ControlKindName(need.kind) + ") is missing";
    } else if (control->kind != need.kind) {
      problem = std::string("control \"") + need.name + "\" is a " + ControlKindName(control->kind) +
                " but must be a " + ControlKindName(need.kind);
    }
    if (problem.empty()) continue;
    if (!error.empty()) error += "; ";
    error += problem;
  }
  return error.empty();
}

}  // namespace vesk::ui
