// config.xml through the real MSXML and real files, in a throwaway folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <msxml2.h>

#include "contract/store_contract.h"
#include "core/win32/store_msxml.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

// The kinds of the item elements as the file holds them, read from the text.
std::vector<RecordKind> kindsInFile(const std::string& xml) {
  std::vector<RecordKind> out;
  for (std::size_t at = xml.find("<disabled"); at != std::string::npos; at = xml.find("<disabled", at + 1)) {
    const std::string rest = xml.substr(at + 1, 30);
    if (rest.rfind("disabledregistryitem", 0) == 0) out.push_back(kRegistryRecords);
    if (rest.rfind("disabledwininiitem", 0) == 0) out.push_back(kProgramListRecords);
    if (rest.rfind("disabledstartupfolderitem", 0) == 0) out.push_back(kStartupFolderRecords);
  }
  return out;
}

struct MsxmlEnv {
  TempDir dir;
  win32::MsxmlStore real{dir.file("config.xml")};
  DisabledEntryStore& store() { return real; }
  std::vector<RecordKind> documentOrder() { return kindsInFile(readFile(real.path())); }
};

using Envs = ::testing::Types<MsxmlEnv>;
INSTANTIATE_TYPED_TEST_SUITE_P(Msxml, StoreContract, Envs);

// Names of the files in a folder, to see that no temporary file is left.
std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(widen(folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::wstring n = fd.cFileName;
    if (n != L"." && n != L"..") out.push_back(win32::narrow(n));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

class MsxmlStoreTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string file = dir.file("config.xml");
  win32::MsxmlStore store{file};
  const DisabledItem item{"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool",
                          "C:\\Tools\\tool.exe"};

  std::vector<StoredItem> list(RecordKind kind, StoreStatus expected = StoreStatus::Ok) {
    std::vector<StoredItem> out;
    EXPECT_EQ(store.list(kind, out), expected);
    return out;
  }

  // Every change is refused and the bytes stay exactly as they were.
  void expectUntouchable(const std::string& bytes, StoreStatus status) {
    writeFile(file, bytes);
    std::vector<StoredItem> out{StoredItem{}};
    EXPECT_EQ(store.list(kRegistryRecords, out), status);
    EXPECT_EQ(out.size(), 1u) << "a failed list leaves its output alone";
    EXPECT_EQ(store.add(kRegistryRecords, item), status);
    EXPECT_EQ(store.remove(kRegistryRecords, StoredItem{0, item}), status);
    EXPECT_EQ(store.update(kRegistryRecords, StoredItem{0, item}, std::string("x"), "y", std::nullopt), status);
    EXPECT_EQ(readFile(file), bytes);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"config.xml"});
  }
};

TEST_F(MsxmlStoreTest, ParserIsInstalled) { EXPECT_TRUE(win32::xmlParserInstalled()); }

// Start-up only lists: checking for the parser and listing a store as this
// program writes it leave MSXML unloaded; the first change loads it.
TEST_F(MsxmlStoreTest, ListingAPlainStoreLeavesMsxmlUnloaded) {
  ASSERT_EQ(GetModuleHandleW(L"msxml3.dll"), nullptr) << "each test runs in a process of its own";
  writeFile(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<config><toolvelmora>\r\n"
                  "\t<disabledregistryitem path=\"P\" valuename=\"a\" valuedata=\"\xC3\xA9.exe /x\"/>\r\n"
                  "</toolvelmora></config>\r\n");
  EXPECT_TRUE(win32::xmlParserInstalled());
  ASSERT_EQ(list(kRegistryRecords).size(), 1u);
  EXPECT_EQ(GetModuleHandleW(L"msxml3.dll"), nullptr);
  EXPECT_EQ(store.add(kRegistryRecords, item), StoreStatus::Ok);
  EXPECT_NE(GetModuleHandleW(L"msxml3.dll"), nullptr);
  EXPECT_EQ(list(kRegistryRecords).size(), 2u);
}

