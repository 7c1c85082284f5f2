#include "app/controls.h"

#include <string>

#include "app/form.h"
#include "app/runtime_error.h"

namespace amorix {

Label::Label(Form& form, const LabelDef& def) : form_(form), def_(def), id_(form.Add(*this)) {
  Reset({});
}

void Label::Reset(const PixelRect& bounds) {
  bounds_ = bounds;
  caption_ = def_.caption;
  fore_color_ = def_.fore_color;
  back_color_ = def_.back_color;
  back_style_ = def_.back_style;
  visible_ = true;
  announced_visible_ = true;
  font_ = def_.font;
}

void Label::SetCaption(std::u16string_view caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  Changed();
  Announce(AccessibleChange::kName);
}

void Label::SetForeColor(Color color) {
  if (fore_color_ == color) return;
  fore_color_ = color;
  Changed();
}

void Label::SetBackColor(Color color) {
  if (back_color_ == color) return;
  back_color_ = color;
  if (back_style_ == BackStyle::kOpaque) Changed();
}

void Label::SetBackStyle(amorix::BackStyle style) {
  if (back_style_ == style) return;
  back_style_ = style;
  Changed();
}

void Label::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed();
  UpdateTooltip();
  form_.program().AnnounceVisibilityAfterEvent(*this);
}

void Label::SetFontUnderline(bool underline) {
  if (font_.underline == underline) return;
  font_.underline = underline;
  Changed();
}

void Label::Changed() {
  if (form_.Loaded()) form_.platform().Invalidate(form_.hWnd(), bounds_);
}

void Label::Announce(AccessibleChange change) {
  if (form_.Loaded()) form_.platform().NotifyAccessibleChange(form_.hWnd(), id_, change);
}

void Label::AnnounceVisibility() {
  if (announced_visible_ == visible_ || !form_.Loaded()) return;
  announced_visible_ = visible_;
  Announce(visible_ ? AccessibleChange::kShown : AccessibleChange::kHidden);
}

AccessibleLabel Label::Describe() const {
  const bool glyph = caption_.size() == 1 && !def_.tooltip.empty();
  AccessibleRole role = AccessibleRole::kStaticText;
  if (def_.link) {
    role = AccessibleRole::kLink;
  } else if (Click) {
    role = AccessibleRole::kPushButton;
  }
  return {.name = std::u16string(glyph ? def_.tooltip : std::u16string_view(caption_)),
          .role = role,
          .rect = bounds_,
          .shown = visible_};
}

void Label::UpdateTooltip() {
  if (def_.tooltip.empty() || !form_.Loaded()) return;
  form_.platform().SetTooltip(form_.hWnd(), id_, bounds_, visible_ ? def_.tooltip : u"");
}

void Label::Paint(Canvas& canvas) const {
  if (!visible_) return;
  if (back_style_ == BackStyle::kOpaque) canvas.FillRect(bounds_, back_color_);
  canvas.PaintText(bounds_, caption_, font_, fore_color_, def_.align);
}

TextBox::TextBox(Form& form, const TextBoxDef& def) : form_(form), def_(def), text_(def.text) {
  form.Add(*this);
}

void TextBox::Create(const PixelRect& bounds) {
  text_ = def_.text;
  visible_ = true;
  EditSpec params{.rect = bounds,
                  .font = def_.font,
                  .text_color = def_.fore_color,
                  .align = def_.align,
                  .max_length = def_.max_length,
                  .visible = true,
                  .accessible_name = def_.accessible_name};
  edit_ = form_.platform().CreateEdit(form_.hWnd(), params);
  if (!text_.empty()) form_.platform().SetEditText(edit_, text_);
}

void TextBox::Destroyed() {
  text_ = def_.text;
  visible_ = true;
  edit_ = nullptr;
}

std::u16string TextBox::Text() const {
  return edit_ ? form_.platform().GetEditText(edit_) : text_;
}

void TextBox::SetText(std::u16string_view text) {
  if (edit_) {
    form_.platform().SetEditText(edit_, text);
  } else {
    text_ = text;
  }
}

void TextBox::SetVisible(bool visible) {
  visible_ = visible;
  if (edit_) form_.platform().SetEditVisible(edit_, visible);
}

Shape::Shape(Form& form, const ShapeDef& def) {
  form.Add(*this, def);
}

BorderShapeArray::BorderShapeArray(std::span<const BorderShapeDef> defs) : defs_(defs) {
  Reset();
}

void BorderShapeArray::Assign(std::span<const BorderShapeDef> defs) {
  defs_ = defs;
  Reset();
}

void BorderShapeArray::Reset() {
  shapes_.clear();
  for (const BorderShapeDef& d : defs_) {
    shapes_[d.index] = BorderShape{.Index = d.index,
                                   .Shape = d.kind,
                                   .Left = d.box.left,
                                   .Top = d.box.top,
                                   .Width = d.box.width,
                                   .Height = d.box.height,
                                   .Visible = true};
  }
}

std::int16_t BorderShapeArray::LBound() const {
  return shapes_.empty() ? 0 : shapes_.begin()->first;
}

std::int16_t BorderShapeArray::UBound() const {
  return shapes_.empty() ? -1 : shapes_.rbegin()->first;
}

BorderShape& BorderShapeArray::operator()(std::int16_t index) {
  auto it = shapes_.find(index);
  if (it == shapes_.end()) {
    throw RuntimeError("Control array element '" + std::to_string(index) + "' doesn't exist");
  }
  return it->second;
}

Timer::Timer(Form& form, const TimerDef& def) : form_(form), def_(def), id_(form.Add(*this)) {}

void Timer::Start() {
  enabled_ = def_.enabled;
  if (enabled_ && def_.interval_ms > 0) {
    form_.platform().StartTimer(form_.hWnd(), id_, def_.interval_ms);
  }
}

}  // namespace amorix
