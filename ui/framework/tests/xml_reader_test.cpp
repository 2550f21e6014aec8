// The skin files' XML reader: what it accepts and how it names faults.
#include "ui/framework/xml_reader.h"

#include <gtest/gtest.h>

namespace vesk::ui {
namespace {

std::optional<XmlElement> Parse(std::string_view text, XmlError* error = nullptr) {
  XmlError local;
  auto root = ParseXml(text, local);
  if (error) *error = local;
  return root;
}

TEST(XmlReader, ReadsElementsAttributesAndTextInOrder) {
  const auto root = Parse(
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!-- a skin -->\n"
      "<Window size='1,2' a=\"x\">\n"
      "  <Label name=\"n\" text=\"&lt;&amp;&gt;&quot;&apos;&#20013;&#x6587;\"/>\n"
      "  <Combo><Item>one</Item><!-- c --><Item><![CDATA[<two>]]></Item></Combo>\n"
      "</Window>\n<!-- after -->\n");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->attributes.size(), 2u);
  EXPECT_EQ(root->attributes[0].first, "size");
  EXPECT_EQ(root->Attribute("missing"), nullptr);
  ASSERT_EQ(root->children.size(), 2u);
  EXPECT_EQ(*root->children[0].Attribute("text"), "<&>\"'中文");
  EXPECT_EQ(root->children[0].line, 4);
  ASSERT_EQ(root->children[1].children.size(), 2u);
  EXPECT_EQ(root->children[1].children[0].text, "one");
  EXPECT_EQ(root->children[1].children[1].text, "<two>");
}

TEST(XmlReader, NamesLineColumnAndCauseOfEachFault) {
  const struct {
    const char* document;
    int line;
    const char* words;  // part of the message
  } cases[] = {
      {"", 1, "root element"},
      {"<a>", 1, "<a> is not closed"},
      {"<a>\n</b>", 2, "</b> closes <a>"},
      {"<a x=1/>", 1, "in quotes"},
      {"<a x=\"1\" x=\"2\"/>", 1, "given twice"},
      {"<a>&nbsp;</a>", 1, "unknown entity &nbsp;"},
      {"<a>&#xD800;</a>", 1, "bad character reference"},
      {"<a/><b/>", 1, "follow the root"},
      {"<?xml version=\"1.0\" encoding=\"GB2312\"?><a/>", 1, "save the file as UTF-8"},
      {"<a>\n\n  \xC3(</a>", 3, "not valid UTF-8"},
      {"<!DOCTYPE a><a/>", 1, "document type"},
  };
  for (const auto& bad : cases) {
    XmlError error;
    EXPECT_FALSE(Parse(bad.document, &error)) << bad.document;
    EXPECT_EQ(error.line, bad.line) << bad.document;
    EXPECT_NE(error.message.find(bad.words), std::string::npos) << bad.document << " -> " << error.message;
  }
  XmlError error;  // the column counts characters, not bytes
  EXPECT_FALSE(Parse("<a t=\"中文\" t=\"x\"/>", &error));
  EXPECT_EQ(error.ToString(), "line 1, column 16: attribute t is given twice");
}

TEST(XmlReader, RefusesDeepNestingInsteadOfOverflowing) {
  std::string deep;
  for (int i = 0; i < 500; ++i) deep += "<a>";
  XmlError error;
  EXPECT_FALSE(Parse(deep, &error));
  EXPECT_NE(error.message.find("nested too deeply"), std::string::npos);
}

}  // namespace
}  // namespace vesk::ui