// What a listing gives for files as people and other tools write them: the
// XML rules for references, whitespace in attributes and namespaces, items
// numbered as MSXML numbers them (skipped ones counted), and files that are
// no store. The listing reads with XmlLite where it can and lets MSXML decide
// otherwise; either way these are the results.
TEST_F(MsxmlStoreTest, ListingsFollowTheXmlRulesWhicheverParserReadsThem) {
  const auto listed = [&](const std::string& bytes, RecordKind kind = kRegistryRecords) {
    writeFile(file, bytes);
    std::vector<StoredItem> out;
    const StoreStatus status = store.list(kind, out);
    if (status != StoreStatus::Ok) return std::string(status == StoreStatus::Unreadable ? "unreadable" : "failed");
    std::string text;
    for (const StoredItem& s : out) {
      text += std::to_string(s.ordinal) + "|" + s.item.path + "|" + s.item.valuename + "|" + s.item.valuedata + "|" +
              s.item.valuetype + ";";
    }
    return text;
  };
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

  EXPECT_EQ(listed(head + "<config><!-- note --><toolvelmora>"
                          "<disabledregistryitem path=\"P\" valuename=\"a\" valuedata=\"1\" extra=\"x\"/>"
                          "<disabledwininiitem path=\"W\" valuename=\"Load\" valuedata=\"w.exe\"/>"
                          "<disabledregistryitem path=\"P\" valuename=\"no data\"/>"
                          "<?pi data?><disabledregistryitem valuetype=\"REG_EXPAND_SZ\" valuedata=\"%X%\" valuename=\"b\" path=\"P\">"
                          "<disabledregistryitem path=\"deeper\" valuename=\"c\" valuedata=\"3\"/><![CDATA[<x/>]]></disabledregistryitem>"
                          "</toolvelmora><other><disabledregistryitem path=\"O\" valuename=\"d\" valuedata=\"4\"/></other>"
                          "<toolvelmora><disabledregistryitem path=\"Q\" valuename=\"e\" valuedata=\"5\"></disabledregistryitem></toolvelmora>"
                          "</config>"),
            "0|P|a|1|;2|P|b|%X%|REG_EXPAND_SZ;3|Q|e|5|;");
  EXPECT_EQ(listed(head + "<config><toolvelmora><disabledwininiitem path=\"W\" valuename=\"Load\" valuedata=\"w.exe\"/>"
                          "</toolvelmora></config>",
                   kProgramListRecords),
            "0|W|Load|w.exe|;");

  // References, and whitespace in attributes: literal tab, line feed and
  // carriage return become spaces, referenced ones stay.
  EXPECT_EQ(listed(head + "<config><toolvelmora><disabledregistryitem path=\"&lt;&amp;&gt;&quot;&apos;\" "
                          "valuename=\"&#x41;&#233;&#x1F600;\" valuedata=\"a\tb\nc\r\nd&#9;e&#10;f&#13;g\"/>"
                          "</toolvelmora></config>"),
            "0|<&>\"'|A\xC3\xA9\xF0\x9F\x98\x80|a b c d\te\nf\rg|;");

  EXPECT_EQ(listed(head + "<config><toolvelmora><disabledregistryitem path=\"P\" valuename=\"\xF0\x9F\x98\x80 \xC3\xA9\" "
                          "valuedata=\"&amp;#10;\"/></toolvelmora></config>"),
            "0|P|\xF0\x9F\x98\x80 \xC3\xA9|&#10;|;");

  // Namespaces: a prefixed or default-namespaced element is not ours; a
  // prefixed attribute is not the one named.
  EXPECT_EQ(listed(head + "<config xmlns:x=\"urn:x\"><toolvelmora>"
                          "<x:disabledregistryitem path=\"P\" valuename=\"a\" valuedata=\"1\"/>"
                          "<disabledregistryitem x:path=\"X\" path=\"P\" valuename=\"b\" valuedata=\"2\"/>"
                          "<disabledregistryitem x:path=\"X\" valuename=\"c\" valuedata=\"3\"/>"
                          "</toolvelmora></config>"),
            "0|P|b|2|;");
  EXPECT_EQ(listed(head + "<config xmlns=\"urn:d\"><toolvelmora><disabledregistryitem path=\"P\" valuename=\"a\" "
                          "valuedata=\"1\"/></toolvelmora></config>"),
            "unreadable")
      << "a root in a namespace is no store";

  // Other encodings, as older tools wrote them.
  EXPECT_EQ(listed("<?xml version=\"1.0\" encoding=\"windows-1252\"?><config><toolvelmora>"
                   "<disabledregistryitem path=\"P\" valuename=\"Gr\xF6\xDF" "e\" valuedata=\"1\"/></toolvelmora></config>"),
            "0|P|Gr\xC3\xB6\xC3\x9F" "e|1|;");
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("<config><toolvelmora><disabledregistryitem path=\"P\" valuename=\"u\" valuedata=\"16\"/>"
                            "</toolvelmora></config>")) {
    utf16 += c;
    utf16 += '\0';
  }
  EXPECT_EQ(listed(utf16), "0|P|u|16|;");

  // No store: another root, a prefixed root, malformed, empty, characters
  // XML does not allow (referenced or raw).
  EXPECT_EQ(listed(head + "<history><toolvelmora/></history>"), "unreadable");
  EXPECT_EQ(listed(head + "<v:config xmlns:v=\"urn:v\"><toolvelmora/></v:config>"), "unreadable");
  EXPECT_EQ(listed(head + "<config><toolvelmora></config>"), "unreadable");
  EXPECT_EQ(listed(""), "unreadable");
  EXPECT_EQ(listed(head + "<config><toolvelmora><disabledregistryitem path=\"&#1;\" valuename=\"a\" valuedata=\"1\"/>"
                          "</toolvelmora></config>"),
            "unreadable");
  EXPECT_EQ(listed(head + "<config><toolvelmora><disabledregistryitem path=\"\x01\" valuename=\"a\" valuedata=\"1\"/>"
                          "</toolvelmora></config>"),
            "unreadable");
  // A document type never brings in another file.
  writeFile(dir.file("secret.txt"), "SECRET");
  const std::string secret = listed(head + "<!DOCTYPE config [<!ENTITY x SYSTEM \"" + dir.file("secret.txt") +
                                    "\">]><config><toolvelmora><disabledregistryitem path=\"&x;\" valuename=\"a\" "
                                    "valuedata=\"1\"/></toolvelmora></config>");
  EXPECT_EQ(secret.find("SECRET"), std::string::npos) << secret;
  DeleteFileW(widen(file).c_str());
  std::vector<StoredItem> none{StoredItem{}};
  EXPECT_EQ(store.list(kRegistryRecords, none), StoreStatus::Ok);
  EXPECT_TRUE(none.empty()) << "no file yet: nothing disabled";
}

