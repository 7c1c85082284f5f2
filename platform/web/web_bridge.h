#pragma once
// The page's side of the web platform, as the C functions that amorix_library.js implements.
// Windows, edit boxes and timers are numbered by the platform; text goes as UTF-16, the page's
// own strings, null-terminated; colours as packed 0xRRGGBB; rectangles as left, top, right,
// bottom in client pixels. Nothing here blocks: each call changes the page and returns.

#include <cstdint>

extern "C" {

void amx_window_create(int window, const char16_t* caption, int width, int height, int icon);
void amx_window_show(int window, int visible);
void amx_window_destroy(int window);
void amx_window_shape(int window, const int* rects, int count);  // count < 0: the whole window
void amx_invalidate(int window, int left, int top, int right, int bottom);
void amx_set_wait_cursor(int window, int wait);
void amx_set_tooltip(int window, int tool, int left, int top, int right, int bottom,
                     const char16_t* text);
// The labels of a window anew: begin, one call per label (role 0 text, 1 button, 2 link), end.
void amx_labels_begin(int window);
void amx_label(int window, int label, int role, int left, int top, int right, int bottom, int shown,
               const char16_t* name);
void amx_labels_end(int window);
void amx_labels_changed(int window, int label, int renamed);

void amx_edit_create(int window, int edit, int left, int top, int right, int bottom,
                     const char16_t* face, int pixels, int bold, int italic, std::uint32_t rgb,
                     std::uint32_t background, int center, int max_length, int visible,
                     const char16_t* name);
int amx_edit_length(int edit);  // UTF-16 units
void amx_edit_text(int edit, char16_t* out, int units);
void amx_edit_set_text(int edit, const char16_t* text);
void amx_edit_visible(int edit, int visible);
void amx_edit_focus(int edit);

void amx_timer_start(int window, int timer, unsigned interval_ms);
void amx_timer_stop(int window, int timer);
int amx_begin_move(int window);  // 0 when no button is down on the window
void amx_open(const char* address);
int amx_picture_width(int picture);  // its own size; 0 when it did not load
int amx_picture_height(int picture);
void amx_end(int status);
void amx_fatal(const char16_t* message);

// A paint: the dirty rectangle clipped on the window's canvas, then the drawing calls.
void amx_paint_begin(int window, int left, int top, int right, int bottom);
void amx_fill(int window, int left, int top, int right, int bottom, std::uint32_t rgb);
void amx_picture(int window, int picture, int left, int top, int right, int bottom);
void amx_text(int window, int left, int top, int right, int bottom, const char16_t* text,
              const char16_t* face, int pixels, int bold, int italic, int underline,
              std::uint32_t rgb, int center);
void amx_paint_end(int window);
}
