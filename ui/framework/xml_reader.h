#pragma once
// A small XML reader for the skin files: elements, attributes, character
// and entity references, comments, the declaration and processing
// instructions, CDATA. Text is UTF-8 and is checked to be so; another
// declared encoding is refused. Errors name the line and column.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesk::ui {

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // in document order
  std::vector<XmlElement> children;
  std::string text;  // the element's own character data, concatenated
  int line = 0;      // where the start tag begins

  const std::string* Attribute(std::string_view attributeName) const;
};

struct XmlError {
  int line = 0;
  int column = 0;
  std::string message;
  std::string ToString() const;  // "line L, column C: message"
};

// The document's root element, or the first error.
std::optional<XmlElement> ParseXml(std::string_view document, XmlError& error);

}  // namespace vesk::ui
