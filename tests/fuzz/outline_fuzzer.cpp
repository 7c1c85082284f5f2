// Fuzzes BuildOutline over arbitrary border-shape arrays (gaps and duplicates among the indices,
// kinds outside 0 to 5, any float for sizes, places and screen ratios, any offsets), each run
// held against an oracle written here from the outline rules: the exact sequence of region calls,
// or the run-time error that must end the walk. Any other outcome, and any undefined behaviour
// the sanitizers see, is a crash. The regions live on a platform of the fuzzer's own that only
// records the calls and hands out handles, so a region of any size costs nothing.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/program.h"
#include "app/runtime_error.h"
#include "platform/platform.h"
#include "shaping/outline.h"
#include "tests/support/regions_only_platform.h"
#include "tests/support/shaped_form.h"

namespace amorix {
namespace {

// Reads the input front to back; past its end every byte is 0.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int16_t Int16() {
    const int low = Byte();
    return static_cast<std::int16_t>(low | (Byte() << 8));
  }
  // A tag byte picks a value of interest, a whole number at a common scale, or raw float bits.
  float Float() {
    static const float kInteresting[] = {15,
                                         0,
                                         -0.0f,
                                         12,
                                         10,
                                         1,
                                         0.5f,
                                         1.5f,
                                         2.5f,
                                         -2.5f,
                                         7.5f,
                                         65535,
                                         65536,
                                         32767.5f,
                                         1e9f,
                                         3.2e10f,
                                         2147483647.0f,
                                         -2147483648.0f,
                                         16777216,
                                         16777218,
                                         3.4e38f,
                                         -3.4e38f,
                                         INFINITY,
                                         -INFINITY,
                                         NAN,
                                         1e-30f,
                                         1e-45f,
                                         9000,
                                         5130,
                                         0.1f,
                                         -15,
                                         0.001f};
    static const double kScales[] = {1, 15, 12, 10, 0.5, 7.5, 0.25, 1000};
    const std::uint8_t tag = Byte();
    if (tag < 32) return kInteresting[tag];
    if (tag < 224) return static_cast<float>(Int16() * kScales[(tag - 32) % 8]);
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= std::uint32_t{Byte()} << (8 * i);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_, pos_ = 0;
};

// The region calls, recorded as "CreateRectRgn(0,0,0,0)->R1", "CombineRgn(R2,R1,R1,5)",
// "DeleteObject(R2)": regions are named in order of creation, a null handle "null". It checks
// that no region is used after it was freed. The outline builder needs nothing else.
class RegionRecorder final : public amorix::testing::RegionsOnlyPlatform {
 public:
  bool fail = false;
  TwipsPerPixel ratio;
  std::vector<std::string> calls;
  std::set<int> live;
  bool misused = false;

  RegionHandle CreateRectRgn(int l, int t, int r, int b) override {
    return Add("CreateRectRgn(" + Box(l, t, r, b) + ")");
  }
  RegionHandle CreateEllipticRgn(int l, int t, int r, int b) override {
    return Add("CreateEllipticRgn(" + Box(l, t, r, b) + ")");
  }
  RegionHandle CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) override {
    return Add("CreateRoundRectRgn(" + Box(l, t, r, b) + "," + Box(w, h) + ")");
  }
  int CombineRgn(RegionHandle dest, RegionHandle src1, RegionHandle src2, int mode) override {
    calls.push_back("CombineRgn(" + Name(dest) + "," + Name(src1) + "," + Name(src2) + "," +
                    std::to_string(mode) + ")");
    for (RegionHandle r : {dest, src1, src2}) Use(r);
    return fail ? 0 : 3;
  }
  int DeleteObject(RegionHandle r) override {
    calls.push_back("DeleteObject(" + Name(r) + ")");
    Use(r);
    if (r) live.erase(Number(r));
    return r ? 1 : 0;
  }
  TwipsPerPixel ScreenTwipsPerPixel() override { return ratio; }

