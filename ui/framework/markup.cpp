#include "ui/framework/markup.h"

#include <charconv>

namespace vesk::ui {
namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// One recognised tag at the start of text, and its length.
struct Tag {
  enum class Kind { OpenFont, CloseFont, OpenColour, CloseColour } kind;
  std::size_t length = 0;
  int font = 0;
  Colour colour = 0;
};

std::optional<Tag> ReadTag(std::string_view text) {
  const auto close = text.find('}');
  if (text.empty() || text[0] != '{' || close == std::string_view::npos) return std::nullopt;
  const std::string_view body = text.substr(1, close - 1);
  const std::size_t length = close + 1;
  if (body == "/f") return Tag{Tag::Kind::CloseFont, length};
  if (body == "/c") return Tag{Tag::Kind::CloseColour, length};
  if (body.size() > 2 && body.substr(0, 2) == "f ") {
    const std::string_view digits = body.substr(2);
    int font = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), font);
    if (ec != std::errc{} || end != digits.data() + digits.size() || font < 0) return std::nullopt;
    return Tag{Tag::Kind::OpenFont, length, font};
  }
  if (body.size() > 2 && body.substr(0, 2) == "c ") {
    const auto colour = ParseColour(body.substr(2));
    if (!colour) return std::nullopt;
    return Tag{Tag::Kind::OpenColour, length, 0, *colour};
  }
  return std::nullopt;
}

}  // namespace

std::optional<Colour> ParseColour(std::string_view text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  Colour value = 0;
  for (char c : text.substr(1)) {
    if (!IsHexDigit(c)) return std::nullopt;
  }
  std::from_chars(text.data() + 1, text.data() + 7, value, 16);
  return value;
}

std::vector<TextRun> ParseMarkup(std::string_view text) {
  std::vector<TextRun> runs;
  std::vector<int> fonts;
  std::vector<Colour> colours;
  std::string pending;

  const auto flush = [&] {
    if (pending.empty()) return;
    TextRun run{std::move(pending), fonts.empty() ? -1 : fonts.back(),
                colours.empty() ? std::nullopt : std::optional<Colour>(colours.back())};
    pending.clear();
    if (!runs.empty() && runs.back().font == run.font && runs.back().colour == run.colour) {
      runs.back().text += run.text;
    } else {
      runs.push_back(std::move(run));
    }
  };

  std::size_t i = 0;
  while (i < text.size()) {
    const auto tag = text[i] == '{' ? ReadTag(text.substr(i)) : std::nullopt;
    if (!tag) {
      pending += text[i];
      ++i;
      continue;
    }
    flush();
    switch (tag->kind) {
      case Tag::Kind::OpenFont: fonts.push_back(tag->font); break;
      case Tag::Kind::CloseFont:
        if (!fonts.empty()) fonts.pop_back();
        break;
      case Tag::Kind::OpenColour: colours.push_back(tag->colour); break;
      case Tag::Kind::CloseColour:
        if (!colours.empty()) colours.pop_back();
        break;
    }
    i += tag->length;
  }
  flush();
  return runs;
}

std::string StripMarkup(std::string_view text) {
  std::string plain;
  for (const auto& run : ParseMarkup(text)) plain += run.text;
  return plain;
}

}  // namespace vesk::ui
