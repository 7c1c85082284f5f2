#pragma once
// A window whose border shapes a test or tool declares, for exercising the outline builder.

#include <utility>
#include <vector>

#include "app/form.h"
#include "shaping/outline.h"

namespace amorix::testing {

class ShapedForm final : public Form {
 public:
  explicit ShapedForm(Program& program) : Form(program, kDef) {}
  void Declare(std::vector<BorderShapeDef> shapes) {
    shapes_ = std::move(shapes);
    shpborder.Assign(shapes_);
  }

 protected:
  void Form_Load() override { ApplyOutline(*this); }

 private:
  static constexpr FormDef kDef{.caption = u"Shaped", .client_width = 9000, .client_height = 9000};
  std::vector<BorderShapeDef> shapes_;
};

}  // namespace amorix::testing
