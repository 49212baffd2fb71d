#pragma once
// One behaviour for every RegistryPort: the in-memory fake natively and the
// real registry under Wine run these same cases. An Env provides port() and
// base(), a key under HKEY_CURRENT_USER that is empty at the start.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/registry_port.h"

namespace velmora::testing {

template <class Env>
class RegistryContract : public ::testing::Test {
 protected:
  Env env;
  RegistryPort& reg() { return env.port(); }
  std::string key(const std::string& rest = "") { return rest.empty() ? env.base() : env.base() + "\\" + rest; }
  static constexpr RootKey kRoot = RootKey::CurrentUser;
};

TYPED_TEST_SUITE_P(RegistryContract);

TYPED_TEST_P(RegistryContract, MissingKeyAndValueAreNotFound) {
  std::vector<RegValue> values{RegValue{"keep", kRegSz, "x"}};
  EXPECT_EQ(this->reg().enumerateValues(this->kRoot, this->key("Missing"), values), RegStatus::NotFound);
  EXPECT_EQ(values.size(), 1u) << "a failed enumeration leaves its output alone";
  RegValue v{"keep", 7, "untouched"};
  EXPECT_EQ(this->reg().queryValue(this->kRoot, this->key("Missing"), "x", v), RegStatus::NotFound);
  EXPECT_EQ(v.text, "untouched") << "a failed query leaves its output alone";
  EXPECT_EQ(this->reg().deleteValue(this->kRoot, this->key("Missing"), "x"), RegStatus::NotFound);
  EXPECT_EQ(this->reg().setString(this->kRoot, this->key("Missing"), "x", "y", KeyCreation::KeyMustExist), RegStatus::NotFound);
}

TYPED_TEST_P(RegistryContract, WriteCreatesKeyAndReadsBack) {
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key("Run"), "Tool", "C:\\Tools\\tool.exe /min", KeyCreation::CreateKey),
            RegStatus::Ok);
  RegValue v;
  ASSERT_EQ(this->reg().queryValue(this->kRoot, this->key("Run"), "Tool", v), RegStatus::Ok);
  EXPECT_EQ(v.type, kRegSz);
  EXPECT_EQ(v.text, "C:\\Tools\\tool.exe /min");
  std::vector<RegValue> values;
  ASSERT_EQ(this->reg().enumerateValues(this->kRoot, this->key("Run"), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "Tool");
}

TYPED_TEST_P(RegistryContract, SameNameInOtherCaseReplacesTheValue) {
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), "Tool", "a", KeyCreation::CreateKey), RegStatus::Ok);
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), "TOOL", "b", KeyCreation::KeyMustExist), RegStatus::Ok);
  std::vector<RegValue> values;
  ASSERT_EQ(this->reg().enumerateValues(this->kRoot, this->key(), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].text, "b");
}

TYPED_TEST_P(RegistryContract, LongNamesAndDataAreReadWhole) {
  const std::string name(300, 'n');
  std::string data;
  for (int i = 0; data.size() < 100000; ++i) data += "C:\\Program Files\\App" + std::to_string(i) + "\\run.exe,";
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), "short", "x", KeyCreation::CreateKey), RegStatus::Ok);
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), name, data, KeyCreation::KeyMustExist), RegStatus::Ok);
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), "after", "y", KeyCreation::KeyMustExist), RegStatus::Ok);
  std::vector<RegValue> values;
  ASSERT_EQ(this->reg().enumerateValues(this->kRoot, this->key(), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 3u) << "no value is skipped because of its size";
  auto it = std::find_if(values.begin(), values.end(), [&](const RegValue& v) { return v.name == name; });
  ASSERT_NE(it, values.end());
  EXPECT_EQ(it->text, data);
  RegValue v;
  ASSERT_EQ(this->reg().queryValue(this->kRoot, this->key(), name, v), RegStatus::Ok);
  EXPECT_EQ(v.text, data);
}