// The items as text, "ordinal|path|valuename|valuedata|valuetype;" each, or
// "unreadable".
std::string asText(StoreStatus status, const std::vector<StoredItem>& items) {
  if (status != StoreStatus::Ok) return status == StoreStatus::Unreadable ? "unreadable" : "failed";
  std::string text;
  for (const StoredItem& s : items) {
    text += std::to_string(s.ordinal) + "|" + s.item.path + "|" + s.item.valuename + "|" + s.item.valuedata + "|" +
            s.item.valuetype + ";";
  }
  return text;
}

std::string attributeText(IXMLDOMElement* element, const wchar_t* name) {
  win32::Bstr n{std::wstring(name)};
  win32::Variant value;
  if (element->getAttribute(n.get(), value.put()) != S_OK || V_VT(&value.get()) != VT_BSTR) return "?";
  return win32::narrow(std::wstring_view(V_BSTR(&value.get()), SysStringLen(V_BSTR(&value.get()))));
}

// What MSXML itself makes of a file, read as a listing reads it: the
// registry items of /config/toolvelmora, or "unreadable". Independent of
// the store's own reading.
std::string msxmlReading(const std::string& path) {
  win32::ComScope com;
  constexpr GUID clsid = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  constexpr IID iid = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  constexpr IID element = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
  win32::ComPtr<IXMLDOMDocument2> doc;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, doc.putVoid()))) return "no msxml";
  doc->put_async(VARIANT_FALSE);
  doc->put_resolveExternals(VARIANT_FALSE);
  win32::Variant xpath;
  win32::Bstr language(L"SelectionLanguage");
  if (!xpath.setString(L"XPath") || FAILED(doc->setProperty(language.get(), xpath.get()))) return "no xpath";
  win32::Variant source;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (!source.setString(widen(path)) || FAILED(doc->load(source.get(), &loaded)) || loaded != VARIANT_TRUE) {
    return "unreadable";
  }
  win32::ComPtr<IXMLDOMElement> root;
  win32::Bstr tag;
  if (doc->get_documentElement(root.put()) != S_OK || FAILED(root->get_tagName(tag.put())) || tag.str() != L"config") {
    return "unreadable";
  }
  win32::Bstr selection(L"/config/toolvelmora/disabledregistryitem");
  win32::ComPtr<IXMLDOMNodeList> nodes;
  long length = 0;
  if (FAILED(doc->selectNodes(selection.get(), nodes.put())) || FAILED(nodes->get_length(&length))) return "failed";
  std::string text;
  for (long i = 0; i < length; ++i) {
    win32::ComPtr<IXMLDOMNode> node;
    nodes->get_item(i, node.put());
    auto e = node.as<IXMLDOMElement>(element);
    text += std::to_string(i) + "|" + attributeText(e.get(), L"path") + "|" + attributeText(e.get(), L"valuename") +
            "|" + attributeText(e.get(), L"valuedata") + "|;";
  }
  return text;
}

