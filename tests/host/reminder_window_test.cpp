#include "program_fixture.h"

namespace amorix::testing {
namespace {

class ReminderTest : public ProgramTest {
 protected:
  // Types the names and clicks Calculate with the first name missing.
  Form2& OpenReminder() {
    Form1& main = StartToMain();
    TypeInto(main.Text2, u"Bob");
    Click(main, main.Image1);
    return *Find<Form2>();
  }
  bool Asking(Form2& r) { return r.Label2.Visible() && !r.Label3.Visible(); }
  bool Explaining(Form2& r) { return !r.Label2.Visible() && r.Label3.Visible(); }
};

TEST_F(ReminderTest, OpensAskingWithItsTexts) {
  Form2& reminder = OpenReminder();
  const auto& info = platform.Info(reminder.hWnd());
  EXPECT_EQ(info.caption, u"Information");
  EXPECT_EQ(info.client_width, 280);
  EXPECT_EQ(info.client_height, 159);
  EXPECT_TRUE(info.in_taskbar);
  EXPECT_EQ(platform.RegionBox(reminder.hWnd()), (PixelRect{0, 0, 245, 122}));
  EXPECT_TRUE(Asking(reminder));
  EXPECT_EQ(reminder.Label2.ForeColor(), 0u);
  EXPECT_EQ(reminder.Label4.ForeColor(), 192u);
  EXPECT_EQ(reminder.Label1.Caption(), u"Please Input Alpha and Beta on Text box. ");
  EXPECT_EQ(reminder.Label3.Caption(),
            u"First of all input first person name and then second person name. Example: Alpha "
            u"and beta.");
  const headless::Drawing drawing = platform.Paint(reminder.hWnd());
  EXPECT_NE(drawing.FindText(u"?"), nullptr);
  EXPECT_EQ(drawing.FindText(reminder.Label3.Caption()), nullptr);
}

TEST_F(ReminderTest, TheQuestionMarkGivesWayToTheExplanationForGood) {
  Form2& reminder = OpenReminder();
  platform.ClearLog();
  HoverBackground(reminder);
  EXPECT_TRUE(Asking(reminder));
  Hover(reminder, reminder.Label2);
  EXPECT_TRUE(Explaining(reminder));
  EXPECT_EQ(reminder.Label2.ForeColor(), 255u);
  HoverBackground(reminder);
  EXPECT_TRUE(Explaining(reminder));
  EXPECT_EQ(reminder.Label2.ForeColor(), 0u);
  // Where the "?" stood, the explanation now takes the mouse; it has no handler.
  Hover(reminder, reminder.Label2);
  EXPECT_TRUE(Explaining(reminder));
  EXPECT_EQ(reminder.Label2.ForeColor(), 0u);
  const headless::Drawing drawing = platform.Paint(reminder.hWnd());
  EXPECT_EQ(drawing.FindText(u"?"), nullptr);
  EXPECT_NE(drawing.FindText(reminder.Label3.Caption()), nullptr);
  EXPECT_EQ(platform.Log({"NotifyAccessibleChange"}),
            (std::vector<std::string>{"NotifyAccessibleChange(Information,2,shown)",
                                      "NotifyAccessibleChange(Information,3,hidden)"}))
      << "screen readers hear the explanation come and the question mark go";
}

TEST_F(ReminderTest, CloseLabelLightsUnderTheMouseAndDarkensOverTheBackground) {
  Form2& reminder = OpenReminder();
  Hover(reminder, reminder.Label4);
  EXPECT_EQ(reminder.Label4.ForeColor(), 255u);
  platform.MoveMouse(reminder.hWnd(), 270, 5);  // outside the outline: nothing arrives
  EXPECT_EQ(reminder.Label4.ForeColor(), 255u);
  HoverBackground(reminder);
  EXPECT_EQ(reminder.Label4.ForeColor(), 192u);
  EXPECT_EQ(platform.TooltipAt(reminder.hWnd(), 232, 8), u"Close");
}

TEST_F(ReminderTest, ClosingBringsTheMainWindowBackWithItsNamesAndNoScore) {
  Form2& reminder = OpenReminder();
  Form1& main = *Find<Form1>();
  EXPECT_EQ(main.Label3.Caption(), u"63");  // written into the hidden window
  Hover(reminder, reminder.Label2);
  Click(reminder, reminder.Label4);
  EXPECT_FALSE(reminder.Loaded());
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(main.Text1.Text(), u"");
  EXPECT_EQ(main.Text2.Text(), u"Bob");
  EXPECT_EQ(main.Label3.Caption(), u"");
  EXPECT_FALSE(platform.quit_called());

  // A second reminder starts asking again.
  Click(main, main.Image1);
  EXPECT_TRUE(Asking(reminder));
  EXPECT_EQ(reminder.Label4.ForeColor(), 192u);
}

TEST_F(ReminderTest, PressingALabelDoesNotMoveTheWindow) {
  Form2& reminder = OpenReminder();
  const Point p = Centre(reminder.Label1.Bounds());
  platform.Press(reminder.hWnd(), p.x, p.y);
  EXPECT_EQ(platform.drags(reminder.hWnd()), 0);
  HoverBackground(reminder);
  const Point bg = Background(reminder);
  platform.Press(reminder.hWnd(), bg.x, bg.y, MouseButton::kMiddle);
  EXPECT_EQ(platform.drags(reminder.hWnd()), 1);
}

}  // namespace
}  // namespace amorix::testing