TYPED_TEST_P(RegistryContract, TextOutsideAnyLegacyCodePageRoundTrips) {
  const std::string name = "\xC5\x81ukasz \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1 \xE6\x97\xA5\xE6\x9C\xAC";
  const std::string data = "C:\\Users\\\xC5\x81ukasz\\\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBB\\\xF0\x9F\x9A\x80.exe";
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), name, data, KeyCreation::CreateKey), RegStatus::Ok);
  std::vector<RegValue> values;
  ASSERT_EQ(this->reg().enumerateValues(this->kRoot, this->key(), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, name);
  EXPECT_EQ(values[0].text, data);
}

TYPED_TEST_P(RegistryContract, DeleteRemovesOnlyThatValue) {
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), "a", "1", KeyCreation::CreateKey), RegStatus::Ok);
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), "b", "2", KeyCreation::KeyMustExist), RegStatus::Ok);
  ASSERT_EQ(this->reg().deleteValue(this->kRoot, this->key(), "A"), RegStatus::Ok);
  EXPECT_EQ(this->reg().deleteValue(this->kRoot, this->key(), "a"), RegStatus::NotFound);
  std::vector<RegValue> values;
  ASSERT_EQ(this->reg().enumerateValues(this->kRoot, this->key(), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "b");
}

TYPED_TEST_P(RegistryContract, EmptyDataIsAValue) {
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), "Load", "", KeyCreation::CreateKey), RegStatus::Ok);
  RegValue v{"", 0, "stale"};
  ASSERT_EQ(this->reg().queryValue(this->kRoot, this->key(), "Load", v), RegStatus::Ok);
  EXPECT_EQ(v.text, "");
  EXPECT_EQ(v.type, kRegSz);
}

// An expandable value is written with its type and read back unexpanded;
// rewriting it as REG_SZ changes the type, and no other type is written.
TYPED_TEST_P(RegistryContract, ExpandableTextKeepsItsTypeAndStaysUnexpanded) {
  ASSERT_EQ(this->reg().setText(this->kRoot, this->key(), "Sec", "%windir%\\sec.exe", kRegExpandSz,
                                KeyCreation::CreateKey),
            RegStatus::Ok);
  RegValue v;
  ASSERT_EQ(this->reg().queryValue(this->kRoot, this->key(), "Sec", v), RegStatus::Ok);
  EXPECT_EQ(v.type, kRegExpandSz);
  EXPECT_EQ(v.text, "%windir%\\sec.exe");
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key(), "Sec", "x.exe", KeyCreation::KeyMustExist), RegStatus::Ok);
  ASSERT_EQ(this->reg().queryValue(this->kRoot, this->key(), "Sec", v), RegStatus::Ok);
  EXPECT_EQ(v.type, kRegSz);
  EXPECT_EQ(this->reg().setText(this->kRoot, this->key(), "Bin", "x", 3, KeyCreation::KeyMustExist), RegStatus::Failed);
  EXPECT_EQ(this->reg().queryValue(this->kRoot, this->key(), "Bin", v), RegStatus::NotFound);
}