// Files on which XmlLite, left to itself, reads what MSXML refuses or reads
// otherwise (found under Wine). Whichever reader the listing takes, it gives
// what MSXML gives, and a change is refused exactly when the listing is.
TEST_F(MsxmlStoreTest, ListingGivesWhatMsxmlGivesWhereTheReadersDiffer) {
  const std::string item = "<disabledregistryitem path=\"P\" valuename=\"a\" valuedata=\"1\"/>";
  const auto inStore = [](const std::string& items) { return "<config><toolvelmora>" + items + "</toolvelmora></config>"; };
  const auto named = [&](const std::string& name) {
    return inStore("<disabledregistryitem path=\"P\" valuename=\"" + name + "\" valuedata=\"1\"/>");
  };
  const std::vector<std::pair<const char*, std::string>> files = {
      {"an attribute twice", inStore("<disabledregistryitem path=\"P\" path=\"Q\" valuename=\"a\" valuedata=\"1\"/>")},
      {"an attribute of the root twice", "<config a=\"1\" a=\"2\"><toolvelmora>" + item + "</toolvelmora></config>"},
      {"an attribute of another element twice", "<config><x a=\"1\" a=\"2\"/><toolvelmora>" + item + "</toolvelmora></config>"},
      {"one attribute through two prefixes",
       "<config xmlns:a=\"urn:u\" xmlns:b=\"urn:u\"><toolvelmora><disabledregistryitem a:p=\"1\" b:p=\"2\" path=\"P\" "
       "valuename=\"a\" valuedata=\"1\"/></toolvelmora></config>"},
      {"a prefix declared twice", "<config xmlns:a=\"urn:u\" xmlns:a=\"urn:v\"><toolvelmora>" + item + "</toolvelmora></config>"},
      {"UTF-16 declared over UTF-8 with a byte-order mark",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + inStore(item)},
      {"UTF-16 declared over single bytes", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + inStore(item)},
      {"ISO-8859-1 declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + named("Gr\xF6\xDF" "e")},
      {"a byte that is no UTF-8", named("\xE9")},
      {"an overlong UTF-8 sequence", named("\xC0\xAF")},
      {"a UTF-8 surrogate", named("\xED\xA0\x80")},
      {"U+FFFE", named("\xEF\xBF\xBE")},
      {"beyond U+10FFFF", named("\xF4\x90\x80\x80")},
      {"an undefined entity in text", inStore("&undefined;" + item)},
      {"a bare ampersand in text", inStore("a & b" + item)},
      {"attributes without space between them",
       inStore("<disabledregistryitem path=\"P\"valuename=\"a\" valuedata=\"1\"/>")},
      {"a name starting with a digit", inStore("<1x/>" + item)},
      {"a processing instruction named xml in mixed case", "<config><?XmL x?><toolvelmora>" + item + "</toolvelmora></config>"},
      // Where the readers agree, they keep agreeing.
      {"an xml: attribute", inStore("<disabledregistryitem xml:lang=\"en\" path=\"P\" valuename=\"a\" valuedata=\"1\"/>")},
      {"comments, instructions and CDATA", "<!-- c --><?pi x?><config><toolvelmora><![CDATA[<x/>]]>" + item +
                                               "</toolvelmora></config><!-- c -->"},
      {"entity references", named("&amp;&lt;&gt;&quot;&apos;")},
      {"a second root", inStore(item) + "<config/>"},
      {"text after the root", inStore(item) + "text"},
  };
  const DisabledItem added{"HKEY_CURRENT_USER\\Run", "added", "added.exe"};
  const std::string reference = dir.file("reference.xml");
  for (const auto& [name, bytes] : files) {
    writeFile(reference, bytes);
    const std::string expected = msxmlReading(reference);
    // A character reference in a comment after the root leaves the values to MSXML.
    for (const std::string& variant : {bytes, bytes + "<!-- &#38; -->"}) {
      writeFile(file, variant);
      std::vector<StoredItem> items;
      const StoreStatus status = store.list(kRegistryRecords, items);
      EXPECT_EQ(asText(status, items), expected) << name << (variant == bytes ? "" : ", values read by MSXML");
      const StoreStatus change = store.add(kRegistryRecords, added);
      if (status != StoreStatus::Ok) {
        EXPECT_EQ(change, StoreStatus::Unreadable) << name;
        EXPECT_EQ(readFile(file), variant) << name;
      } else {
        EXPECT_EQ(change, StoreStatus::Ok) << name;
        std::vector<StoredItem> after;
        EXPECT_EQ(store.list(kRegistryRecords, after), StoreStatus::Ok) << name;
        EXPECT_TRUE(after.size() == items.size() + 1 && after.back().item == added) << name;
      }
    }
  }
}

// A file cut short (a full disk, a copy that died) at any byte: the listing
// ends, and gives what MSXML gives, which refuses every cut but the whole.
TEST_F(MsxmlStoreTest, AFileCutShortAnywhereIsListedAsMsxmlReadsIt) {
  const std::string whole =
      "<?xml version=\"1.0\"?>\r\n<config><!-- kept </x> --><toolvelmora>\r\n  "
      "<disabledregistryitem path=\"P\" valuename=\"\xC5\x81\xC3\xB3" "d\xC5\xBA\" valuedata=\"\xE6\x97\xA5\"/>\r\n  "
      "<note>text \xE6\x97\xA5</note>\r\n"
      "  <![CDATA[</y>]]>\r\n</toolvelmora></config>\r\n";
  const std::string reference = dir.file("reference.xml");
  for (std::size_t length = 1; length <= whole.size(); ++length) {
    const std::string cut = whole.substr(0, length);
    writeFile(reference, cut);
    writeFile(file, cut);
    std::vector<StoredItem> items;
    const StoreStatus status = store.list(kRegistryRecords, items);
    EXPECT_EQ(asText(status, items), msxmlReading(reference)) << length;
  }
}

// A file read through a namespace would take what a change writes where no
// listing looks (a root in a default namespace hands it to the new element),
// and an undeclared prefix is refused by MSXML on Windows while Wine's drops
// it: such a file is no store, to the listing and to every change.
TEST_F(MsxmlStoreTest, FilesReadThroughANamespaceOrAnUndeclaredPrefixAreNoStore) {
  const std::string item = "<disabledregistryitem path=\"P\" valuename=\"a\" valuedata=\"1\"/>";
  for (const std::string& bytes : std::vector<std::string>{
           "<config xmlns=\"urn:example\"><toolvelmora/></config>",
           "<?xml version=\"1.0\"?>\r\n<config xmlns=\"urn:example\"><toolvelmora>" + item + "</toolvelmora></config>",
           "<config><toolvelmora xmlns=\"urn:example\">" + item + "</toolvelmora></config>",
           "<config xmlns:v=\"urn:v\"><toolvelmora/><v:toolvelmora>" + item + "</v:toolvelmora></config>",
           "<x:config><toolvelmora>" + item + "</toolvelmora></x:config>",
           "<config><toolvelmora><disabledregistryitem x:path=\"X\" path=\"P\" valuename=\"a\" valuedata=\"1\"/>"
           "</toolvelmora></config>",
           "<config><toolvelmora><x:note/>" + item + "</toolvelmora></config>",
       }) {
    SCOPED_TRACE(bytes);
    expectUntouchable(bytes, StoreStatus::Unreadable);
    expectUntouchable(bytes + "<!-- &#38; -->", StoreStatus::Unreadable);
  }
}

// A text XML cannot carry would save bytes that no longer read back as a
// store: the change fails and the file keeps its records.
TEST_F(MsxmlStoreTest, AChangeWhoseRecordWouldNotReadBackWritesNothing) {
  ASSERT_EQ(store.add(kRegistryRecords, item), StoreStatus::Ok);
  const std::string before = readFile(file);
  const DisabledItem control{"P", "bell\x07", "C:\\x.exe"};
  EXPECT_EQ(store.add(kRegistryRecords, control), StoreStatus::WriteFailed);
  const auto listed = list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(store.update(kRegistryRecords, listed[0], std::nullopt, "\x01", std::nullopt), StoreStatus::WriteFailed);
  EXPECT_EQ(readFile(file), before);
  EXPECT_EQ(list(kRegistryRecords).at(0).item, item);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"config.xml"});
}

