// Column 6: who signed a row's program file. The Microsoft rule, the
// session's memory of what was checked, the texts a row shows, the check
// box that hides Windows' own entries, and the export.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/all_families.h"
#include "app/export.h"
#include "core/text.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_signatures.h"
#include "fakes/fake_store.h"
#include "fakes/fake_packages.h"
#include "fakes/fake_tasks.h"
#include "fakes/fakes.h"
#include "family/file_signature.h"
#include "family/program_file.h"
#include "pane/filtered_list.h"
#include "registry/registry_family.h"

namespace velmora::testing {
namespace {

constexpr SignatureVerdict kVerified = SignatureVerdict::Verified;

TEST(SignedByMicrosoft, OnlyAVerifiedSignerNamedMicrosoftAndMore) {
  struct Case {
    SignatureVerdict verdict;
    const char* signer;
    bool microsoft;
  };
  const Case cases[] = {
      {kVerified, "Microsoft Windows", true},
      {kVerified, "Microsoft Corporation", true},
      {kVerified, "Microsoft Windows Publisher", true},
      {kVerified, "Microsoft Windows Hardware Compatibility Publisher", true},
      // Someone else's names.
      {kVerified, "Microsoftware Ltd", false},
      {kVerified, "Microsoft", false},
      {kVerified, "Microsoft ", false},
      {kVerified, "microsoft corporation", false},
      {kVerified, " Microsoft Windows", false},
      {kVerified, "Not Microsoft Corporation", false},
      {kVerified, "", false},
      // The name alone proves nothing.
      {SignatureVerdict::Invalid, "Microsoft Windows", false},
      {SignatureVerdict::Unsigned, "Microsoft Windows", false},
      {SignatureVerdict::Unknown, "Microsoft Windows", false},
      {SignatureVerdict::Unverified, "Microsoft Windows", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(signedByMicrosoft(FileSignature{c.verdict, c.signer}), c.microsoft) << '"' << c.signer << '"';
  }
}

// Windows' answers as the column tells them apart: verified; signed but not
// verifiable offline (a root not downloaded, no revocation data); broken;
// not signed. Only a broken signature is "not valid".
TEST(TrustStatus, TellsVerifiedUnverifiableBrokenAndUnsignedApart) {
  using namespace trust_status;
  using V = SignatureVerdict;
  const std::pair<std::uint32_t, V> cases[] = {
      {kSuccess, V::Verified},
      {kNoSignature, V::Unsigned},
      {kSubjectFormUnknown, V::Unsigned},
      {kProviderUnknown, V::Unsigned},
      {kBadDigest, V::Invalid},           // the file changed after signing
      {kHashValue, V::Invalid},
      {kCertSignature, V::Invalid},
      {kRevoked, V::Invalid},
      {kExplicitDistrust, V::Invalid},
      {kUntrustedRoot, V::Unverified},    // a root Windows has not downloaded
      {kChaining, V::Unverified},         // no chain could be built offline
      {kRevocationOffline, V::Unverified},
      {kNoRevocationCheck, V::Unverified},
      {kRevocationFailure, V::Unverified},
      {kExpired, V::Unverified},
      {kUntrustedTestRoot, V::Unverified},
      {kTrustFailure, V::Unverified},
      {0x80004005u, V::Unverified},      // any other failure proves nothing broken
  };
  for (const auto& [status, verdict] : cases) {
    EXPECT_EQ(verdictOfTrustStatus(status), verdict) << std::hex << status;
  }
}

TEST(SignatureMemory, ChecksAFileOncePerVersionForTheSession) {
  FakeSignatureCheck check;
  check.files["C:\\App\\app.exe"] = {{100, 7}, {kVerified, "Vendor Ltd"}};
  SignatureMemory memory(check);
  const auto signer = [&](const char* path) {
    const auto s = memory.signatureOf(path);
    return s ? s->signer : std::string("(none)");
  };

  EXPECT_EQ(signer("C:\\App\\app.exe"), "Vendor Ltd");
  EXPECT_EQ(signer("c:\\app\\APP.EXE"), "Vendor Ltd") << "the same file, spelt otherwise";
  EXPECT_EQ(check.checked.size(), 1u);

  // Rewritten: a new write time, then a new size; each is a new version.
  check.files["C:\\App\\app.exe"] = {{100, 8}, {SignatureVerdict::Invalid, ""}};
  EXPECT_EQ(memory.signatureOf("C:\\App\\app.exe"), (FileSignature{SignatureVerdict::Invalid, ""}));
  check.files["C:\\App\\app.exe"] = {{101, 8}, {kVerified, "Other Ltd"}};
  EXPECT_EQ(signer("C:\\App\\app.exe"), "Other Ltd");
  EXPECT_EQ(signer("C:\\App\\app.exe"), "Other Ltd");
  EXPECT_EQ(check.checked.size(), 3u);

  // Gone: no answer, and no check of what is not there.
  check.files.clear();
  EXPECT_EQ(signer("C:\\App\\app.exe"), "(none)");
  EXPECT_EQ(check.checked.size(), 3u);
}

class SignedByColumn : public ::testing::Test {
 protected:
  SignedByColumn() {
    tr.texts = {{"_SignatureNone", "Not signed"},
                {"_SignatureInvalid", "Signature not valid"},
                {"_SignatureUnverified", "Signed, not verified"},
                {"_StatusFileMissing", "File not found"},
                {"_SignedBy", "Signed by"}};
  }
  void put(const std::string& name, const std::string& file) {
    reg.put(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", name, "\"" + file + "\" /q");
  }
  std::vector<Row> describedListing(RegistryFamily& pane) {
    std::vector<Row> rows = pane.list();
    for (Row& r : rows) pane.describe(r);
    return rows;
  }
  const std::string run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  FakeRegistry reg;
  FakeStore store;
  MapTranslator tr;
  FilesOnly lookup;
  FakeSignatureCheck check;
  SignatureMemory memory{check};
  FamilyContext context{store, tr, {}, nullptr, &lookup, nullptr, nullptr, &memory};
};

TEST_F(SignedByColumn, EachAnswerAsTheRowShowsIt) {
  struct Case {
    const char* file;
    bool exists;
    std::optional<FileSignature> signature;  // none: the file went before its check
    const char* shown;
    bool microsoft;
  };
  const Case cases[] = {
      {"C:\\a\\vendor.exe", true, FileSignature{kVerified, "Vendor Ltd"}, "Vendor Ltd", false},
      {"C:\\a\\explorer.exe", true, FileSignature{kVerified, "Microsoft Windows"}, "Microsoft Windows", true},
      {"C:\\a\\plain.exe", true, FileSignature{SignatureVerdict::Unsigned, ""}, "Not signed", false},
      {"C:\\a\\changed.exe", true, FileSignature{SignatureVerdict::Invalid, ""}, "Signature not valid", false},
      {"C:\\a\\unknown.exe", true, FileSignature{SignatureVerdict::Unknown, ""}, "", false},
      {"C:\\a\\offline.exe", true, FileSignature{SignatureVerdict::Unverified, ""}, "Signed, not verified", false},
      {"C:\\a\\vanished.exe", true, std::nullopt, "", false},
      {"C:\\a\\missing.exe", false, std::nullopt, "", false},
  };
  int n = 0;
  for (const Case& c : cases) {
    put("Entry" + std::to_string(n++), c.file);
    if (c.exists) lookup.files.insert(c.file);
    if (c.signature) check.files[c.file] = {{1, 1}, *c.signature};
  }
  RegistryFamily pane{{run}, reg, context};
  const std::vector<Row> rows = describedListing(pane);
  ASSERT_EQ(rows.size(), std::size(cases));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].signedBy, cases[i].shown) << cases[i].file;
    EXPECT_EQ(rows[i].signedByMicrosoft, cases[i].microsoft) << cases[i].file;
  }
  EXPECT_EQ(rows.back().status, "File not found");
  EXPECT_EQ(check.checked.size(), 6u) << "neither the vanished nor the missing file is checked";
}