// Data of other types is read and written byte for byte, with its type;
// string types do not go through the byte writer.
TYPED_TEST_P(RegistryContract, BinaryDataRoundTripsWithItsType) {
  const std::vector<std::uint8_t> flag = {0x03, 0, 0, 0, 0x40, 0x8d, 0x3b, 0x61, 0x7a, 0x2f, 0xdb, 0x01};
  EXPECT_EQ(this->reg().setBinary(this->kRoot, this->key("Missing"), "x", flag, KeyCreation::KeyMustExist),
            RegStatus::NotFound);
  ASSERT_EQ(this->reg().setBinary(this->kRoot, this->key("Flags"), "A Tool", flag, KeyCreation::CreateKey),
            RegStatus::Ok);
  ASSERT_EQ(this->reg().setBytes(this->kRoot, this->key("Flags"), "B Empty", {}, kRegBinary, KeyCreation::KeyMustExist),
            RegStatus::Ok);
  ASSERT_EQ(this->reg().setBytes(this->kRoot, this->key("Flags"), "C Number", {7, 0, 0, 0}, 4, KeyCreation::KeyMustExist),
            RegStatus::Ok);
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key("Flags"), "D Text", "abc", KeyCreation::KeyMustExist),
            RegStatus::Ok);
  RegValue v;
  ASSERT_EQ(this->reg().queryValue(this->kRoot, this->key("Flags"), "A TOOL", v), RegStatus::Ok);
  EXPECT_EQ(v.type, kRegBinary);
  EXPECT_EQ(v.bytes, flag);
  EXPECT_EQ(v.text, "");
  std::vector<RegValue> values;
  ASSERT_EQ(this->reg().enumerateValues(this->kRoot, this->key("Flags"), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].bytes, flag);
  EXPECT_TRUE(values[1].bytes.empty());
  EXPECT_EQ(values[1].type, kRegBinary);
  EXPECT_EQ(values[2].bytes, (std::vector<std::uint8_t>{7, 0, 0, 0}));
  EXPECT_EQ(values[2].type, 4u);
  EXPECT_TRUE(values[3].bytes.empty()) << "a string carries its text, not its bytes";
  EXPECT_EQ(values[3].text, "abc");

  EXPECT_EQ(this->reg().setBytes(this->kRoot, this->key("Flags"), "D Text", {1, 2}, kRegSz, KeyCreation::KeyMustExist),
            RegStatus::Failed);
  EXPECT_EQ(this->reg().setBytes(this->kRoot, this->key("Flags"), "D Text", {1, 2}, kRegExpandSz,
                                 KeyCreation::KeyMustExist),
            RegStatus::Failed);
  // A value changes type when it is written with another one.
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key("Flags"), "A Tool", "on", KeyCreation::KeyMustExist),
            RegStatus::Ok);
  ASSERT_EQ(this->reg().queryValue(this->kRoot, this->key("Flags"), "A Tool", v), RegStatus::Ok);
  EXPECT_EQ(v.type, kRegSz);
  EXPECT_TRUE(v.bytes.empty());
  ASSERT_EQ(this->reg().setBinary(this->kRoot, this->key("Flags"), "D Text", {2, 0, 0, 0}, KeyCreation::KeyMustExist),
            RegStatus::Ok);
  ASSERT_EQ(this->reg().queryValue(this->kRoot, this->key("Flags"), "D Text", v), RegStatus::Ok);
  EXPECT_EQ(v.type, kRegBinary);
  EXPECT_EQ(v.text, "");
}

// A key's subkeys are named once each, by their last name only, however deep
// the keys below them go; a missing key is NotFound and leaves its output alone.
TYPED_TEST_P(RegistryContract, SubkeysAreTheDirectChildrenByName) {
  std::vector<std::string> names{"keep"};
  EXPECT_EQ(this->reg().enumerateSubkeys(this->kRoot, this->key("Missing"), names), RegStatus::NotFound);
  EXPECT_EQ(names, std::vector<std::string>{"keep"}) << "a failed enumeration leaves its output alone";
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key("Ex\\0001"), "A", "a.exe", KeyCreation::CreateKey),
            RegStatus::Ok);
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key("Ex\\Deep\\Down"), "B", "b.exe", KeyCreation::CreateKey),
            RegStatus::Ok);
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key("Ex\\deep\\Other"), "C", "c.exe", KeyCreation::CreateKey),
            RegStatus::Ok);
  ASSERT_EQ(this->reg().setString(this->kRoot, this->key("Ex"), "Title", "t", KeyCreation::CreateKey), RegStatus::Ok);
  ASSERT_EQ(this->reg().enumerateSubkeys(this->kRoot, this->key("Ex"), names), RegStatus::Ok);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"0001", "Deep"}));
  ASSERT_EQ(this->reg().enumerateSubkeys(this->kRoot, this->key("Ex\\0001"), names), RegStatus::Ok);
  EXPECT_TRUE(names.empty());
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract, MissingKeyAndValueAreNotFound, WriteCreatesKeyAndReadsBack,
                            SameNameInOtherCaseReplacesTheValue, LongNamesAndDataAreReadWhole,
                            TextOutsideAnyLegacyCodePageRoundTrips, DeleteRemovesOnlyThatValue,
                            EmptyDataIsAValue, ExpandableTextKeepsItsTypeAndStaysUnexpanded,
                            BinaryDataRoundTripsWithItsType, SubkeysAreTheDirectChildrenByName);

}  // namespace velmora::testing