TEST_F(MsxmlStoreTest, MissingFileIsCreatedWithRootAndContainer) {
  EXPECT_TRUE(list(kRegistryRecords).empty()) << "a missing file is an empty store";
  EXPECT_EQ(store.remove(kRegistryRecords, StoredItem{0, item}), StoreStatus::Vanished);
  EXPECT_EQ(GetFileAttributesW(widen(file).c_str()), INVALID_FILE_ATTRIBUTES) << "reading creates nothing";

  ASSERT_EQ(store.add(kRegistryRecords, item), StoreStatus::Ok);
  const std::string xml = readFile(file);
  EXPECT_NE(xml.find("<config>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<toolvelmora>"), std::string::npos) << xml;
  // New items carry their attributes in this order.
  EXPECT_NE(xml.find("<disabledregistryitem path=\"" + item.path + "\" valuedata=\"" + item.valuedata +
                     "\" valuename=\"" + item.valuename + "\"/>"),
            std::string::npos)
      << xml;
  const auto listed = list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].item, item);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"config.xml"}) << "no temporary file is left";
}

TEST_F(MsxmlStoreTest, MissingFolderFailsToAdd) {
  win32::MsxmlStore elsewhere(dir.file("no such folder\\config.xml"));
  EXPECT_EQ(elsewhere.add(kRegistryRecords, item), StoreStatus::WriteFailed);
  std::vector<StoredItem> out;
  EXPECT_EQ(elsewhere.list(kRegistryRecords, out), StoreStatus::Ok);
  EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST_F(MsxmlStoreTest, RootWithoutContainerGainsOne) {
  writeFile(file, "<?xml version=\"1.0\"?>\r\n<config><!-- kept --><other a=\"1\"/></config>\r\n");
  EXPECT_TRUE(list(kRegistryRecords).empty());
  ASSERT_EQ(store.add(kProgramListRecords, item), StoreStatus::Ok);
  const std::string xml = readFile(file);
  EXPECT_NE(xml.find("<!-- kept -->"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<other a=\"1\"/>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<toolvelmora><disabledwininiitem"), std::string::npos) << xml;
  EXPECT_EQ(list(kProgramListRecords).size(), 1u);
}

TEST_F(MsxmlStoreTest, FilesThatAreNotAStoreAreNeverOverwritten) {
  expectUntouchable("<config><toolvelmora><disabledregistryitem path=\"x\"", StoreStatus::Unreadable);
  expectUntouchable("<settings><toolvelmora/></settings>", StoreStatus::Unreadable);
  expectUntouchable("", StoreStatus::Unreadable);
  expectUntouchable("\xFF\xFE\x00garbage", StoreStatus::Unreadable);
  expectUntouchable("<toolvelmora><disabledregistryitem path=\"a\" valuename=\"b\" valuedata=\"c\"/></toolvelmora>",
                    StoreStatus::Unreadable);
}

TEST_F(MsxmlStoreTest, ReadOnlyFileStaysAsItWas) {
  ASSERT_EQ(store.add(kRegistryRecords, item), StoreStatus::Ok);
  const std::string before = readFile(file);
  ASSERT_TRUE(SetFileAttributesW(widen(file).c_str(), FILE_ATTRIBUTE_READONLY));
  const auto listed = list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 1u) << "a read-only store still lists";
  EXPECT_EQ(store.add(kRegistryRecords, item), StoreStatus::WriteFailed);
  EXPECT_EQ(store.remove(kRegistryRecords, listed[0]), StoreStatus::WriteFailed);
  EXPECT_EQ(store.update(kRegistryRecords, listed[0], std::string("n"), "d", std::nullopt), StoreStatus::WriteFailed);
  EXPECT_EQ(readFile(file), before);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"config.xml"});
  SetFileAttributesW(widen(file).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(MsxmlStoreTest, FailedReplaceLeavesTheOldFileWhole) {
  ASSERT_EQ(store.add(kRegistryRecords, item), StoreStatus::Ok);
  const std::string before = readFile(file);
  // Another program holds the file open for reading without allowing it to
  // be replaced: the store can read it, but the swap must fail.
  HANDLE held = CreateFileW(widen(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(list(kRegistryRecords).size(), 1u);
  EXPECT_EQ(store.add(kStartupFolderRecords, item), StoreStatus::WriteFailed)
      << "a file in use is no matter of rights, though the replace is refused with access denied";
  CloseHandle(held);
  EXPECT_EQ(readFile(file), before);
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"config.xml"}) << "the temporary file is cleaned up";
  EXPECT_TRUE(list(kStartupFolderRecords).empty());
}

// Only a folder that refuses the new file is a matter of rights; the error
// each case really gives here decides.
TEST_F(MsxmlStoreTest, OnlyAFolderThatRefusesTheNewFileIsAccessDenied) {
  // A file cannot be made where a folder of that name is: access denied.
  const std::string folder = dir.file("taken");
  ASSERT_TRUE(CreateDirectoryW(widen(folder).c_str(), nullptr));
  ASSERT_EQ(CreateFileW(widen(folder).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(win32::creationRefusal(GetLastError()), win32::FileWrite::FolderRefused);
  // A missing folder is no matter of rights.
  ASSERT_EQ(CreateFileW(widen(dir.file("none\\x.tmp")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(win32::creationRefusal(GetLastError()), win32::FileWrite::Failed);
  EXPECT_EQ(win32::creationRefusal(ERROR_SHARING_VIOLATION), win32::FileWrite::Failed);
  EXPECT_EQ(win32::creationRefusal(ERROR_DISK_FULL), win32::FileWrite::Failed);
  EXPECT_EQ(win32::creationRefusal(ERROR_PRIVILEGE_NOT_HELD), win32::FileWrite::FolderRefused);
}

// A folder in which even root may not create files: Wine maps Linux's sysfs
// to Z:\sys. Nothing can be written there, so nothing is touched.
TEST_F(MsxmlStoreTest, AStoreInAFolderThatRefusesNewFilesIsAccessDeniedAndListsNothing) {
  const HANDLE probe =
      CreateFileW(L"Z:\\sys\\velmora-probe.tmp", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  const DWORD error = GetLastError();
  if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  if (probe != INVALID_HANDLE_VALUE || error != ERROR_ACCESS_DENIED) {
    GTEST_SKIP() << "Z:\\sys takes new files on this machine (error " << error << ")";
  }
  win32::MsxmlStore refused("Z:\\sys\\config.xml");
  EXPECT_EQ(refused.add(kRegistryRecords, item), StoreStatus::AccessDenied);
  std::vector<StoredItem> out;
  EXPECT_EQ(refused.list(kRegistryRecords, out), StoreStatus::Ok);
  EXPECT_TRUE(out.empty());
}

TEST_F(MsxmlStoreTest, UnicodeAndMarkupCharactersRoundTrip) {
  const DisabledItem odd{"C:\\Users\\\xC5\x81ukasz\\\xE3\x82\xB9\xE3\x82\xBF\xE3\x83\xBC\xE3\x83\x88\xE3\x82\xA2\xE3\x83\x83\xE3\x83\x97",
                         "<Tool> & \"Co\" 'x' \xF0\x9F\x9A\x80",
                         "\"C:\\Program Files\\\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBB\\a&b.exe\" /q<1> \t tab"};
  ASSERT_EQ(store.add(kStartupFolderRecords, odd), StoreStatus::Ok);
  auto listed = list(kStartupFolderRecords);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].item, odd);
  const std::string xml = readFile(file);
  EXPECT_NE(xml.find("&lt;Tool&gt; &amp;"), std::string::npos) << xml;
  EXPECT_NE(xml.find("\xC5\x81ukasz"), std::string::npos) << "stored as UTF-8: " << xml;

  ASSERT_EQ(store.update(kStartupFolderRecords, listed[0], std::string("\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"),
                         "&amp; literally", std::nullopt),
            StoreStatus::Ok);
  listed = list(kStartupFolderRecords);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].item, (DisabledItem{odd.path, "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1", "&amp; literally"}));
  ASSERT_EQ(store.remove(kStartupFolderRecords, listed[0]), StoreStatus::Ok);
  EXPECT_TRUE(list(kStartupFolderRecords).empty());
}

TEST_F(MsxmlStoreTest, ReadsHandWrittenFilesInAnyLayout) {
  // UTF-16 with a byte-order mark, attributes in another order, line breaks
  // and indentation, single quotes and character references.
  const std::wstring text =
      L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<config>\r\n  <toolvelmora>\r\n"
      L"    <disabledregistryitem valuename='Caf\u00E9' path=\"HKEY_LOCAL_MACHINE\\Run\"\r\n"
      L"        valuedata=\"&#x65E5;.exe\" />\r\n  </toolvelmora>\r\n</config>\r\n";
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  writeFile(file, bytes);
  const auto listed = list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].item, (DisabledItem{"HKEY_LOCAL_MACHINE\\Run", "Caf\xC3\xA9", "\xE6\x97\xA5.exe"}));
  // After a change the file is still readable: it is UTF-8 now, and says so.
  ASSERT_EQ(store.add(kRegistryRecords, item), StoreStatus::Ok);
  EXPECT_EQ(list(kRegistryRecords).size(), 2u);
  EXPECT_EQ(readFile(file).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u)
      << "the declaration names the encoding the bytes are in";
}

// A listing is remembered with the bytes it came from: any change of the
// file, even one that keeps its size, is listed afresh, and a file that went
// bad or away is never answered from memory.
TEST_F(MsxmlStoreTest, AListingIsNeverOlderThanTheFile) {
  const auto config = [](const std::string& name) {
    return "<?xml version=\"1.0\"?><config><toolvelmora><disabledregistryitem path=\"HKEY_CURRENT_USER\\Run\" "
           "valuename=\"" + name + "\" valuedata=\"C:\\a.exe\"/></toolvelmora></config>";
  };
  writeFile(file, config("Alpha"));
  ASSERT_EQ(list(kRegistryRecords).at(0).item.valuename, "Alpha");
  EXPECT_EQ(list(kRegistryRecords).at(0).item.valuename, "Alpha");
  EXPECT_TRUE(list(RecordKind{"disabledstartupfolderitem"}).empty()) << "each kind its own listing";
  writeFile(file, config("Omega"));  // the same size
  EXPECT_EQ(list(kRegistryRecords).at(0).item.valuename, "Omega");
  ASSERT_EQ(store.add(kRegistryRecords, item), StoreStatus::Ok);
  EXPECT_EQ(list(kRegistryRecords).size(), 2u);

  writeFile(file, "<config><toolvelmora>");
  list(kRegistryRecords, StoreStatus::Unreadable);
  writeFile(file, config("Alpha"));
  EXPECT_EQ(list(kRegistryRecords).at(0).item.valuename, "Alpha");
  ASSERT_TRUE(DeleteFileW(widen(file).c_str()));
  EXPECT_TRUE(list(kRegistryRecords).empty());
}

TEST_F(MsxmlStoreTest, ItemLackingAnAttributeIsSkippedButKeepsItsPlace) {
  writeFile(file,
            "<config><toolvelmora>"
            "<disabledregistryitem path=\"p\" valuename=\"first\" valuedata=\"d\"/>"
            "<disabledregistryitem path=\"p\" valuedata=\"no name\"/>"
            "<disabledregistryitem path=\"p\" valuename=\"third\" valuedata=\"d\"/>"
            "</toolvelmora></config>");
  const auto listed = list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].item.valuename, "first");
  EXPECT_EQ(listed[1].item.valuename, "third");
  EXPECT_NE(listed[0].ordinal, listed[1].ordinal);

  ASSERT_EQ(store.remove(kRegistryRecords, listed[1]), StoreStatus::Ok);
  const std::string xml = readFile(file);
  EXPECT_NE(xml.find("no name"), std::string::npos) << "the incomplete item stays: " << xml;
  EXPECT_EQ(xml.find("third"), std::string::npos) << xml;
  ASSERT_EQ(list(kRegistryRecords).size(), 1u);
}