TEST_F(SignedByColumn, AFileIsCheckedOnceASessionAcrossRowsListingsAndPanes) {
  put("One", "C:\\a\\tool.exe");
  put("Two", "C:\\A\\TOOL.EXE");
  lookup.files = {"C:\\a\\tool.exe", "C:\\A\\TOOL.EXE"};
  check.files["C:\\a\\tool.exe"] = {{10, 1}, {kVerified, "Vendor Ltd"}};
  RegistryFamily pane{{run}, reg, context};
  RegistryFamily other{{run}, reg, context};

  const std::vector<Row> rows = pane.list();
  EXPECT_TRUE(check.checked.empty()) << "a listing checks nothing; the rows looked at do";
  describedListing(pane);
  describedListing(pane);
  describedListing(other);
  EXPECT_EQ(check.checked.size(), 1u);

  // The file was updated between two listings: the next one checks it again.
  check.files["C:\\a\\tool.exe"] = {{12, 2}, {SignatureVerdict::Invalid, ""}};
  const std::vector<Row> after = describedListing(other);
  EXPECT_EQ(after[0].signedBy, "Signature not valid");
  EXPECT_EQ(check.checked.size(), 2u);
}

TEST_F(SignedByColumn, TheExportChecksEveryRowAndWritesTheColumn) {
  put("Shell", "C:\\Windows\\explorer.exe");
  put("Plain", "C:\\a\\plain.exe");
  lookup.files = {"C:\\Windows\\explorer.exe", "C:\\a\\plain.exe"};
  check.files["C:\\Windows\\explorer.exe"] = {{1, 1}, {kVerified, "Microsoft Windows"}};
  check.files["C:\\a\\plain.exe"] = {{1, 1}, {SignatureVerdict::Unsigned, ""}};
  FakeFolders folders;
  FakeShellLinks links{folders};
  FakeTaskPort tasks;
  FakePackagePort packages;
  const FamilyTable table(allFamilies({reg, folders, links, noShortPaths(), tasks, packages, "C:\\Velmora"}, context));

  const std::string csv = exportEntries(table, tr).text();
  EXPECT_NE(csv.find(",_Status,Signed by,_Impact,_LastLogon\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\\Run,Shell,"), std::string::npos);
  EXPECT_NE(csv.find(",Microsoft Windows,,\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",Not signed,,\r\n"), std::string::npos) << csv;
}

// The list the filter shows into, with boxes read from its rows.
class ListBoxes : public CheckBoxes {
 public:
  explicit ListBoxes(FakeList& list) : list_(list) {}
  int stateImage(int row) const override { return static_cast<int>(list_.rows.at(static_cast<std::size_t>(row)).state); }
  void check(int row, RowState state) override { list_.rows.at(static_cast<std::size_t>(row)).state = state; }

 private:
  FakeList& list_;
};

TEST(HideWindowsEntries, HidesMicrosoftSignedRowsCheckingEveryRowAndCountsThem) {
  FakeList shown;
  ListBoxes boxes(shown);
  FilteredList list(shown, boxes);
  const std::map<std::string, std::string> signers = {
      {"C:\\w\\explorer.exe", "Microsoft Windows"}, {"C:\\w\\health.exe", "Microsoft Corporation"},
      {"C:\\v\\tool.exe", "Vendor Ltd"}, {"C:\\v\\fake.exe", "Microsoftware Ltd"}};
  int described = 0;
  list.setDescriber([&](Row& r) {
    if (r.program.empty()) return;
    ++described;
    r.signedBy = signers.at(r.program);
    r.signedByMicrosoft = signedByMicrosoft({kVerified, r.signedBy});
    r.program.clear();
  });
  std::vector<Row> rows;
  for (const auto& name : {"Explorer", "Health", "Tool", "Fake"}) rows.push_back(Row{name, "Registry value", "", "HKCU\\Run"});
  rows[0].program = "C:\\w\\explorer.exe";
  rows[1].program = "C:\\w\\health.exe";
  rows[2].program = "C:\\v\\tool.exe";
  rows[3].program = "C:\\v\\fake.exe";
  const auto names = [&] {
    std::vector<std::string> out;
    for (const Row& r : shown.rows) out.push_back(r.name);
    return out;
  };

  list.setRows(rows);
  EXPECT_EQ(described, 0) << "off: only the rows looked at are checked";
  shown.select(2);
  list.hideMicrosoft(true);
  EXPECT_EQ(described, 4);
  EXPECT_EQ(names(), (std::vector<std::string>{"Tool", "Fake"}));
  EXPECT_EQ(shown.selected(), 0) << "the selected row stays selected";
  RowCounts c = list.counts();
  EXPECT_EQ(c.shown, 2);
  EXPECT_EQ(c.total, 4);
  EXPECT_EQ(c.hidden, 2);

  // A refill keeps hiding; the text filter narrows what is left, and only
  // rows it lets through count as hidden.
  list.setRows(rows);
  list.setFilter("explorer");
  EXPECT_TRUE(names().empty());
  EXPECT_EQ(list.counts().hidden, 1);
  list.setFilter("vendor");
  EXPECT_EQ(names(), (std::vector<std::string>{"Tool"})) << "the signer is a column the filter looks at";
  EXPECT_EQ(list.counts().hidden, 0);

  list.setFilter("");
  list.hideMicrosoft(false);
  EXPECT_EQ(names(), (std::vector<std::string>{"Explorer", "Health", "Tool", "Fake"}));
  EXPECT_EQ(list.counts().hidden, 0);
}

}  // namespace
}  // namespace velmora::testing
