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

// A column `width` characters wide, counting what it was asked.
struct Column {
  std::size_t width;
  int asked = 0;
  FitsText fits() {
    return [this](const std::string& text) {
      ++asked;
      return characters(text) <= width;
    };
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

  Column wider{69};
  EXPECT_EQ(middleEllipsis(kRun32, wider.fits()),
            "HKEY_LOCAL_MACHINE\\\xE2\x80\xA6\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run")
      << "only as much is left out as the width needs";
}

TEST(PathEllipsis, AWideColumnShowsThePathUnchangedAndAsksOnce) {
  Column wide{200};
  EXPECT_EQ(middleEllipsis(kPolicyRun, wide.fits()), kPolicyRun);
  EXPECT_EQ(wide.asked, 1);
  Column exact{characters(kRun)};
  EXPECT_EQ(middleEllipsis(kRun, exact.fits()), kRun) << "a path exactly as wide as the column fits";
}

TEST(PathEllipsis, ShorterFormsWhenTheDistinguishingPartsDoNotFit) {
  // Root, ellipsis, last component: the policy key's own parts too long.
  Column tight{26};
  EXPECT_EQ(middleEllipsis(kPolicyRun, tight.fits()), "HKLM\\\xE2\x80\xA6\\Run");
  Column drive{14};
  EXPECT_EQ(middleEllipsis("D:\\Tools\\Startup", drive.fits()), "D:\\\xE2\x80\xA6\\Startup");
  // Then the path's beginning and an ellipsis, as the list itself would.
  Column tighter{9};
  EXPECT_EQ(middleEllipsis(kPolicyRun, tighter.fits()), "HKEY_LOC\xE2\x80\xA6");
  Column none{0};
  EXPECT_EQ(middleEllipsis(kPolicyRun, none.fits()), "\xE2\x80\xA6") << "never more than the ellipsis alone";
}

TEST(PathEllipsis, APathWithoutBackslashIsCutAtItsEnd) {
  Column narrow{6};
  EXPECT_EQ(middleEllipsis("C:Startup", narrow.fits()), "C:Sta\xE2\x80\xA6");
  EXPECT_EQ(middleEllipsis("HKEY_CURRENT_USER\\Run", Column{10}.fits()), "HKCU\\Run")
      << "no middle to leave out: the root's short name makes the room";
  EXPECT_EQ(middleEllipsis("C:\\Startup", Column{6}.fits()), "C:\\St\xE2\x80\xA6");
}

TEST(PathEllipsis, AUncStartupFolderKeepsServerShareAndFolder) {
  const std::string unc =
      "\\\\fileserver\\profiles\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
  EXPECT_EQ(middleEllipsis(unc, Column{52}.fits()),
            "\\\\fileserver\\profiles\\\xE2\x80\xA6\\Start Menu\\Programs\\Startup");
  EXPECT_EQ(middleEllipsis(unc, Column{45}.fits()), "\\\\fileserver\\profiles\\\xE2\x80\xA6\\Programs\\Startup");
  Column tight{32};
  EXPECT_EQ(middleEllipsis(unc, tight.fits()), "\\\\fileserver\\profiles\\\xE2\x80\xA6\\Startup")
      << "the share is one root: never split";
}

TEST(PathEllipsis, NeverCutsACharacterInHalf) {
  // Ł and the CJK characters take two and three bytes.
  const std::string path = "C:\\Users\\\xC5\x81ukasz\xE6\x97\xA5\xE6\x9C\xAC\\Start";
  for (std::size_t width = 0; width <= characters(path); ++width) {
    Column column{width};
    const std::string text = middleEllipsis(path, column.fits());
    EXPECT_TRUE(isValidUtf8(text)) << "width " << width;
    EXPECT_LE(characters(text), std::max<std::size_t>(width, 1)) << text;
  }
  EXPECT_EQ(middleEllipsis(path, Column{12}.fits()), "C:\\\xE2\x80\xA6\\Start");
  EXPECT_EQ(middleEllipsis(path, Column{19}.fits()), "C:\\\xE2\x80\xA6\\\xC5\x81ukasz\xE6\x97\xA5\xE6\x9C\xAC\\Start");
}

}  // namespace
}  // namespace velmora::testing
