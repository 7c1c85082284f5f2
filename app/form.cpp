#include "app/form.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/numeric.h"
#include "app/runtime_error.h"
#include "shaping/outline.h"

namespace amorix {

Form::Form(Program& program, const FormDef& def)
    : shpborder(def.shpborder), program_(program), def_(def) {}

Form::~Form() = default;

int Form::Add(Label& label) {
  drawn_.push_back({.label = &label});
  labels_.push_back(&label);
  return static_cast<int>(labels_.size());
}

void Form::Add(TextBox& box) {
  text_boxes_.push_back(&box);
}

void Form::Add(Shape&, const ShapeDef& def) {
  drawn_.push_back({.shape = &def});
}

int Form::Add(Timer& timer) {
  timers_.push_back(&timer);
  return static_cast<int>(timers_.size());
}

WindowHandle Form::hWnd() const {
  if (!window_) {
    const std::string caption(def_.caption.begin(), def_.caption.end());
    throw RuntimeError("The window '" + caption + "' is not loaded");
  }
  return window_;
}

PixelRect Form::ToPixels(const TwipsBox& box) const {
  const auto x = [&](float twips) { return RoundToInt32(CheckedDivide(twips, ratio_.x)); };
  const auto y = [&](float twips) { return RoundToInt32(CheckedDivide(twips, ratio_.y)); };
  return {x(box.left), y(box.top), x(box.left + box.width), y(box.top + box.height)};
}

void Form::Load() {
  ratio_ = platform().ScreenTwipsPerPixel();
  const PixelRect client = ToPixels({0, 0, def_.client_width, def_.client_height});
  const WindowSpec params{.caption = def_.caption,
                          .client_width = client.Width(),
                          .client_height = client.Height(),
                          .in_taskbar = def_.show_in_taskbar,
                          .background = def_.back_color,
                          .icon = def_.icon};
  window_ = platform().CreateFormWindow(params, *this);
  pointer_ = MousePointer::kDefault;
  pressed_ = nullptr;
  shpborder.Reset();
  for (Label* label : labels_) {
    label->Reset(ToPixels(label->def_.box));
    label->UpdateTooltip();
  }
  // Edits are made in tab order, which is the order the platform tabs through them.
  for (TextBox* box : InTabOrder()) box->Create(ToPixels(box->def_.box));
  for (Timer* timer : timers_) timer->Start();
  Form_Load();
  // A window comes with its labels as they are now: nothing to announce.
  for (Label* label : labels_) label->announced_visible_ = label->visible_;
}

void Form::Show() {
  if (visible_) return;
  const bool loading = !Loaded();
  if (loading) Load();
  platform().ShowFormWindow(hWnd(), true);
  visible_ = true;
  if (!loading) return;
  const std::vector<TextBox*> in_tab_order = InTabOrder();
  auto first = std::find_if(in_tab_order.begin(), in_tab_order.end(),
                            [](const TextBox* box) { return box->Visible(); });
  if (first != in_tab_order.end()) platform().FocusEdit((*first)->Handle());
}

void Form::Hide() {
  platform().ShowFormWindow(hWnd(), false);
  visible_ = false;
}

void Form::Unload() {
  if (!Loaded()) return;
  WindowHandle window = window_;
  window_ = nullptr;
  visible_ = false;
  pressed_ = nullptr;
  capturing_ = false;
  for (TextBox* box : text_boxes_) box->Destroyed();
  platform().DestroyFormWindow(window);
}

void Form::SetMousePointer(MousePointer pointer) {
  pointer_ = pointer;
  platform().SetMousePointer(hWnd(), pointer);
}

void Form::Form_MouseDown() {
  BeginWindowDrag(*this);
}

// Boxes with the same tab index keep their declared order: each goes in after its equals.
std::vector<TextBox*> Form::InTabOrder() const {
  std::vector<TextBox*> ordered;
  for (TextBox* box : text_boxes_) {
    ordered.insert(std::upper_bound(ordered.begin(), ordered.end(), box,
                                    [](const TextBox* a, const TextBox* b) {
                                      return a->TabIndex() < b->TabIndex();
                                    }),
                   box);
  }
  return ordered;
}

Label* Form::LabelAt(int x, int y) const {
  auto hit = std::find_if(labels_.begin(), labels_.end(), [&](const Label* l) {
    return l->Visible() && l->Bounds().Contains(x, y);
  });
  return hit == labels_.end() ? nullptr : *hit;
}

void Form::OnPaint(Canvas& canvas) noexcept {
  program_.Dispatch([&] {
    canvas.FillRect(canvas.Dirty(), def_.back_color);
    if (def_.picture) {
      // The picture is drawn for 96 pixels per inch: it scales with the window at any other.
      const PixelSize size = canvas.PictureSize(def_.picture);
      canvas.DrawPicture(def_.picture, ToPixels({0, 0, size.width * kTwipsPerPixelAt96,
                                                 size.height * kTwipsPerPixelAt96}));
    }
    // The first declared control lies on top, so paint from the last.
    for (auto d = drawn_.rbegin(); d != drawn_.rend(); ++d) {
      if (d->label) d->label->Paint(canvas);
      if (d->shape)
        canvas.FrameRect(ToPixels(d->shape->box), d->shape->border_color, d->shape->border_width);
    }
  });
}

void Form::OnMouseMove(const MouseEvent& e) noexcept {
  program_.Dispatch([&] {
    if (Label* label = LabelAt(e.x, e.y)) {
      if (label->MouseMove) label->MouseMove();
    } else {
      Form_MouseMove();
    }
  });
}

void Form::OnMouseDown(const MouseEvent& e) noexcept {
  program_.Dispatch([&] {
    Label* label = LabelAt(e.x, e.y);
    // Like a button, a pressed label holds the mouse until the release, wherever that happens.
    if (label && e.button == MouseButton::kLeft && !std::exchange(capturing_, true)) {
      platform().SetCapture(hWnd());
    }
    pressed_ = e.button == MouseButton::kLeft ? label : nullptr;
    if (!label) Form_MouseDown();
  });
}

void Form::OnMouseUp(const MouseEvent& e) noexcept {
  program_.Dispatch([&] {
    Label* pressed = std::exchange(pressed_, nullptr);
    if (e.button == MouseButton::kLeft && std::exchange(capturing_, false)) {
      platform().ReleaseCapture();
    }
    if (e.button != MouseButton::kLeft || !pressed || LabelAt(e.x, e.y) != pressed) return;
    if (pressed->Click) pressed->Click();
  });
}

void Form::OnCaptureLost() noexcept {
  capturing_ = false;
  pressed_ = nullptr;
}

void Form::OnEditChange(EditHandle edit) noexcept {
  program_.Dispatch([&] {
    auto box = std::find_if(text_boxes_.begin(), text_boxes_.end(),
                            [&](const TextBox* b) { return b->Handle() == edit; });
    if (box != text_boxes_.end() && (*box)->Change) (*box)->Change();
  });
}

void Form::OnTimer(int timer_id) noexcept {
  program_.Dispatch([&] {
    if (timer_id < 1 || timer_id > static_cast<int>(timers_.size())) return;
    Timer* timer = timers_[timer_id - 1];
    if (timer->Enabled() && timer->Tick) timer->Tick();
  });
}

std::vector<AccessibleLabel> Form::OnDescribeLabels() noexcept {
  try {
    std::vector<AccessibleLabel> described;
    for (const Label* label : labels_) described.push_back(label->Describe());
    return described;
  } catch (...) {
    return {};  // out of memory: the reader sees no labels this time
  }
}

// As a click: only a shown label, and through the same gate.
void Form::OnLabelAction(int label) noexcept {
  program_.Dispatch([&] {
    if (label < 1 || label > static_cast<int>(labels_.size())) return;
    Label* target = labels_[label - 1];
    if (visible_ && target->Visible() && target->Click) target->Click();
  });
}

void Form::OnCloseRequest() noexcept {
  program_.Dispatch([&] { SystemClose(); });
}

}  // namespace amorix
