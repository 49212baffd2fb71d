// What a narrow Location column paints: the middle of a path left out so
// that the places still read apart, then shorter forms when even that is
// too wide. Widths here are counted in characters; the pane measures pixels.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/text.h"
#include "pane/path_ellipsis.h"

namespace velmora::testing {
namespace {

std::size_t characters(const std::string& text) { return utf8ToUtf16(text).size(); }

// A column `width` characters wide.
struct Column {
  std::size_t width;
  FitsText fits() const {
    return [w = width](const std::string& text) { return characters(text) <= w; };
  }
};

const std::string kRun = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunOnce = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string kRun32 = "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kPolicyRun =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";

TEST(PathEllipsis, TheFourMachineRunKeysStayApartWhenNarrow) {
  Column narrow{40};
  std::set<std::string> shown;
  for (const std::string& path : {kRun, kRunOnce, kRun32, kPolicyRun}) {
    const std::string text = middleEllipsis(path, narrow.fits());
    EXPECT_LE(characters(text), narrow.width) << text;
    EXPECT_TRUE(text.rfind("HKEY_LOCAL_MACHINE\\", 0) == 0 || text.rfind("HKLM\\", 0) == 0) << "the root stays: " << text;
    shown.insert(text);
  }
  EXPECT_EQ(shown.size(), 4u) << "four places, four different texts";
  // The generic components go from the left, one at a time, while the
  // ones nearest the key's own name stay as long as there is room.
  EXPECT_EQ(middleEllipsis(kRun, narrow.fits()), "HKEY_LOCAL_MACHINE\\\xE2\x80\xA6\\CurrentVersion\\Run");
  EXPECT_EQ(middleEllipsis(kRun32, narrow.fits()), "HKEY_LOCAL_MACHINE\\\xE2\x80\xA6\\WOW6432Node\\\xE2\x80\xA6\\Run");
  // Where the long root leaves no room for them, its short name does.
  EXPECT_EQ(middleEllipsis(kPolicyRun, narrow.fits()), "HKLM\\\xE2\x80\xA6\\Policies\\Explorer\\Run");

  EXPECT_EQ(middleEllipsis(kRun32, Column{69}.fits()),
            "HKEY_LOCAL_MACHINE\\\xE2\x80\xA6\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run")
      << "only as much is left out as the width needs";
  EXPECT_EQ(middleEllipsis(kPolicyRun, Column{200}.fits()), kPolicyRun) << "a wide column shows it unchanged";
  EXPECT_EQ(middleEllipsis(kRun, Column{characters(kRun)}.fits()), kRun) << "exactly as wide fits";
}

TEST(PathEllipsis, ShorterFormsWhenTheDistinguishingPartsDoNotFit) {
  // Root, ellipsis, last component: the policy key's own parts too long.
  EXPECT_EQ(middleEllipsis(kPolicyRun, Column{26}.fits()), "HKLM\\\xE2\x80\xA6\\Run");
  EXPECT_EQ(middleEllipsis("D:\\Tools\\Startup", Column{14}.fits()), "D:\\\xE2\x80\xA6\\Startup");
  // Then the path's beginning and an ellipsis, as the list itself would.
  EXPECT_EQ(middleEllipsis(kPolicyRun, Column{9}.fits()), "HKEY_LOC\xE2\x80\xA6");
  EXPECT_EQ(middleEllipsis(kPolicyRun, Column{0}.fits()), "\xE2\x80\xA6") << "never more than the ellipsis alone";
  // Nothing after the root: its short name, else the end is cut.
  EXPECT_EQ(middleEllipsis("HKEY_CURRENT_USER\\Run", Column{10}.fits()), "HKCU\\Run");
  EXPECT_EQ(middleEllipsis("C:\\Startup", Column{6}.fits()), "C:\\St\xE2\x80\xA6");
  EXPECT_EQ(middleEllipsis("C:Startup", Column{6}.fits()), "C:Sta\xE2\x80\xA6") << "no backslash at all";
}

TEST(PathEllipsis, AUncStartupFolderKeepsServerShareAndFolder) {
  const std::string unc =
      "\\\\fileserver\\profiles\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
  EXPECT_EQ(middleEllipsis(unc, Column{52}.fits()),
            "\\\\fileserver\\profiles\\\xE2\x80\xA6\\Start Menu\\Programs\\Startup");
  EXPECT_EQ(middleEllipsis(unc, Column{45}.fits()), "\\\\fileserver\\profiles\\\xE2\x80\xA6\\Programs\\Startup");
  EXPECT_EQ(middleEllipsis(unc, Column{32}.fits()), "\\\\fileserver\\profiles\\\xE2\x80\xA6\\Startup")
      << "the share is one root: never split";
}

TEST(PathEllipsis, NeverCutsACharacterInHalf) {
  // Ł and the CJK characters take two and three bytes.
  const std::string path = "C:\\Users\\\xC5\x81ukasz\xE6\x97\xA5\xE6\x9C\xAC\\Start";
  for (std::size_t width = 0; width <= characters(path); ++width) {
    const std::string text = middleEllipsis(path, Column{width}.fits());
    EXPECT_TRUE(isValidUtf8(text)) << "width " << width;
    EXPECT_LE(characters(text), std::max<std::size_t>(width, 1)) << text;
  }
  EXPECT_EQ(middleEllipsis(path, Column{12}.fits()), "C:\\\xE2\x80\xA6\\Start");
  EXPECT_EQ(middleEllipsis(path, Column{19}.fits()), "C:\\\xE2\x80\xA6\\\xC5\x81ukasz\xE6\x97\xA5\xE6\x9C\xAC\\Start");
}

}  // namespace
}  // namespace velmora::testing
