#include "ui/framework/xml_reader.h"

#include <charconv>
#include <cstdint>

namespace vesk::ui {
namespace {

// Depth beyond which a document is refused rather than risk the stack.
constexpr int kMaxDepth = 64;

bool IsNameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}
bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Offset of the first byte that does not belong to valid UTF-8, or npos.
std::size_t FindInvalidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2;
      cp = c & 0x1Fu;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
      cp = c & 0x0Fu;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4;
      cp = c & 0x07u;
    } else {
      return i;
    }
    if (i + length > text.size()) return i;
    for (std::size_t k = 1; k < length; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (cc & 0x3Fu);
    }
    const bool overlong = (length == 2 && cp < 0x80) || (length == 3 && cp < 0x800) ||
                          (length == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    i += length;
  }
  return std::string_view::npos;
}

class Parser {
 public:
  Parser(std::string_view text, XmlError& error) : text_(text), error_(error) {}

  std::optional<XmlElement> Document() {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    if (const auto bad = FindInvalidUtf8(text_); bad != std::string_view::npos) {
      pos_ = bad;
      return Fail("the text is not valid UTF-8");
    }
    if (!Prolog()) return std::nullopt;
    if (AtEnd() || Peek() != '<') return Fail("a root element is expected");
    XmlElement root;
    if (!Element(root, 0)) return std::nullopt;
    if (!Misc()) return std::nullopt;
    if (!AtEnd()) return Fail("only comments may follow the root element");
    return root;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return text_[pos_]; }
  bool StartsWith(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek())) ++pos_;
  }

  std::nullopt_t Fail(std::string message) {
    if (error_.message.empty()) {
      int line = 1, column = 1;
      for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) {
        if (text_[i] == '\n') {
          ++line;
          column = 1;
        } else if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) {
          ++column;
        }
      }
      error_ = {line, column, std::move(message)};
    }
    return std::nullopt;
  }
  bool FailB(std::string message) {
    Fail(std::move(message));
    return false;
  }

  int Line() const {
    int line = 1;
    for (std::size_t i = 0; i < pos_; ++i) line += text_[i] == '\n';
    return line;
  }

  bool Prolog() {
    if (StartsWith("<?xml") && pos_ + 5 < text_.size() && IsSpace(text_[pos_ + 5])) {
      const auto end = text_.find("?>", pos_);
      if (end == std::string_view::npos) return FailB("the XML declaration is not closed");
      const std::string_view decl = text_.substr(pos_, end - pos_);
      const auto enc = decl.find("encoding");
      if (enc != std::string_view::npos) {
        const auto quote = decl.find_first_of("\"'", enc);
        if (quote != std::string_view::npos) {
          const auto close = decl.find(decl[quote], quote + 1);
          std::string name(decl.substr(quote + 1, close - quote - 1));
          for (auto& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
          if (name != "utf-8" && name != "utf8") {
            pos_ += quote + 1;
            return FailB("encoding \"" + std::string(decl.substr(quote + 1, close - quote - 1)) +
                         "\" is not supported; save the file as UTF-8");
          }
        }
      }
      pos_ = end + 2;
    }
    return Misc();
  }

  // Comments, processing instructions and blanks between elements.
  bool Misc() {
    for (;;) {
      SkipSpace();
      if (StartsWith("<!--")) {
        if (!Comment()) return false;
      } else if (StartsWith("<?")) {
        const auto end = text_.find("?>", pos_);
        if (end == std::string_view::npos) return FailB("a processing instruction is not closed");
        pos_ = end + 2;
      } else if (StartsWith("<!DOCTYPE")) {
        return FailB("document type declarations are not supported");
      } else {
        return true;
      }
    }
  }

  bool Comment() {
    const auto end = text_.find("-->", pos_ + 4);
    if (end == std::string_view::npos) return FailB("a comment is not closed");
    pos_ = end + 3;
    return true;
  }

  bool Name(std::string& name) {
    if (AtEnd() || !IsNameStart(static_cast<unsigned char>(Peek()))) return FailB("a name is expected");
    const std::size_t start = pos_;
    while (!AtEnd() && IsNameChar(static_cast<unsigned char>(Peek()))) ++pos_;
    name.assign(text_.substr(start, pos_ - start));
    return true;
  }

  // After '&': a character or one of the five predefined entity references.
  bool Reference(std::string& out) {
    const auto end = text_.find(';', pos_);
    if (end == std::string_view::npos || end - pos_ > 12) return FailB("'&' must start a reference such as &amp;");
    const std::string_view ref = text_.substr(pos_ + 1, end - pos_ - 1);
    if (ref == "lt") out += '<';
    else if (ref == "gt") out += '>';
    else if (ref == "amp") out += '&';
    else if (ref == "quot") out += '"';
    else if (ref == "apos") out += '\'';
    else if (!ref.empty() && ref[0] == '#') {
      const bool hex = ref.size() > 1 && ref[1] == 'x';
      const std::string_view digits = ref.substr(hex ? 2 : 1);
      uint32_t cp = 0;
      const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
      if (digits.empty() || ec != std::errc{} || p != digits.data() + digits.size() || cp == 0 ||
          cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return FailB("bad character reference &" + std::string(ref) + ";");
      }
      AppendUtf8(out, cp);
    } else {
      return FailB("unknown entity &" + std::string(ref) + ";");
    }
    pos_ = end + 1;
    return true;
  }

  bool AttributeValue(std::string& value) {
    if (AtEnd() || (Peek() != '"' && Peek() != '\'')) return FailB("an attribute value in quotes is expected");
    const char quote = Peek();
    ++pos_;
    for (;;) {
      if (AtEnd()) return FailB("an attribute value is not closed");
      const char c = Peek();
      if (c == quote) {
        ++pos_;
        return true;
      }
      if (c == '<') return FailB("'<' is not allowed in an attribute value");
      if (c == '&') {
        if (!Reference(value)) return false;
        continue;
      }
      value += c;
      ++pos_;
    }
  }

  bool Element(XmlElement& element, int depth) {
    if (depth > kMaxDepth) return FailB("elements are nested too deeply");
    element.line = Line();
    ++pos_;  // '<'
    if (!Name(element.name)) return false;
    for (;;) {
      const std::size_t before = pos_;
      SkipSpace();
      if (AtEnd()) return FailB("the start tag of <" + element.name + "> is not closed");
      if (StartsWith("/>")) {
        pos_ += 2;
        return true;
      }
      if (Peek() == '>') {
        ++pos_;
        break;
      }
      if (before == pos_) return FailB("a blank is expected between attributes");
      std::string name, value;
      if (!Name(name)) return false;
      SkipSpace();
      if (AtEnd() || Peek() != '=') return FailB("'=' is expected after attribute " + name);
      ++pos_;
      SkipSpace();
      if (!AttributeValue(value)) return false;
      if (element.Attribute(name)) return FailB("attribute " + name + " is given twice");
      element.attributes.emplace_back(std::move(name), std::move(value));
    }
    return Content(element, depth);
  }

  bool Content(XmlElement& element, int depth) {
    for (;;) {
      if (AtEnd()) return FailB("<" + element.name + "> is not closed");
      if (StartsWith("</")) {
        pos_ += 2;
        std::string name;
        if (!Name(name)) return false;
        if (name != element.name) {
          return FailB("</" + name + "> closes <" + element.name + ">");
        }
        SkipSpace();
        if (AtEnd() || Peek() != '>') return FailB("'>' is expected");
        ++pos_;
        return true;
      }
      if (StartsWith("<!--")) {
        if (!Comment()) return false;
      } else if (StartsWith("<![CDATA[")) {
        const auto end = text_.find("]]>", pos_);
        if (end == std::string_view::npos) return FailB("a CDATA section is not closed");
        element.text += text_.substr(pos_ + 9, end - pos_ - 9);
        pos_ = end + 3;
      } else if (StartsWith("<?")) {
        const auto end = text_.find("?>", pos_);
        if (end == std::string_view::npos) return FailB("a processing instruction is not closed");
        pos_ = end + 2;
      } else if (Peek() == '<') {
        XmlElement child;
        if (!Element(child, depth + 1)) return false;
        element.children.push_back(std::move(child));
      } else if (Peek() == '&') {
        if (!Reference(element.text)) return false;
      } else {
        element.text += Peek();
        ++pos_;
      }
    }
  }

  std::string_view text_;
  XmlError& error_;
  std::size_t pos_ = 0;
};

}  // namespace

const std::string* XmlElement::Attribute(std::string_view attributeName) const {
  for (const auto& [key, value] : attributes) {
    if (key == attributeName) return &value;
  }
  return nullptr;
}

std::string XmlError::ToString() const {
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

std::optional<XmlElement> ParseXml(std::string_view document, XmlError& error) {
  error = {};
  return Parser(document, error).Document();
}

}  // namespace vesk::ui
