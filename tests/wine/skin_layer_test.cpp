// The skinning layer over real files: colours when the skin file gives
// them, the system look when it is missing, unusable or shut down.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/win32/skin_layer.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::SkinLayer;

TEST(SkinLayer, ColoursOfTheNamedObjectsUntilShutdown) {
  TempDir dir;
  writeFile(dir.file("app.smf"), "[Skin]\r\nName=Test\r\n[MainFrame]\r\nSplitter=#102030\r\n[Dialog]\r\nBackground=1,2,3\r\n");
  SkinLayer skin;
  skin.init(GetModuleHandleW(nullptr), "Demo");
  skin.load(dir.file("app.smf"));
  ASSERT_TRUE(skin.active());
  EXPECT_EQ(skin.frameColour("Splitter"), std::nullopt) << "nothing before it is applied to the frame";
  skin.applyToFrame(nullptr, "MainFrame");
  EXPECT_EQ(skin.frameColour("Splitter"), std::optional<COLORREF>(RGB(0x10, 0x20, 0x30)));
  EXPECT_EQ(skin.dialogBrush(), nullptr) << "no dialog object named yet";
  skin.setDialogSkin("Dialog");
  HBRUSH brush = skin.dialogBrush();
  ASSERT_NE(brush, nullptr);
  LOGBRUSH info{};
  GetObjectW(brush, sizeof info, &info);
  EXPECT_EQ(info.lbColor, RGB(1, 2, 3));
  EXPECT_EQ(skin.dialogBrush(), brush) << "one brush, kept";
  EXPECT_EQ(skin.dialogTextColour(), std::nullopt);

  skin.shutdown();
  EXPECT_FALSE(skin.active());
  EXPECT_EQ(skin.dialogBrush(), nullptr);
  EXPECT_EQ(skin.frameColour("Splitter"), std::nullopt);
}

TEST(SkinLayer, MissingOrUnusableFileLeavesTheSystemLook) {
  TempDir dir;
  SkinLayer skin;
  skin.init(GetModuleHandleW(nullptr), "Demo");
  skin.load(dir.file("missing.smf"));
  EXPECT_FALSE(skin.active());
  writeFile(dir.file("bad.smf"), "[MainFrame]\r\nSplitter=#102030\r\n");
  skin.load(dir.file("bad.smf"));
  skin.applyToFrame(nullptr, "MainFrame");
  skin.setDialogSkin("Dialog");
  EXPECT_FALSE(skin.active());
  EXPECT_EQ(skin.frameColour("Splitter"), std::nullopt);
  EXPECT_EQ(skin.dialogBrush(), nullptr);
}

}  // namespace
}  // namespace velmora::testing
