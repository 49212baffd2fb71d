// Which bytes the fast XML reader may take: each case one that Wine's
// XmlLite reads otherwise than MSXML, or one as the program writes it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/xml_scan.h"

namespace velmora {
namespace {

const std::string kItem = "<disabledregistryitem path=\"P\" valuename=\"a\" valuedata=\"1\"/>";
std::string store(const std::string& items) { return "<config><toolvelmora>" + items + "</toolvelmora></config>"; }
std::string named(const std::string& name) {
  return store("<disabledregistryitem path=\"P\" valuename=\"" + name + "\" valuedata=\"1\"/>");
}

TEST(XmlScan, FilesAsTheProgramWritesThemArePlain) {
  EXPECT_TRUE(plainXml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + store(kItem) + "\r\n"));
  EXPECT_TRUE(plainXml("\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8' standalone='yes'?>" + store(kItem)));
  EXPECT_TRUE(plainXml(store("\r\n\t" + kItem + "<e a = 'x\"y' b=\"&lt;&gt;&amp;&quot;&apos;\" />")));
  EXPECT_TRUE(plainXml(named("\xC5\x81ukasz \xE6\x97\xA5 \xF0\x9F\x9A\x80 \xEF\xBF\xBD a>b")));
  // Comments, CDATA and instructions hold what tags may not.
  EXPECT_TRUE(plainXml("<!-- <1x/> a\"b --><?pi <x a=1?>" + store("<![CDATA[<1x a=b>]]>" + kItem) + "<!-- c -->"));
}

TEST(XmlScan, CharactersXmlLiteReadsOtherwise) {
  for (const std::string& name : {std::string("\xE9"), std::string("\xC0\xAF"), std::string("\xE0\x80\xAF"),
                                  std::string("\xF0\x80\x80\xAF"), std::string("\xED\xA0\x80"),
                                  std::string("\xEF\xBF\xBE"), std::string("\xEF\xBF\xBF"),
                                  std::string("\xF4\x90\x80\x80"), std::string("\xF8\x88\x80\x80\x80"),
                                  std::string("\x80"), std::string("\x01"), std::string("\x7F\x1B"),
                                  std::string(1, '\0')}) {
    EXPECT_FALSE(plainXmlCharacters(named(name))) << testing::PrintToString(name);
  }
  EXPECT_FALSE(plainXmlCharacters(store(kItem) + "\xE2\x82")) << "a sequence cut by the end";
  for (const std::string reference : {"&#9;", "&#x1F600;", "&undefined;", "& b", "&amp", "&"}) {
    EXPECT_FALSE(plainXmlCharacters(named(reference))) << reference;
    EXPECT_FALSE(plainXmlCharacters(store(reference + kItem))) << reference << " in text";
  }
  EXPECT_TRUE(plainXmlCharacters(named("\x7F\xC2\x85\xE2\x80\xA8\xF4\x8F\xBF\xBF")));
}

TEST(XmlScan, MarkupXmlLiteLetsThrough) {
  for (const std::string& bytes : std::vector<std::string>{
           store("<disabledregistryitem path=\"P\"valuename=\"a\" valuedata=\"1\"/>"),
           store("<e a='1'b='2'/>"),
           store("<1x/>" + kItem),
           store("<x\xC2\xB7/>" + kItem),
           store("<e \xC3\xA9=\"1\"/>"),
           "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + store(kItem),
           "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + store(kItem),
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?><?XmL x?>" + store(kItem),
           " <?xml version=\"1.0\"?>" + store(kItem),
           "<config><?xml version=\"1.0\"?></config>",
           "<!DOCTYPE config>" + store(kItem),
           "<config><!ENTITY x \"y\"></config>",
           store("<e a=1/>"),
           store("<e a/>"),
           store("</e x=\"1\">"),
           store("<e/ >"),
           "<config><toolvelmora><e a=\"unterminated/></toolvelmora></config>",
           "<config><!-- unterminated",
           "<config><![CDATA[ unterminated",
           "<config><?pi unterminated",
           "<config",
           "<",
           // Cut short after whole markup: no element, or one left open.
           "",
           "<?xml version=\"1.0\"?>\r\n",
           "<config><toolvelmora>\r\n  " + std::string(kItem),
           "<config><toolvelmora></toolvelmora>",
           "<config></toolvelmora></config>",
       }) {
    EXPECT_FALSE(plainXmlMarkup(bytes)) << bytes;
  }
}

}  // namespace
}  // namespace velmora
