// The headless platform itself: its regions, edits, mouse routing, timers and records, driven
// through a window whose events only write down what arrived.

#include "platform/headless/headless_platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/runtime_error.h"

namespace amorix {
namespace {

using headless::DrawOp;
using headless::Hit;
using regions::RegionModel;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FakeEvents final : public WindowEvents {
 public:
  void OnPaint(Canvas& canvas) noexcept override {
    canvas.FillRect(canvas.Dirty(), Rgb(1, 2, 3));
    canvas.DrawPicture(101, {0, 0, 60, 34});
    canvas.PaintText({10, 10, 90, 30}, u"Calculate", {u"MS Sans Serif", 13.5f, true}, 255,
                     Align::kCenter);
  }
  void OnMouseMove(const MouseEvent& e) noexcept override { Add("move", e); }
  void OnMouseDown(const MouseEvent& e) noexcept override {
    Add("down", e);
    if (on_down) on_down();
  }
  void OnMouseUp(const MouseEvent& e) noexcept override { Add("up", e); }
  void OnEditChange(EditHandle) noexcept override { events.push_back("change"); }
  void OnTimer(int id) noexcept override { events.push_back("timer " + std::to_string(id)); }
  void OnCloseRequest() noexcept override { events.push_back("close"); }
  std::vector<AccessibleLabel> OnDescribeLabels() noexcept override { return {}; }
  void OnLabelAction(int label) noexcept override {
    events.push_back("action " + std::to_string(label));
  }

  std::vector<std::string> events;
  std::function<void()> on_down;

 private:
  void Add(const char* what, const MouseEvent& e) {
    events.push_back(std::string(what) + " " + std::to_string(e.x) + "," + std::to_string(e.y) +
                     (e.button == MouseButton::kRight ? " right" : "") + (e.shift ? " shift" : ""));
  }
};

class HeadlessPlatformTest : public ::testing::Test {
 protected:
  WindowHandle Open(std::u16string_view caption = u"Amorix-Nimbus", int width = 600,
                    int height = 342) {
    const WindowHandle w = platform.CreateFormWindow(
        {.caption = caption, .client_width = width, .client_height = height}, events);
    platform.ShowFormWindow(w, true);
    return w;
  }
  EditHandle AddEdit(WindowHandle w, PixelRect rect, int max_length = 0, bool visible = true) {
    return platform.CreateEdit(w, {.rect = rect, .max_length = max_length, .visible = visible});
  }
  void ApplyRoundedOutline(WindowHandle w) {
    const RegionHandle r = platform.CreateRoundRectRgn(0, 0, 600, 342, 28, 28);
    platform.SetWindowRgn(w, r, -1);
  }

