// What a one-line box keeps of what is typed or pasted into it: one line, whole characters only,
// and no more UTF-16 units than its limit leaves room for.

#include "app/fit_to_box.h"

#include <gtest/gtest.h>

namespace amorix {
namespace {

TEST(FitToBoxTest, KeepsOneLineOfWholeCharactersWithinTheLimit) {
  const std::u16string high(1, char16_t{0xD800}), low(1, char16_t{0xDE00});
  const std::u16string controls(u"\t\x1b\0 ", 4);
  struct Case {
    std::u16string text;
    std::size_t kept;
    int max_length;
    std::u16string want;
  };
  const Case cases[] = {
      {u"Bob\r\nAlice", 0, 20, u"Bob"},
      {u"Bob\rAlice", 0, 20, u"Bob"},
      {u"Bob\nAlice\nEve", 0, 0, u"Bob"},
      {u"\r\nBob", 0, 20, u""},
      {u"x" + high + u"y", 0, 20, u"xy"},
      {u"x" + low + u"y" + high, 0, 0, u"xy"},
      {low + high, 0, 20, u""},
      {high + u"\U0001F600", 18, 20, u"\U0001F600"},  // the half does not take the room
      {u"abc\U0001F600", 16, 20, u"abc"},             // the pair would straddle the limit
      {u"\U0001F600a", 19, 20, u""},                  // cut there, not skipped
      {u"abcdef", 17, 20, u"abc"},
      {u"abc", 25, 20, u""},  // a box already over its limit takes nothing
      {controls, 0, 20, controls},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitToBox(c.text, c.kept, c.max_length), c.want)
        << c.text.size() << " units, " << c.kept << " kept, limit " << c.max_length;
  }
}

}  // namespace
}  // namespace amorix
