// The browser program's entry points. main() names the pictures' files to the page and returns;
// the page starts the program at once (amorix_start), fetching each picture and face as a paint
// first needs it, and from then on calls the functions below from its event handlers. The
// program's objects outlive main().
#include <emscripten/emscripten.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/fit_to_box.h"
#include "app/program.h"
#include "platform/web/web_platform.h"
#include "resources/resource_ids.h"

namespace {

amorix::WebPlatform platform;
std::unique_ptr<amorix::Program> program;
std::u16string input;  // what the user puts into a box, on its way through FitToBox

amorix::MouseEvent At(int x, int y, int button, int keys) {
  amorix::MouseEvent e;
  e.x = x;
  e.y = y;
  e.button = button == 2   ? amorix::MouseButton::kRight
             : button == 1 ? amorix::MouseButton::kMiddle
                           : amorix::MouseButton::kLeft;
  e.shift = (keys & 1) != 0;
  e.ctrl = (keys & 2) != 0;
  e.alt = (keys & 4) != 0;
  return e;
}

}  // namespace

extern "C" {

void amx_picture_file(int id, const char* file);
void amx_boot();  // then amorix_start

EMSCRIPTEN_KEEPALIVE void amorix_start() {
  program = std::make_unique<amorix::Program>(platform);
  program->Start();
  platform.RunMessageLoop();
}

// kind: 0 move, 1 press, 2 release.
EMSCRIPTEN_KEEPALIVE void amorix_mouse(int window, int kind, int x, int y, int button, int keys) {
  amorix::WindowEvents* events = platform.Events(window);
  if (!events) return;
  const amorix::MouseEvent e = At(x, y, button, keys);
  if (kind == 1) {
    events->OnMouseDown(e);
  } else if (kind == 2) {
    events->OnMouseUp(e);
  } else {
    events->OnMouseMove(e);
  }
}

EMSCRIPTEN_KEEPALIVE void amorix_paint(int window, int left, int top, int right, int bottom) {
  platform.Paint(window, {left, top, right, bottom});
}

EMSCRIPTEN_KEEPALIVE void amorix_edit_changed(int window, int edit) {
  if (amorix::WindowEvents* events = platform.Events(window)) {
    events->OnEditChange(reinterpret_cast<amorix::EditHandle>(static_cast<std::uintptr_t>(edit)));
  }
}

// The page writes what the user types or pastes into a box (UNITS UTF-16 units and a null) here,
// then asks what the box keeps of it: amorix_fit_input leaves that at the start, returning its
// length.
EMSCRIPTEN_KEEPALIVE char16_t* amorix_input_buffer(int units) {
  input.assign(static_cast<std::size_t>(units) + 1, u'\0');
  return input.data();
}

EMSCRIPTEN_KEEPALIVE int amorix_fit_input(int kept, int max_length) {
  const std::u16string fits =
      amorix::FitToBox(std::u16string_view(input).substr(0, input.size() - 1),
                       static_cast<std::size_t>(kept), max_length);
  std::copy(fits.begin(), fits.end(), input.begin());
  return static_cast<int>(fits.size());
}

EMSCRIPTEN_KEEPALIVE void amorix_timer(int window, int timer) {
  if (amorix::WindowEvents* events = platform.Events(window)) events->OnTimer(timer);
}

EMSCRIPTEN_KEEPALIVE void amorix_describe_labels(int window) {
  platform.DescribeLabels(window);
}

EMSCRIPTEN_KEEPALIVE void amorix_label_action(int window, int label) {
  if (amorix::WindowEvents* events = platform.Events(window)) events->OnLabelAction(label);
}

EMSCRIPTEN_KEEPALIVE void amorix_capture_lost(int window) {
  platform.PointerLost(window);
}
}

int main() {
#define AMORIX_PICTURE_FILE(number, file) amx_picture_file(number, file);
  AMORIX_RESOURCE_FILES(AMORIX_PICTURE_FILE)
#undef AMORIX_PICTURE_FILE
  amx_boot();
  return 0;
}