  static int Number(RegionHandle r) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(r) / 16);
  }
  static std::string Name(RegionHandle r) { return r ? "R" + std::to_string(Number(r)) : "null"; }

 private:
  static std::string Box(int a, int b) { return std::to_string(a) + "," + std::to_string(b); }
  static std::string Box(int l, int t, int r, int b) { return Box(l, t) + "," + Box(r, b); }
  RegionHandle Add(std::string call) {
    RegionHandle r = nullptr;
    if (!fail) {
      ++created_;
      live.insert(created_);
      r = reinterpret_cast<RegionHandle>(static_cast<std::uintptr_t>(created_) * 16);
    }
    calls.push_back(call + "->" + Name(r));
    return r;
  }
  void Use(RegionHandle r) {
    if (r && !live.contains(Number(r))) misused = true;
  }
  int created_ = 0;
};

struct Input {
  bool fail_regions = false;
  TwipsPerPixel ratio;
  std::int16_t ox = 0, oy = 0;
  std::vector<BorderShapeDef> shapes;
};

Input Decode(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  Input input;
  input.fail_regions = in.Byte() & 1;
  input.ratio.x = in.Float();
  input.ratio.y = in.Float();
  input.ox = in.Int16();
  input.oy = in.Int16();
  int index = -1;
  for (int n = in.Byte() % 9; n > 0; --n) {
    // Mostly the next index; sometimes the same one, a gap, or any index at all.
    const std::uint8_t step = in.Byte();
    index = step < 224 ? static_cast<std::int16_t>(index + step % 4) : in.Int16();
    const std::uint8_t kind = in.Byte();
    BorderShapeDef shape{.index = static_cast<std::int16_t>(index),
                         .kind = kind < 240 ? static_cast<std::int16_t>(kind % 6) : in.Int16(),
                         .box = {}};
    shape.box.left = in.Float();
    shape.box.top = in.Float();
    shape.box.width = in.Float();
    shape.box.height = in.Float();
    input.shapes.push_back(shape);
  }
  return input;
}

// The oracle.
enum class Fault { kNone, kOverflow, kDivisionByZero, kNoSuchElement };

struct Expected {
  std::vector<std::string> calls;
  std::set<Fault> faults;  // the faults that may end the walk; empty when it runs to its end
  std::vector<std::int16_t> turned_to_ovals;
};

// To the nearest whole number, a half to the even neighbour; none when it does not fit.
std::optional<long long> Nearest(double value, long long lowest, long long highest) {
  if (!std::isfinite(value)) return std::nullopt;
  const double r = std::nearbyint(value);
  if (r < static_cast<double>(lowest) || r > static_cast<double>(highest)) return std::nullopt;
  return static_cast<long long>(r);
}