  HeadlessPlatform platform;
  FakeEvents events;
};

TEST(RegionModelTest, ShapesHoldThePixelsWhoseCentresLieInside) {
  const RegionModel rect = RegionModel::Rect(10, 5, 0, 0);  // swapped corners are put in order
  EXPECT_TRUE(rect.Contains(0, 0));
  EXPECT_TRUE(rect.Contains(9, 4));
  EXPECT_FALSE(rect.Contains(10, 0));
  EXPECT_FALSE(rect.Contains(0, 5));
  EXPECT_EQ(rect.BoundingBox(), (PixelRect{0, 0, 10, 5}));

  const RegionModel circle = RegionModel::Ellipse(8, 14, 48, 54);
  EXPECT_TRUE(circle.Contains(28, 34));
  EXPECT_TRUE(circle.Contains(8, 34));
  EXPECT_FALSE(circle.Contains(8, 14));
  EXPECT_FALSE(circle.Contains(47, 53));
  EXPECT_EQ(circle.BoundingBox(), (PixelRect{8, 14, 48, 54}));
  // A thin ellipse has no pixel in its first rows: the box is the pixels', not the shape's.
  EXPECT_EQ(RegionModel::Ellipse(0, 0, 2, 100).BoundingBox(), (PixelRect{0, 7, 2, 93}));

  const RegionModel rounded = RegionModel::RoundRect(0, 0, 600, 342, 28, 28);
  EXPECT_FALSE(rounded.Contains(0, 0));
  EXPECT_FALSE(rounded.Contains(3, 3));
  EXPECT_TRUE(rounded.Contains(4, 4));
  EXPECT_FALSE(rounded.Contains(9, 0));
  EXPECT_TRUE(rounded.Contains(10, 0));
  EXPECT_TRUE(rounded.Contains(589, 0));
  EXPECT_FALSE(rounded.Contains(590, 0));
  EXPECT_TRUE(rounded.Contains(595, 337));
  EXPECT_FALSE(rounded.Contains(596, 338));
  EXPECT_TRUE(rounded.Contains(0, 171));
  EXPECT_FALSE(rounded.Contains(600, 171));
  EXPECT_EQ(rounded.BoundingBox(), (PixelRect{0, 0, 600, 342}));
  EXPECT_EQ(rounded.ToString(), "RoundRect(0,0,600,342,28,28)");
  EXPECT_EQ(RegionModel::RoundRect(0, 0, 20, 10, 28, 28).ToString(), "RoundRect(0,0,20,10,20,10)");
}

TEST(RegionModelTest, UnionsAreTypedAsGdiTypesThem) {
  EXPECT_EQ(RegionModel().Type(), regions::kNullRegion);
  EXPECT_EQ(RegionModel::Rect(0, 0, 0, 0).Type(), regions::kNullRegion);
  EXPECT_EQ(RegionModel().BoundingBox(), PixelRect{});
  EXPECT_EQ(RegionModel::Ellipse(0, 0, 10, 10).Type(), regions::kComplexRegion);

  RegionModel region = RegionModel::Rect(0, 0, 10, 10);
  region.Unite(RegionModel::Ellipse(0, 0, 10, 10));  // lies inside: still one rectangle
  EXPECT_EQ(region.Type(), regions::kSimpleRegion);
  region.Unite(RegionModel::Rect(10, 0, 20, 10));  // touching: a wider rectangle
  EXPECT_EQ(region.Type(), regions::kSimpleRegion);
  EXPECT_EQ(region.BoundingBox(), (PixelRect{0, 0, 20, 10}));
  region.Unite(region);
  EXPECT_EQ(region.shapes().size(), 3u);

  RegionModel overlapping = RegionModel::Rect(0, 0, 10, 10);
  overlapping.Unite(RegionModel::Rect(5, 5, 15, 15));
  EXPECT_EQ(overlapping.Type(), regions::kComplexRegion);
  EXPECT_TRUE(overlapping.Contains(12, 12));
  EXPECT_FALSE(overlapping.Contains(12, 2));
  RegionModel apart = RegionModel::Rect(0, 0, 10, 10);
  apart.Unite(RegionModel::Rect(0, 11, 10, 20));  // a gap of one row
  EXPECT_EQ(apart.Type(), regions::kComplexRegion);
}

TEST_F(HeadlessPlatformTest, RegionCallsAreLoggedAndOwnershipPassesToTheWindow) {
  const WindowHandle w = Open();
  platform.ClearLog();
  const RegionHandle outline = platform.CreateRectRgn(0, 0, 0, 0);
  const RegionHandle scratch = platform.CreateRectRgn(0, 0, 0, 0);
  const RegionHandle shape = platform.CreateRoundRectRgn(0, 0, 600, 342, 28, 28);
  EXPECT_EQ(platform.CombineRgn(scratch, outline, outline, Platform::kRgnCopy),
            regions::kNullRegion);
  EXPECT_EQ(platform.CombineRgn(outline, scratch, shape, Platform::kRgnOr),
            regions::kComplexRegion);
  EXPECT_EQ(platform.DeleteObject(shape), 1);
  EXPECT_EQ(platform.DeleteObject(scratch), 1);
  EXPECT_EQ(platform.LiveRegions(), 1);
  EXPECT_EQ(platform.SetWindowRgn(w, outline, -1), 1);
  EXPECT_EQ(platform.UnownedLiveRegions(), 0);
  EXPECT_EQ(platform.DeleteObject(outline), 0);  // the window's now
  EXPECT_EQ(platform.deletes_of_owned_regions(), 1);
  EXPECT_THAT(platform.Log(),
              ElementsAre("CreateRectRgn(0,0,0,0)->R1", "CreateRectRgn(0,0,0,0)->R2",
                          "CreateRoundRectRgn(0,0,600,342,28,28)->R3", "CombineRgn(R2,R1,R1,5)",
                          "CombineRgn(R1,R2,R3,2)", "DeleteObject(R3)", "DeleteObject(R2)",
                          "SetWindowRgn(Amorix-Nimbus,R1,-1)", "DeleteObject(R1)"));
  EXPECT_EQ(platform.RegionBox(w), (PixelRect{0, 0, 600, 342}));
  EXPECT_FALSE(platform.Shows(w, 0, 0));
  EXPECT_TRUE(platform.Shows(w, 300, 171));

  // A new region replaces and frees the old one; destroying the window frees the last.
  platform.SetWindowRgn(w, platform.CreateRectRgn(0, 0, 10, 10), -1);
  EXPECT_EQ(platform.LiveRegions(), 1);
  EXPECT_EQ(platform.Region(outline), nullptr);
  platform.DestroyFormWindow(w);
  EXPECT_EQ(platform.LiveRegions(), 0);
}

TEST_F(HeadlessPlatformTest, NullFreedAndFailingRegionsGiveErrorsAndChangeNothing) {
  const WindowHandle w = Open();
  const RegionHandle r = platform.CreateRectRgn(0, 0, 10, 10);
  EXPECT_EQ(platform.CombineRgn(nullptr, r, r, Platform::kRgnCopy), 0);
  EXPECT_EQ(platform.CombineRgn(r, nullptr, r, Platform::kRgnOr), 0);
  EXPECT_EQ(platform.CombineRgn(r, r, nullptr, Platform::kRgnOr), 0);
  EXPECT_EQ(platform.CombineRgn(r, r, nullptr, Platform::kRgnCopy), regions::kSimpleRegion);
  EXPECT_EQ(platform.CombineRgn(r, r, r, 1), 0);  // RGN_AND is not modelled
  EXPECT_EQ(platform.DeleteObject(nullptr), 0);
  EXPECT_EQ(platform.Region(r)->ToString(), "Rect(0,0,10,10)");

  EXPECT_EQ(platform.DeleteObject(r), 1);
  EXPECT_EQ(platform.DeleteObject(r), 0);
  EXPECT_EQ(platform.CombineRgn(r, r, r, Platform::kRgnOr), 0);
  EXPECT_EQ(platform.uses_of_freed_regions(), 4);

  platform.FailRegionCalls(true);
  EXPECT_EQ(platform.CreateEllipticRgn(0, 0, 5, 5), nullptr);
  EXPECT_EQ(platform.Log().back(), "CreateEllipticRgn(0,0,5,5)->null");
  EXPECT_EQ(platform.LiveRegions(), 0);

  // A failed SetWindowRgn leaves the region with the program and the window whole.
  platform.FailRegionCalls(false);
  platform.FailSetWindowRgn(true);
  EXPECT_EQ(platform.SetWindowRgn(w, platform.CreateRectRgn(0, 0, 1, 1), -1), 0);
  EXPECT_EQ(platform.UnownedLiveRegions(), 1);
  EXPECT_EQ(platform.RegionBox(w), std::nullopt);
  EXPECT_TRUE(platform.Shows(w, 599, 341));
  EXPECT_FALSE(platform.Shows(w, 600, 341));
}

TEST_F(HeadlessPlatformTest, EditsKeepTheirLimitInUtf16Units) {
  Open();
  const EditHandle e = AddEdit(platform.Window(u"Amorix-Nimbus"), {10, 10, 100, 30}, 20);
  platform.FocusEdit(e);
  EXPECT_TRUE(platform.Type(u"abcdefghijklmnopqrstuvwxy"));
  EXPECT_EQ(platform.EditText(e), u"abcdefghijklmnopqrst");
  EXPECT_EQ(events.events.size(), 20u);  // the refused five changed nothing

  events.events.clear();
  platform.Backspace();
  platform.Backspace();
  EXPECT_TRUE(platform.Type(u"\U0001F600"));  // two units into the two free
  EXPECT_EQ(platform.EditText(e).size(), 20u);
  platform.Backspace();  // takes the whole pair
  EXPECT_EQ(platform.EditText(e), u"abcdefghijklmnopqr");
  platform.Type(u"s\U0001F600");  // one unit left: the pair does not fit
  EXPECT_EQ(platform.EditText(e), u"abcdefghijklmnopqrs");
  EXPECT_EQ(events.events.size(), 5u);

  events.events.clear();
  platform.SetEditText(e, u"");
  platform.Paste(u"0123456789012345678\U0001F600xyz");  // cut before the pair, not inside it
  EXPECT_EQ(platform.EditText(e), u"0123456789012345678");
  platform.Paste(u"9abc");
  platform.Paste(u"more");  // full: nothing happens
  EXPECT_EQ(platform.EditText(e), u"01234567890123456789");
  EXPECT_EQ(events.events.size(), 3u);

  // The program's own text is not cut, and every set notifies.
  platform.SetEditText(e, u"a text longer than twenty units");
  platform.SetEditText(e, u"a text longer than twenty units");
  EXPECT_EQ(events.events.size(), 5u);
  EXPECT_EQ(platform.GetEditText(e), u"a text longer than twenty units");
}

TEST_F(HeadlessPlatformTest, FocusFollowsShowingAndTabSkipsHiddenEdits) {
  const WindowHandle w = platform.CreateFormWindow({.caption = u"Main"}, events);
  const EditHandle hidden = AddEdit(w, {0, 0, 10, 10}, 0, false);
  const EditHandle first = AddEdit(w, {0, 20, 10, 30});
  const EditHandle second = AddEdit(w, {0, 40, 10, 50});
  EXPECT_EQ(platform.FocusedEdit(), nullptr);
  platform.ShowFormWindow(w, true);
  EXPECT_EQ(platform.FocusedEdit(), first);
  EXPECT_TRUE(platform.Tab());
  EXPECT_EQ(platform.FocusedEdit(), second);
  EXPECT_TRUE(platform.Tab());
  EXPECT_EQ(platform.FocusedEdit(), first);

  platform.SetEditVisible(hidden, true);
  platform.Tab();
  platform.Tab();
  EXPECT_EQ(platform.FocusedEdit(), hidden);  // wraps to the one now shown
  platform.SetEditVisible(hidden, false);
  EXPECT_EQ(platform.FocusedEdit(), nullptr);
  EXPECT_FALSE(platform.Type(u"x"));

  platform.FocusEdit(second);
  const WindowHandle other = Open(u"Other", 100, 100);
  EXPECT_EQ(platform.ActiveWindow(), other);
  EXPECT_EQ(platform.FocusedEdit(), nullptr);
  platform.ShowFormWindow(other, false);  // back to the window below, and its edit
  EXPECT_EQ(platform.FocusedEdit(), second);
  EXPECT_THAT(platform.VisibleCaptions(), ElementsAre(u"Main"));
}

TEST_F(HeadlessPlatformTest, MouseGoesToEditsOrTheWindowWhereTheWindowIsShown) {
  const WindowHandle w = Open();
  ApplyRoundedOutline(w);
  const EditHandle name = AddEdit(w, {48, 144, 249, 177});
  const EditHandle other = AddEdit(w, {300, 144, 500, 177});
  platform.FocusEdit(other);

  EXPECT_EQ(platform.Click(w, 60, 150), Hit::kEdit);
  EXPECT_EQ(platform.FocusedEdit(), name);
  EXPECT_EQ(platform.MoveMouse(w, 1, 1), Hit::kNothing);  // cut off by the rounded corner
  EXPECT_EQ(platform.Press(w, 600, 10), Hit::kNothing);   // outside the client area
  EXPECT_THAT(events.events, IsEmpty());

  EXPECT_EQ(platform.MoveMouse(w, 5, 100), Hit::kWindow);
  EXPECT_EQ(platform.Press(w, 5, 100, MouseButton::kRight, {.shift = true}), Hit::kWindow);
  EXPECT_EQ(platform.Release(w, 5, 100, MouseButton::kRight), Hit::kWindow);
  EXPECT_THAT(events.events, ElementsAre("move 5,100", "down 5,100 right shift", "up 5,100 right"));

  platform.ShowFormWindow(w, false);
  EXPECT_EQ(platform.Click(w, 300, 100), Hit::kNothing);
  EXPECT_EQ(events.events.size(), 3u);
}

TEST_F(HeadlessPlatformTest, ADragMovesTheWindowAndSwallowsTheRelease) {
  platform.SetScreenSize(1000, 800);
  const WindowHandle w = Open();
  EXPECT_EQ(platform.Info(w).x, 200);
  EXPECT_EQ(platform.Info(w).y, 229);
  platform.SetDragMove(-50, 30);
  events.on_down = [&] {
    platform.ReleaseCapture();
    platform.SendMessageA(w, Platform::kWmNcLButtonDown, Platform::kHtCaption, 0);
  };
  platform.ClearLog();
  EXPECT_EQ(platform.Click(w, 300, 100), Hit::kWindow);
  EXPECT_THAT(events.events, ElementsAre("down 300,100"));
  EXPECT_EQ(platform.drags(w), 1);
  EXPECT_EQ(platform.ScreenRect(w), (PixelRect{150, 259, 750, 601}));
  EXPECT_THAT(platform.Log(),
              ElementsAre("ReleaseCapture()", "SendMessageA(Amorix-Nimbus,161,2,0)"));
  platform.SendMessageA(w, Platform::kWmNcLButtonDown, 1, 0);  // not on the caption
  EXPECT_EQ(platform.drags(w), 1);
}

TEST_F(HeadlessPlatformTest, DestroyedWindowsKeepTheirRecordButGetNoEvents) {
  const WindowHandle w = Open(u"Splash");
  const EditHandle e = AddEdit(w, {0, 0, 10, 10});
  platform.StartTimer(w, 1, 3000);
  platform.StartTimer(w, 2, 10);
  platform.StopTimer(w, 2);
  EXPECT_TRUE(platform.FireTimer(w, 1));
  EXPECT_FALSE(platform.FireTimer(w, 2));
  platform.SetTooltip(w, 3, {0, 0, 50, 20}, u"Exit");
  EXPECT_EQ(platform.TooltipAt(w, 10, 10), u"Exit");

  platform.DestroyFormWindow(w);
  EXPECT_FALSE(platform.FireTimer(w, 1));
  EXPECT_FALSE(platform.CloseRequest(w));
  EXPECT_FALSE(platform.Paint(w).painted);
  EXPECT_FALSE(platform.Type(u"x"));
  platform.SetEditText(e, u"gone");
  EXPECT_THAT(events.events, ElementsAre("timer 1"));
  EXPECT_EQ(platform.Window(u"Splash"), nullptr);
  EXPECT_EQ(platform.Info(w).caption, u"Splash");
  EXPECT_FALSE(platform.IsAlive(w));
  EXPECT_THAT(platform.Info(w).timers, IsEmpty());
  EXPECT_EQ(platform.TooltipAt(w, 10, 10), u"");
  EXPECT_FALSE(platform.Info(e).alive);
  EXPECT_EQ(platform.AllWindows().size(), 1u);
}

TEST_F(HeadlessPlatformTest, NothingIsDeliveredOnceTheProcessHasEnded) {
  const WindowHandle w = Open();
  platform.StartTimer(w, 1, 100);
  EXPECT_TRUE(platform.CloseRequest(w));
  platform.ReportFatal(u"Overflow");
  EXPECT_FALSE(platform.Running());
  EXPECT_FALSE(platform.FireTimer(w, 1));
  EXPECT_EQ(platform.Click(w, 100, 100), Hit::kNothing);
  EXPECT_THAT(events.events, ElementsAre("close"));
  EXPECT_THAT(platform.fatal_messages(), ElementsAre(u"Overflow"));
  EXPECT_EQ(platform.Log().back(), "ReportFatal(Overflow)");
}

TEST_F(HeadlessPlatformTest, ShellAndScreenFollowTheKnobs) {
  const WindowHandle w = Open(u"Help");
  EXPECT_EQ(platform.ShellExecuteA(w, "open", "https://example.com", "", nullptr, 5), 42);
  platform.SetShellResult(2);
  EXPECT_EQ(platform.ShellExecuteA(w, "open", "x", nullptr, nullptr, 5), 2);
  platform.FailShellBinding(true);
  EXPECT_THROW(platform.ShellExecuteA(w, "open", "x", nullptr, nullptr, 5), RuntimeError);
  EXPECT_EQ(platform.Log({"ShellExecuteA"}).front(),
            "ShellExecuteA(Help,open,https://example.com,,null,5)");

  platform.SetTwipsPerPixel({12, 0});
  EXPECT_EQ(platform.ScreenTwipsPerPixel().y, 0);
  EXPECT_EQ(platform.Log().back(), "ScreenTwipsPerPixel()->12,0");
}

TEST_F(HeadlessPlatformTest, PaintRecordsWhatIsDrawnAndInvalidationsAddUp) {
  const WindowHandle w = Open();
  const headless::Drawing drawing = platform.Paint(w, {0, 0, 100, 50});
  ASSERT_TRUE(drawing.painted);
  ASSERT_EQ(drawing.ops.size(), 3u);
  EXPECT_EQ(drawing.ops[0].rect, (PixelRect{0, 0, 100, 50}));
  EXPECT_EQ(drawing.OfKind(DrawOp::Kind::kPicture).front()->picture, 101);
  EXPECT_EQ(drawing.OfKind(DrawOp::Kind::kPicture).front()->rect, (PixelRect{0, 0, 60, 34}));
  const DrawOp* text = drawing.FindText(u"Calculate");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->color, 255u);
  EXPECT_EQ(text->font.face, u"MS Sans Serif");
  EXPECT_TRUE(text->font.bold);
  EXPECT_EQ(text->align, Align::kCenter);

  platform.ClearLog();
  platform.Invalidate(w, {10, 10, 20, 30});
  platform.Invalidate(w, {590, 0, 610, 10});  // half of it lies outside
  EXPECT_EQ(platform.InvalidatedArea(w), 200 + 100);
  EXPECT_THAT(platform.Log(), ElementsAre("Invalidate(Amorix-Nimbus,10,10,20,30)",
                                          "Invalidate(Amorix-Nimbus,590,0,610,10)"));
}

}  // namespace
}  // namespace amorix
