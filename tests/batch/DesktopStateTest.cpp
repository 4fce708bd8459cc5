#include "batch/DesktopState.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/support/FakeFileSystem.h"

namespace morvatex {
namespace {

TEST(DesktopState, ReadsBackWhatItWroteAndPassesOverDamage) {
  testing::FakeFileSystem fs;
  const std::string path = DesktopStateFilePath("/opt/morvatex.set");
  EXPECT_EQ(path, "/opt/morvatex.set.zustand");
  EXPECT_FALSE(LoadDesktopState(fs, path).remember);  // missing
  DesktopState state;
  state.remember = true;
  state.iselFolder = "/w/teile\xe4";
  state.listFolder = "/w/listen";
  state.mainWindow = {-20, 30, 1200, 900};
  state.previewWidth = 640;
  state.previewHeight = 480;
  state.previewDepth = true;
  for (int i = 0; i < 10; ++i) RememberRecentList(state, "/l/" + std::to_string(i) + ".mvx");
  RememberRecentList(state, "/l/5.mvx");
  ASSERT_EQ(state.recentLists.size(), kRecentListCount);
  EXPECT_EQ(state.recentLists[0], "/l/5.mvx");
  EXPECT_EQ(state.recentLists[1], "/l/9.mvx");
  EXPECT_EQ(state.recentLists[7], "/l/2.mvx");
  ASSERT_TRUE(SaveDesktopState(fs, path, state));
  EXPECT_EQ(fs.files[path].rfind("Merken=1\r\nIselOrdner=/w/teile\xe4\r\nListenOrdner=/w/listen\r\n"
                                 "Hauptfenster=-20,30,1200,900\r\nVorschau=640,480\r\nVorschauTiefe=1\r\n"
                                 "Liste=/l/5.mvx\r\nListe=/l/9.mvx\r\n",
                                 0),
            0u);
  const DesktopState back = LoadDesktopState(fs, path);
  EXPECT_TRUE(back.remember);
  EXPECT_EQ(back.iselFolder, state.iselFolder);
  EXPECT_EQ(back.profileFolder, "");
  EXPECT_EQ(back.mainWindow.x, -20);
  EXPECT_EQ(back.mainWindow.height, 900);
  EXPECT_EQ(back.previewWidth, 640);
  EXPECT_TRUE(back.previewDepth);
  EXPECT_EQ(back.recentLists, state.recentLists);

  fs.files[path] =
      std::string("Merken=1\nHauptfenster=1,2,x,4\r\nVorschau=0,5\r\nunsinn\r\nListe=\r\n\x01\x02=\xff\r\n") +
      std::string("IselOrdner=/a\0b\r\nListe=/l/a.mvx", 31);
  const DesktopState damaged = LoadDesktopState(fs, path);
  EXPECT_TRUE(damaged.remember);
  EXPECT_FALSE(damaged.mainWindow.Known());
  EXPECT_EQ(damaged.previewWidth, 0);
  EXPECT_EQ(damaged.iselFolder, "");
  EXPECT_EQ(damaged.recentLists, std::vector<std::string>{"/l/a.mvx"});
  fs.failOpenRead.insert(path);
  EXPECT_FALSE(LoadDesktopState(fs, path).remember);
  EXPECT_FALSE(SaveDesktopState(fs, "", state));
}

TEST(DesktopState, AWindowIsPutWhollyOnTheScreenItOverlapsMost) {
  const std::vector<WindowPlace> screens = {{0, 0, 1280, 1000}, {1280, 0, 1920, 1050}};
  constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
  const FrameMargins none, caption{4, 30, 4, 4};
  const struct {
    WindowPlace window;
    FrameMargins frame;
    WindowPlace placed;
  } cases[] = {
      {{100, 100, 800, 600}, none, {100, 100, 800, 600}},  // fits: as it is
      {{1000, 50, 800, 600}, none, {1280, 50, 800, 600}},  // mostly on the second
      {{-500, -40, 800, 600}, none, {0, 0, 800, 600}},     // partly off the first
      {{5000, 5000, 800, 600}, none, {0, 0, 800, 600}},    // on no screen left: the first
      {{-10, 0, 1340, 1044}, none, {0, 0, 1280, 1000}},    // larger than its screen: shrunk
      // The caption comes onto the screen too: a place saved at 2x on a
      // small screen, restored at 1x.
      {{0, 0, 640, 450}, caption, {4, 30, 640, 450}},
      {{0, 0, 1280, 1000}, caption, {4, 30, 1272, 966}},
      {{100, 100, 800, 600}, caption, {100, 100, 800, 600}},
      // Extremes of a damaged or hostile file, without overflow.
      {{kMax, kMax, kMax, kMax}, caption, {4, 30, 1272, 966}},
      {{kMin, kMin, kMax, kMax}, caption, {4, 30, 1272, 966}},
      {{kMax - 10, 5, 800, 600}, none, {0, 0, 800, 600}},
      {{kMin, 0, kMax, 100}, none, {0, 0, 1280, 100}},
  };
  for (const auto& c : cases) {
    const WindowPlace p = FitFrameOnScreens(c.window, c.frame, screens);
    EXPECT_EQ(std::vector<int>({p.x, p.y, p.width, p.height}),
              std::vector<int>({c.placed.x, c.placed.y, c.placed.width, c.placed.height}))
        << c.window.x << "," << c.window.y << "," << c.window.width << "," << c.window.height;
  }
  EXPECT_EQ(ClampToScreens({-10, 0, 1340, 1044}, screens).width, 1280);
  EXPECT_EQ(ClampToScreens({-5, -5, 10, 10}, {}).x, -5);
}

}  // namespace
}  // namespace morvatex
