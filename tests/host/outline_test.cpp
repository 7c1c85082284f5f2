#include "shaping/outline.h"

#include <string>
#include <vector>

#include "app/runtime_error.h"
#include "program_fixture.h"
#include "tests/support/shaped_form.h"

namespace amorix::testing {
namespace {

class OutlineTest : public ProgramTest {
 protected:
  std::string Outline(std::vector<BorderShapeDef> shapes, std::int16_t ox = 0,
                      std::int16_t oy = 0) {
    form.Declare(std::move(shapes));
    const WindowOutline outline = BuildOutline(form, ox, oy);
    EXPECT_EQ(outline, form.outline);
    return platform.Region(outline)->ToString();
  }
  static BorderShapeDef Shape(std::int16_t kind, TwipsBox box, std::int16_t index = 0) {
    return {.index = index, .kind = kind, .box = box};
  }

  ShapedForm form{program};
};

struct WindowOutlines {
  const char* window;
  std::string at15, at12, at10;
};

template <class W>
std::string OutlineOf(Program& program, HeadlessPlatform& platform, float ratio) {
  platform.SetTwipsPerPixel({ratio, ratio});
  W& window = program.windows().Get<W>();
  return platform.Region(BuildOutline(window, 0, 0))->ToString();
}

TEST_F(OutlineTest, EveryWindowAtThreeScreenRatios) {
  const auto at = [&](auto tag, float ratio) {
    using W = typename decltype(tag)::type;
    return OutlineOf<W>(program, platform, ratio);
  };
  const auto rounded = [](int r, int b) {
    return "RoundRect(0,0," + std::to_string(r) + "," + std::to_string(b) + ",28,28)";
  };
  const auto rect = [](int r, int b) {
    return "Rect(0,0," + std::to_string(r) + "," + std::to_string(b) + ")";
  };
  using std::type_identity;
  EXPECT_EQ(at(type_identity<Form1>{}, 15), rounded(600, 342));
  EXPECT_EQ(at(type_identity<Form1>{}, 12), rounded(750, 428));
  EXPECT_EQ(at(type_identity<Form1>{}, 10), rounded(900, 513));
  EXPECT_EQ(at(type_identity<Form2>{}, 15), rounded(245, 122));
  EXPECT_EQ(at(type_identity<Form2>{}, 12), rounded(307, 152));
  EXPECT_EQ(at(type_identity<Form2>{}, 10), rounded(368, 183));
  EXPECT_EQ(at(type_identity<Form3>{}, 15), rounded(431, 257));
  EXPECT_EQ(at(type_identity<Form3>{}, 12), rounded(539, 321));
  EXPECT_EQ(at(type_identity<Form3>{}, 10), rounded(646, 386));
  EXPECT_EQ(at(type_identity<Form4>{}, 15), rounded(427, 258));
  EXPECT_EQ(at(type_identity<Form4>{}, 12), rounded(534, 323));
  EXPECT_EQ(at(type_identity<Form4>{}, 10), rounded(640, 388));
  EXPECT_EQ(at(type_identity<Form5>{}, 15), rounded(350, 281));
  EXPECT_EQ(at(type_identity<Form5>{}, 12), rounded(438, 351));
  EXPECT_EQ(at(type_identity<Form5>{}, 10), rounded(526, 422));
  EXPECT_EQ(at(type_identity<Form6>{}, 15), rect(320, 250));
  EXPECT_EQ(at(type_identity<Form6>{}, 12), rect(400, 312));
  EXPECT_EQ(at(type_identity<Form6>{}, 10), rect(480, 375));
  EXPECT_EQ(at(type_identity<Form7>{}, 15), rounded(245, 121));
  EXPECT_EQ(at(type_identity<Form7>{}, 12), rounded(306, 151));
  EXPECT_EQ(at(type_identity<Form7>{}, 10), rounded(368, 182));
  EXPECT_EQ(at(type_identity<Form8>{}, 15), rounded(429, 257));
  EXPECT_EQ(at(type_identity<Form8>{}, 12), rounded(536, 321));
  EXPECT_EQ(at(type_identity<Form8>{}, 10), rounded(644, 386));
}

TEST_F(OutlineTest, FittedSquaresAreCentredAlongTheLongerSide) {
  EXPECT_EQ(Outline({Shape(1, {0, 0, 3000, 1500})}), "Rect(50,0,150,100)");
  EXPECT_EQ(Outline({Shape(1, {0, 0, 1515, 1500})}), "Rect(1,0,100,100)");  // d = 7.5 -> 8
  EXPECT_EQ(Outline({Shape(1, {0, 0, 1545, 1500})}), "Rect(1,0,102,100)");  // d = 22.5 -> 22
  EXPECT_EQ(Outline({Shape(3, {120, 60, 600, 900})}), "Ellipse(8,14,48,54)");
  EXPECT_EQ(Outline({Shape(5, {0, 0, 1500, 3000})}), "RoundRect(0,50,100,150,28,28)");
}

TEST_F(OutlineTest, EqualSidesGiveTheSameBoxAsTheNonSquareKind) {
  for (std::int16_t kind : {0, 2, 4}) {
    EXPECT_EQ(Outline({Shape(kind + 1, {300, 150, 1500, 1500})}),
              Outline({Shape(kind, {300, 150, 1500, 1500})}));
  }
}

TEST_F(OutlineTest, KindsOutsideTheRangeBecomeOvals) {
  EXPECT_EQ(Outline({Shape(9, {0, 0, 1500, 750})}), "Ellipse(0,0,100,50)");
  EXPECT_EQ(form.shpborder(0).Shape, 2);
  EXPECT_EQ(Outline({Shape(-1, {0, 0, 1500, 750})}), "Ellipse(0,0,100,50)");
}

TEST_F(OutlineTest, ShapesAreUnitedInAnyOrder) {
  const BorderShapeDef a = Shape(0, {0, 0, 1500, 1500}, 0);
  const BorderShapeDef b = Shape(0, {750, 750, 1500, 1500}, 1);
  const std::string forward = Outline({a, b});
  EXPECT_EQ(forward, "Rect(0,0,100,100) + Rect(50,50,150,150)");
  const regions::RegionModel* region = platform.Region(form.outline);
  EXPECT_TRUE(region->Contains(75, 75));
  EXPECT_TRUE(region->Contains(140, 140));
  EXPECT_FALSE(region->Contains(140, 10));
  EXPECT_EQ(region->BoundingBox(), (PixelRect{0, 0, 150, 150}));
}

TEST_F(OutlineTest, SumsAreFormedInDoublePrecision) {
  platform.SetTwipsPerPixel({1, 1});
  // 16777216 + 1 is not a single-precision number.
  EXPECT_EQ(Outline({Shape(0, {16777216, 0, 1, 1})}), "Rect(16777216,0,16777217,1)");
  EXPECT_EQ(Outline({Shape(1, {16777216, 0, 3, 1})}), "Rect(16777217,0,16777218,1)");
}

TEST_F(OutlineTest, TheLastPossibleIndexEndsTheWalkWithoutOverflow) {
  EXPECT_EQ(Outline({Shape(0, {0, 0, 1500, 1500}, 32766), Shape(0, {0, 0, 15, 15}, 32767)}),
            "Rect(0,0,100,100) + Rect(0,0,1,1)");
}

TEST_F(OutlineTest, AnArrayWithNoShapesGivesAnEmptyOutline) {
  EXPECT_EQ(Outline({}), "Empty");
  platform.ClearLog();
  form.Show();
  EXPECT_FALSE(platform.Shows(form.hWnd(), 10, 10));
}

TEST_F(OutlineTest, OffsetsAreAddedBeforeRounding) {
  EXPECT_EQ(Outline({Shape(0, {0, 0, 1500, 1500})}, 3, -2), "Rect(3,-2,103,98)");
  // 37.5 twips is 2.5 pixels: 2 with no offset, but 6 (not 5) with an offset of 3.
  EXPECT_EQ(Outline({Shape(0, {37.5f, 0, 1500, 1500})}), "Rect(2,0,102,100)");
  EXPECT_EQ(Outline({Shape(0, {37.5f, 0, 1500, 1500})}, 3, 0), "Rect(6,0,106,100)");
}

TEST_F(OutlineTest, MakesMergesAndFreesRegionsInOrder) {
  form.Declare({Shape(4, {0, 0, 1500, 750}, 3), Shape(2, {0, 0, 300, 300}, 4)});
  platform.ClearLog();
  BuildOutline(form, 0, 0);
  EXPECT_EQ(platform.Log({"CreateRectRgn", "CreateEllipticRgn", "CreateRoundRectRgn", "CombineRgn",
                          "DeleteObject", "SetWindowRgn"}),
            (std::vector<std::string>{
                "CreateRectRgn(0,0,0,0)->R1",
                "CreateRectRgn(0,0,0,0)->R2",
                "CreateRoundRectRgn(0,0,100,50,28,28)->R3",
                "CombineRgn(R2,R1,R1,5)",
                "CombineRgn(R1,R2,R3,2)",
                "DeleteObject(R3)",
                "CreateEllipticRgn(0,0,20,20)->R4",
                "CombineRgn(R2,R1,R1,5)",
                "CombineRgn(R1,R2,R4,2)",
                "DeleteObject(R4)",
                "DeleteObject(R2)",
            }));
  EXPECT_EQ(platform.LiveRegions(), 1);  // only the outline
}

TEST_F(OutlineTest, ApplyingHandsTheOutlineToTheSystemOnEveryLoad) {
  form.Declare({Shape(4, {0, 0, 1500, 750})});
  form.Show();
  const WindowOutline first = form.outline;
  EXPECT_EQ(platform.Info(form.hWnd()).region, first);
  EXPECT_EQ(platform.Log({"SetWindowRgn", "ShowFormWindow"}),
            (std::vector<std::string>{"SetWindowRgn(Shaped,R1,-1)", "ShowFormWindow(Shaped,1)"}));
  form.Unload();
  form.Show();
  EXPECT_NE(form.outline, first);
  EXPECT_EQ(platform.Info(form.hWnd()).region, form.outline);
  EXPECT_EQ(platform.deletes_of_owned_regions(), 0);
  EXPECT_EQ(platform.UnownedLiveRegions(), 0);
  EXPECT_FALSE(platform.Shows(form.hWnd(), 0, 0));  // a rounded corner
  EXPECT_TRUE(platform.Shows(form.hWnd(), 50, 25));
  EXPECT_FALSE(platform.Shows(form.hWnd(), 101, 25));
}

TEST_F(OutlineTest, FailedRegionCallsAreMergedAndTheWalkGoesOn) {
  form.Declare({Shape(0, {0, 0, 1500, 750}, 0), Shape(2, {0, 0, 300, 300}, 1)});
  platform.FailRegionCalls(true);
  EXPECT_EQ(BuildOutline(form, 0, 0), nullptr);
  EXPECT_EQ(platform.Log({"DeleteObject"}).size(), 3u);
  form.Show();  // shown unshaped
  EXPECT_TRUE(platform.Shows(form.hWnd(), 590, 590));
  EXPECT_TRUE(platform.fatal_messages().empty());
}

TEST_F(OutlineTest, ArithmeticFaultsAndGapsAreRunTimeErrors) {
  EXPECT_THROW(Outline({Shape(0, {0, 0, 1e12f, 100})}), RuntimeError);
  EXPECT_THROW(Outline({Shape(1, {0, 0, 70000, 0})}), RuntimeError);  // inset beyond 16 bits
  EXPECT_NO_THROW(Outline({Shape(1, {0, 0, 65534, 0})}));
  EXPECT_THROW(Outline({Shape(0, {0, 0, 1, 1}, 0), Shape(0, {0, 0, 1, 1}, 2)}), RuntimeError);
  platform.SetTwipsPerPixel({0, 15});
  EXPECT_THROW(Outline({Shape(0, {0, 0, 1500, 1500})}), RuntimeError);
  platform.SetTwipsPerPixel({15, 15});
  EXPECT_NO_THROW(Outline({Shape(0, {0, 0, 1500, 1500}, -5), Shape(0, {0, 0, 1, 1}, -4)}));
}

TEST_F(OutlineTest, AFaultWhileLoadingIsReportedAndEndsTheProgram) {
  platform.SetTwipsPerPixel({0, 0});
  program.Start();
  ASSERT_EQ(platform.fatal_messages().size(), 1u);
  EXPECT_EQ(platform.fatal_messages()[0], u"Run-time error: Division by zero");
  EXPECT_TRUE(program.Ended());
  EXPECT_FALSE(platform.Running());
}

TEST_F(OutlineTest, DraggingReleasesTheCaptureThenPressesTheMissingTitleBar) {
  form.Declare({Shape(0, {0, 0, 1500, 1500})});
  form.Show();
  platform.ClearLog();
  platform.SetDragMove(40, -10);
  const PixelRect before = platform.ScreenRect(form.hWnd());
  platform.Press(form.hWnd(), 50, 50, MouseButton::kRight);
  EXPECT_EQ(platform.Log({"ReleaseCapture", "SendMessageA"}),
            (std::vector<std::string>{"ReleaseCapture()", "SendMessageA(Shaped,161,2,0)"}));
  EXPECT_EQ(platform.ScreenRect(form.hWnd()).left, before.left + 40);
  EXPECT_EQ(platform.ScreenRect(form.hWnd()).top, before.top - 10);
}

}  // namespace
}  // namespace amorix::testing
