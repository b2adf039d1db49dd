#include "catalogue/display_icon.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace velmoro {
namespace {

using namespace std::string_view_literals;

struct IconCase {
  std::u16string_view text;  // may hold a NUL
  std::optional<IconLocation> expected;
};

void PrintTo(const IconCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::u16string(c.text));
}

std::optional<IconLocation> At(const char16_t* path, int index = 0) {
  return IconLocation{path, index};
}

constexpr auto kNone = std::nullopt;

const IconCase kCases[] = {
    // As installers write it.
    {uR"(C:\App\app.exe)"sv, At(uR"(C:\App\app.exe)")},
    {uR"(C:\App\app.exe,0)"sv, At(uR"(C:\App\app.exe)")},
    {uR"(C:\App\app.exe,-101)"sv, At(uR"(C:\App\app.exe)", -101)},
    {uR"("C:\Program Files\App\app.exe",1)"sv, At(uR"(C:\Program Files\App\app.exe)", 1)},
    {uR"("C:\Program Files\App\app.exe")"sv, At(uR"(C:\Program Files\App\app.exe)")},
    {uR"(C:\App\LIB.Dll,+4)"sv, At(uR"(C:\App\LIB.Dll)", 4)},
    {uR"(C:\App\app.exe,007)"sv, At(uR"(C:\App\app.exe)", 7)},
    {uR"(C:\App\app.exe,+0)"sv, At(uR"(C:\App\app.exe)")},
    {uR"(C:\Pictures\logo.png)"sv, At(uR"(C:\Pictures\logo.png)")},
    {uR"(%ProgramFiles%\App\app.ico)"sv, At(uR"(%ProgramFiles%\App\app.ico)")},
    {uR"(C:\Программы\Прога.exe,2)"sv, At(uR"(C:\Программы\Прога.exe)", 2)},
    {uR"(\\?\C:\App\app.exe,1)"sv, At(uR"(\\?\C:\App\app.exe)", 1)},
    // Blanks and tabs around the path, the comma and the index, inside the quotes too.
    {uR"(C:\App\app.exe, 2)"sv, At(uR"(C:\App\app.exe)", 2)},
    {u" \t C:\\App\\app.exe \t,\t -3 \t"sv, At(uR"(C:\App\app.exe)", -3)},
    {uR"(  " C:\App\app.exe " , 5  )"sv, At(uR"(C:\App\app.exe)", 5)},
    // Commas inside a path: only the last one can start an index, and only before digits.
    {uR"("C:\A, B\x.ico")"sv, At(uR"(C:\A, B\x.ico)")},
    {uR"("C:\A,1\x.ico",2)"sv, At(uR"(C:\A,1\x.ico)", 2)},
    {uR"(C:\Tools,1\app.exe)"sv, At(uR"(C:\Tools,1\app.exe)")},
    {uR"(C:\A,1\B,2\x.exe,3)"sv, At(uR"(C:\A,1\B,2\x.exe)", 3)},
    {uR"(C:\App\app.exe,)"sv, At(uR"(C:\App\app.exe,)")},
    {uR"(C:\App\app.exe,x1)"sv, At(uR"(C:\App\app.exe,x1)")},
    {uR"(C:\App\app.exe,1 2)"sv, At(uR"(C:\App\app.exe,1 2)")},
    {uR"(C:\App\app.exe,- 1)"sv, At(uR"(C:\App\app.exe,- 1)")},
    {uR"(C:\App\app.exe,+-1)"sv, At(uR"(C:\App\app.exe,+-1)")},
    {uR"(C:\App\app.exe,١)"sv, At(uR"(C:\App\app.exe,١)")},
    // Limits: a position up to INT_MAX, a resource id up to 65535; -0 names no resource.
    {uR"(C:\a.exe,2147483647)"sv, At(uR"(C:\a.exe)", 2147483647)},
    {uR"(C:\a.exe,2147483648)"sv, kNone},
    {uR"(C:\a.exe,99999999999999999999999)"sv, kNone},
    {uR"(C:\a.exe,-65535)"sv, At(uR"(C:\a.exe)", -65535)},
    {uR"(C:\a.exe,-65536)"sv, kNone},
    {uR"(C:\a.exe,-2147483648)"sv, kNone},
    {uR"(C:\a.exe,-2147483649)"sv, kNone},
    {uR"(C:\a.exe,-0)"sv, kNone},
    {uR"("C:\a.exe",-00)"sv, kNone},
    {uR"("C:\a.exe",2147483648)"sv, kNone},
    // Nothing to read.
    {u""sv, kNone},
    {u" \t "sv, kNone},
    {u"\""sv, kNone},
    {u"\"\""sv, kNone},
    {u"\"  \",1"sv, kNone},
    {u",1"sv, kNone},
    {u" , 1"sv, kNone},
    {uR"("C:\App\app.exe)"sv, kNone},
    {uR"("C:\App\app.exe"x)"sv, kNone},
    {uR"("C:\App\app.exe" 1)"sv, kNone},
    {uR"("C:\App\app.exe",)"sv, kNone},
    {uR"("C:\App\app.exe",x)"sv, kNone},
    {uR"("C:\App\app.exe",1,2)"sv, kNone},
    {uR"("C:\App\app.exe"",1)"sv, kNone},
    // Characters no Windows path holds.
    {uR"(C:\App\a"b.exe)"sv, kNone},
    {uR"(C:\App\a<b.exe)"sv, kNone},
    {uR"(C:\App\a>b.exe,1)"sv, kNone},
    {uR"("C:\App\a|b.exe",1)"sv, kNone},
    {uR"(C:\App\*.exe)"sv, kNone},
    {uR"(C:\App\app?.exe)"sv, kNone},
    {uR"(\\?\C:\App\*.exe)"sv, kNone},
    {uR"(\??\C:\App\app.exe)"sv, kNone},
    {u"C:\\App\\a\tb.exe"sv, kNone},
    {u"\"C:\\App\\a\nb.exe\""sv, kNone},
    {u"C:\\App\\a\x1f.exe"sv, kNone},
    {u"C:\\App\\app.exe\0.ico,1"sv, kNone},
};

class ParseDisplayIconTest : public ::testing::TestWithParam<IconCase> {};

TEST_P(ParseDisplayIconTest, FindsFileAndIndex) {
  const auto result = ParseDisplayIcon(GetParam().text);
  ASSERT_EQ(result.has_value(), GetParam().expected.has_value());
  if (result) {
    EXPECT_EQ(result->path, GetParam().expected->path);
    EXPECT_EQ(result->index, GetParam().expected->index);
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseDisplayIconTest, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace velmoro