TEST_F(MsxmlStoreTest, ItemsOfEveryContainerAreListedAndAddsGoToTheFirst) {
  writeFile(file,
            "<config><toolvelmora/><toolvelmora>"
            "<disabledregistryitem path=\"p\" valuename=\"second box\" valuedata=\"d\"/>"
            "</toolvelmora></config>");
  auto listed = list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 1u);
  ASSERT_EQ(store.add(kRegistryRecords, item), StoreStatus::Ok);
  EXPECT_NE(readFile(file).find("<toolvelmora><disabledregistryitem path=\"" + item.path), std::string::npos);
  listed = list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 2u);
  const auto second = findItem(listed, {"p", "second box", "d"});
  ASSERT_TRUE(second.has_value());
  ASSERT_EQ(store.remove(kRegistryRecords, *second), StoreStatus::Ok);
  EXPECT_EQ(list(kRegistryRecords).size(), 1u);
}


// One reading lists every kind of a file; each kind keeps its own numbering
// (an incomplete item counted), so a change made from that listing hits its
// element, and the other kinds list right from the bytes the change wrote.
TEST_F(MsxmlStoreTest, OneReadingListsEveryKindNumberedAsItsOwn) {
  writeFile(file,
            "<config><toolvelmora>"
            "<disabledstartupfolderitem path=\"F\" valuename=\"s1\" valuedata=\"d\"/>"
            "<disabledregistryitem path=\"p\" valuename=\"r1\" valuedata=\"d\"/>"
            "<disabledstartupfolderitem path=\"F\" valuedata=\"no name\"/>"
            "<disabledwininiitem path=\"W\" valuename=\"Load\" valuedata=\"w1\"/>"
            "<disabledstartupfolderitem path=\"F\" valuename=\"s3\" valuedata=\"d\"/>"
            "</toolvelmora></config>");
  const auto names = [&](RecordKind kind) {
    std::vector<StoredItem> out;
    EXPECT_EQ(store.list(kind, out), StoreStatus::Ok);
    std::string text;
    for (const StoredItem& s : out) text += std::to_string(s.ordinal) + ":" + s.item.valuename + " ";
    return text;
  };
  EXPECT_EQ(names(kStartupFolderRecords), "0:s1 2:s3 ");
  EXPECT_EQ(names(kRegistryRecords), "0:r1 ");
  EXPECT_EQ(names(kProgramListRecords), "0:Load ");
  EXPECT_EQ(names(RecordKind{"disabledtaskitem"}), "");

  std::vector<StoredItem> folder;
  ASSERT_EQ(store.list(kStartupFolderRecords, folder), StoreStatus::Ok);
  ASSERT_EQ(store.remove(kStartupFolderRecords, folder.at(1)), StoreStatus::Ok);
  EXPECT_EQ(names(kStartupFolderRecords), "0:s1 ");
  EXPECT_EQ(names(kRegistryRecords), "0:r1 ");
  const std::string xml = readFile(file);
  EXPECT_NE(xml.find("no name"), std::string::npos) << xml;
  EXPECT_EQ(xml.find("s3"), std::string::npos) << xml;
}

}  // namespace
}  // namespace velmora::testing
