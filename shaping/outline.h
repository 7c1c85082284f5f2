#pragma once
// Borderless windows take their visible outline from the border shapes they declare, and move
// when a mouse button is pressed on their background. One implementation serves every window.
//
// BuildOutline unites the regions of a window's shpborder shapes, converted from twips to screen
// pixels, into a new region kept in the window's outline member. ApplyOutline hands that region
// to the system, which owns it from then on. BeginWindowDrag turns a press on the background into
// a press on the title bar the window does not have, so the system's own move loop moves it.

#include <cstdint>

#include "app/form.h"

namespace amorix {

// Corner ellipse of the rounded kinds, in pixels, whatever the shape's size and the screen ratio.
inline constexpr int kCornerEllipse = 28;

WindowOutline BuildOutline(Form& window, std::int16_t ox, std::int16_t oy);
void ApplyOutline(Form& window);
void BeginWindowDrag(Form& window);

}  // namespace amorix
