#pragma once
// A top-level window of the program, the base of Form1 to Form8. It owns the four things every
// window shares: its native window and the life cycle around it (show, hide, unload; a load
// gives every control its design-time value and runs Form_Load), its shpborder array and the
// outline member, the routing of mouse events to the windowless labels it holds (the first
// declared label under the pointer takes the event; elsewhere the window's own handlers run),
// and painting its picture, scaled as its outline is, and its windowless controls. Each event
// from the platform enters through the program's gate, so no exception leaves a window procedure.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "app/controls.h"
#include "app/program.h"
#include "platform/platform.h"

namespace amorix {

// The region a window is shown in, in pixels relative to its top-left corner.
using WindowOutline = RegionHandle;

struct FormDef {
  std::u16string_view caption{};
  float client_width = 0, client_height = 0;  // twips
  bool show_in_taskbar = true;
  Color back_color = kColorButtonFace;
  ResourceId picture = 0;
  ResourceId icon = 0;
  std::span<const BorderShapeDef> shpborder{};
};

class Form : public WindowEvents {
 public:
  Form(Program& program, const FormDef& def);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  void Show();
  void Hide();
  void Unload();
  bool Loaded() const { return window_ != nullptr; }
  bool Visible() const { return visible_; }

  WindowHandle hWnd() const;  // RuntimeError when the window is not loaded
  MousePointer GetMousePointer() const { return pointer_; }
  void SetMousePointer(MousePointer pointer);
  std::u16string_view Caption() const { return def_.caption; }

  Program& program() const { return program_; }
  Platform& platform() const { return program_.platform(); }
  template <class W>
  W& Window() const {
    return program_.windows().Get<W>();
  }

  // Twips to pixels at the ratio read when the window loaded.
  PixelRect ToPixels(const TwipsBox& box) const;
  // The label that takes mouse events at a client pixel: the first declared shown one there.
  Label* LabelAt(int x, int y) const;

  BorderShapeArray shpborder;
  WindowOutline outline = nullptr;

 protected:
  virtual void Form_Load() = 0;
  virtual void Form_MouseMove() {}
  void Form_MouseDown();  // every window moves by its background
  // A close asked for by the system (Alt+F4, the taskbar) is an unload of the window.
  virtual void SystemClose() { Unload(); }

 private:
  friend class Label;
  friend class TextBox;
  friend class Timer;
  friend class Shape;
  int Add(Label& label);
  void Add(TextBox& box);
  std::vector<TextBox*> InTabOrder() const;
  void Add(Shape& shape, const ShapeDef& def);
  int Add(Timer& timer);

  void Load();

  void OnPaint(Canvas& canvas) noexcept override;
  void OnMouseMove(const MouseEvent& e) noexcept override;
  void OnMouseDown(const MouseEvent& e) noexcept override;
  void OnMouseUp(const MouseEvent& e) noexcept override;
  void OnEditChange(EditHandle edit) noexcept override;
  void OnTimer(int timer_id) noexcept override;
  void OnCloseRequest() noexcept override;
  std::vector<AccessibleLabel> OnDescribeLabels() noexcept override;
  void OnLabelAction(int label) noexcept override;
  void OnCaptureLost() noexcept override;

  struct Drawn {
    Label* label = nullptr;
    const ShapeDef* shape = nullptr;
  };

  Program& program_;
  const FormDef& def_;
  WindowHandle window_ = nullptr;
  bool visible_ = false;
  MousePointer pointer_ = MousePointer::kDefault;
  TwipsPerPixel ratio_;
  Label* pressed_ = nullptr;  // the label a left press went to, until the release
  bool capturing_ = false;    // the window holds the mouse for that press
  std::vector<Drawn> drawn_;  // windowless controls, in declared order
  std::vector<Label*> labels_;
  std::vector<TextBox*> text_boxes_;
  std::vector<Timer*> timers_;
};

}  // namespace amorix
