#pragma once
// The controls a window is made of, in two halves. A definition (LabelDef, TextBoxDef, ShapeDef,
// BorderShapeDef, TimerDef) is the design-time value, in twips, written once in a window's layout
// table. A control object holds the run-time properties that handlers read and set; each load of
// its window starts it over from its definition. Labels and shapes are windowless: their window
// paints and hit-tests them, in the order they are declared (the first declared lies on top).
// Text boxes are native edit controls. Timers tick through the platform.

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace amorix {

class Form;
using Handler = std::function<void()>;

struct TwipsBox {
  float left = 0, top = 0, width = 0, height = 0;
};

// System colours by index, as window definitions name them.
constexpr Color kColorBackground = SystemColor(1);
constexpr Color kColorWindow = SystemColor(5);
constexpr Color kColorMenuText = SystemColor(7);
constexpr Color kColorWindowText = SystemColor(8);
constexpr Color kColorInactiveBorder = SystemColor(11);
constexpr Color kColorButtonFace = SystemColor(15);
constexpr Color kColorButtonText = SystemColor(18);

// The reds the windows paint labels in: a close label is dark red at rest and bright red under
// the mouse.
constexpr Color kDarkRed = Rgb(192, 0, 0);
constexpr Color kBrightRed = Rgb(255, 0, 0);

enum class BackStyle { kTransparent = 0, kOpaque = 1 };

struct LabelDef {
  TwipsBox box{};
  std::u16string_view caption{};
  Color fore_color = kColorButtonText;
  Color back_color = kColorButtonFace;
  BackStyle back_style = BackStyle::kOpaque;
  Align align = Align::kLeft;
  FontSpec font{};
  std::u16string_view tooltip{};
  bool link = false;  // opens a web page
};

struct TextBoxDef {
  TwipsBox box{};
  std::u16string_view text{};
  FontSpec font{};
  Color fore_color = kColorWindowText;
  Align align = Align::kLeft;
  int max_length = 0;  // 0: no limit
  int tab_index = 0;
  std::u16string_view accessible_name{};
};

// A shape that only draws: a rectangle frame.
struct ShapeDef {
  TwipsBox box{};
  Color border_color = 0;
  int border_width = 1;  // pixels
};

// One element of a window's shpborder array: it draws nothing and only declares the outline.
struct BorderShapeDef {
  std::int16_t index = 0;
  std::int16_t kind = 0;  // 0 rectangle, 1 square, 2 oval, 3 circle, 4 rounded rect., 5 rounded sq.
  TwipsBox box{};
};

struct TimerDef {
  unsigned interval_ms = 0;
  bool enabled = true;
};

class Label {
 public:
  Label(Form& form, const LabelDef& def);

  const std::u16string& Caption() const { return caption_; }
  void SetCaption(std::u16string_view caption);
  Color ForeColor() const { return fore_color_; }
  void SetForeColor(Color color);
  Color BackColor() const { return back_color_; }
  void SetBackColor(Color color);
  amorix::BackStyle BackStyle() const { return back_style_; }
  void SetBackStyle(amorix::BackStyle style);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool FontUnderline() const { return font_.underline; }
  void SetFontUnderline(bool underline);
  const FontSpec& Font() const { return font_; }
  std::u16string_view ToolTipText() const { return def_.tooltip; }
  Align Alignment() const { return def_.align; }
  const PixelRect& Bounds() const { return bounds_; }
  int Number() const { return id_; }  // 1, 2, ... in its window's declared order
  // What a screen reader hears: the caption, or the tooltip for a one-character glyph that has one.
  AccessibleLabel Describe() const;

  Handler MouseMove;
  Handler Click;

 private:
  friend class Form;
  friend class Program;
  void Reset(const PixelRect& bounds);
  void Paint(Canvas& canvas) const;
  void Changed();
  void Announce(AccessibleChange change);
  void AnnounceVisibility();
  void UpdateTooltip();

  Form& form_;
  const LabelDef& def_;
  int id_;
  PixelRect bounds_;
  std::u16string caption_;
  Color fore_color_ = 0, back_color_ = 0;
  amorix::BackStyle back_style_ = BackStyle::kTransparent;
  bool visible_ = true;
  bool announced_visible_ = true;
  FontSpec font_;
};

class TextBox {
 public:
  TextBox(Form& form, const TextBoxDef& def);

  std::u16string Text() const;
  void SetText(std::u16string_view text);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  int MaxLength() const { return def_.max_length; }
  int TabIndex() const { return def_.tab_index; }
  std::u16string_view AccessibleName() const { return def_.accessible_name; }
  EditHandle Handle() const { return edit_; }

  Handler Change;

 private:
  friend class Form;
  void Create(const PixelRect& bounds);
  void Destroyed();

  Form& form_;
  const TextBoxDef& def_;
  EditHandle edit_ = nullptr;
  std::u16string text_;  // the text while its window is not loaded
  bool visible_ = true;
};

// Declared for its place among the windowless controls; its window paints it from its definition.
class Shape {
 public:
  Shape(Form& form, const ShapeDef& def);
};

struct BorderShape {
  std::int16_t Index = 0;
  std::int16_t Shape = 0;  // the kind
  float Left = 0, Top = 0, Width = 0, Height = 0;
  bool Visible = true;
};

// A window's shpborder array: indexed elements whose keys run from LBound to UBound.
class BorderShapeArray {
 public:
  explicit BorderShapeArray(std::span<const BorderShapeDef> defs);

  std::int16_t LBound() const;
  std::int16_t UBound() const;
  BorderShape& operator()(std::int16_t index);  // RuntimeError when no element has that index

  // Back to the design-time shapes, or to others (tests declare outlines of their own).
  void Reset();
  void Assign(std::span<const BorderShapeDef> defs);

 private:
  std::span<const BorderShapeDef> defs_;
  std::map<std::int16_t, BorderShape> shapes_;
};

class Timer {
 public:
  Timer(Form& form, const TimerDef& def);

  bool Enabled() const { return enabled_; }
  unsigned Interval() const { return def_.interval_ms; }

  Handler Tick;

 private:
  friend class Form;
  void Start();

  Form& form_;
  const TimerDef& def_;
  int id_;
  bool enabled_ = false;
};

}  // namespace amorix