Expected Oracle(const Input& input) {
  std::map<int, BorderShapeDef> array;  // a later element with the same index replaces one before
  for (const BorderShapeDef& s : input.shapes) array[s.index] = s;

  Expected e;
  int regions = 0;
  const auto name = [&] {
    return input.fail_regions ? std::string("null") : "R" + std::to_string(++regions);
  };
  const std::string outline = name(), scratch = name();
  e.calls.push_back("CreateRectRgn(0,0,0,0)->" + outline);
  e.calls.push_back("CreateRectRgn(0,0,0,0)->" + scratch);

  const int lowest = array.empty() ? 0 : array.begin()->first;
  const int highest = array.empty() ? -1 : array.rbegin()->first;
  for (int i = lowest; i <= highest; ++i) {
    const auto found = array.find(i);
    if (found == array.end()) {
      e.faults.insert(Fault::kNoSuchElement);
      return e;
    }
    const BorderShapeDef& s = found->second;
    int kind = s.kind;
    if (kind < 0 || kind > 5) {
      kind = 2;
      e.turned_to_ovals.push_back(s.index);
    }
    const double l = s.box.left, t = s.box.top, w = s.box.width, h = s.box.height;
    double box[4] = {l, t, l + w, t + h};
    if (kind == 1 || kind == 3 || kind == 5) {
      const auto d = Nearest((w > h ? w - h : h - w) / 2, INT16_MIN, INT16_MAX);
      if (!d) {
        e.faults.insert(Fault::kOverflow);
        return e;
      }
      if (w > h) {
        box[0] = l + *d, box[2] = l + w - *d;
      } else {
        box[1] = t + *d, box[3] = t + h - *d;
      }
    }
    long long pixels[4];
    for (int c = 0; c < 4; ++c) {
      const bool across = c % 2 == 0;
      const double ratio = across ? input.ratio.x : input.ratio.y;
      const double offset = static_cast<float>(across ? input.ox : input.oy);
      if (ratio == 0) {
        e.faults.insert(Fault::kDivisionByZero);
        continue;
      }
      const auto p = Nearest(box[c] / ratio + offset, INT32_MIN, INT32_MAX);
      if (!p) e.faults.insert(Fault::kOverflow);
      pixels[c] = p.value_or(0);
    }
    if (!e.faults.empty()) return e;

    std::string coordinates = std::to_string(pixels[0]);
    for (int c = 1; c < 4; ++c) coordinates += "," + std::to_string(pixels[c]);
    const std::string region = name();
    const char* call = kind <= 1 ? "CreateRectRgn(" : kind <= 3 ? "CreateEllipticRgn(" : nullptr;
    e.calls.push_back(call ? call + coordinates + ")->" + region
                           : "CreateRoundRectRgn(" + coordinates + ",28,28)->" + region);
    e.calls.push_back("CombineRgn(" + scratch + "," + outline + "," + outline + ",5)");
    e.calls.push_back("CombineRgn(" + outline + "," + scratch + "," + region + ",2)");
    e.calls.push_back("DeleteObject(" + region + ")");
  }
  e.calls.push_back("DeleteObject(" + scratch + ")");
  return e;
}

[[noreturn]] void Fail(const std::string& what, const std::vector<std::string>& expected,
                       const std::vector<std::string>& actual) {
  std::fprintf(stderr, "outline fuzzer: %s\nexpected calls:\n", what.c_str());
  for (const std::string& line : expected) std::fprintf(stderr, "  %s\n", line.c_str());
  std::fprintf(stderr, "actual calls:\n");
  for (const std::string& line : actual) std::fprintf(stderr, "  %s\n", line.c_str());
  std::abort();
}

Fault FaultOf(const RuntimeError& error) {
  const std::string what = error.what();
  if (what.find("Division by zero") != std::string::npos) return Fault::kDivisionByZero;
  if (what.find("Overflow") != std::string::npos) return Fault::kOverflow;
  return Fault::kNoSuchElement;
}

}  // namespace
}  // namespace amorix

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace amorix;
  const Input input = Decode(data, size);
  const Expected expected = Oracle(input);

  RegionRecorder platform;
  platform.fail = input.fail_regions;
  platform.ratio = input.ratio;
  Program program(platform);
  amorix::testing::ShapedForm form(program);
  form.Declare(input.shapes);

  std::optional<Fault> fault;
  WindowOutline result = nullptr;
  try {
    result = BuildOutline(form, input.ox, input.oy);
  } catch (const RuntimeError& error) {
    fault = FaultOf(error);
  }
  const std::vector<std::string>& actual = platform.calls;
  if (actual != expected.calls) Fail("the region calls differ", expected.calls, actual);
  if (fault.has_value() != !expected.faults.empty()) {
    Fail(fault ? "a run-time error where none was due" : "no run-time error where one was due",
         expected.calls, actual);
  }
  if (fault && !expected.faults.contains(*fault)) {
    Fail("the wrong run-time error", expected.calls, actual);
  }
  for (const std::int16_t index : expected.turned_to_ovals) {
    if (form.shpborder(index).Shape != 2) Fail("a kind out of range kept", expected.calls, actual);
  }
  if (platform.misused) Fail("a freed region was used", expected.calls, actual);
  if (fault) return 0;
  if (result != form.outline) Fail("the outline returned is not the one kept", {}, {});
  const std::set<int> outline_only =
      input.fail_regions ? std::set<int>{} : std::set<int>{RegionRecorder::Number(result)};
  if (platform.live != outline_only) Fail("a region leaked", expected.calls, actual);
  return 0;
}
