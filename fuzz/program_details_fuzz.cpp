#include <cstdint>
#include <string>

#include "catalogue/detail_values.h"
#include "catalogue/program_details.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/fake/fake_machine.h"
#include "uninstall/details_line.h"
#include "uninstall/program_actions.h"

namespace {

using velmoro::ProgramActionKind;

constexpr char16_t kCode[] = u"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}";
constexpr const char16_t* kNames[] = {
    u"DisplayVersion", u"Publisher", u"InstallDate", u"EstimatedSize",    u"QuietUninstallString",
    u"ModifyPath",     u"NoModify",  u"NoRepair",    u"WindowsInstaller", u"InstallLocation",
    u"URLInfoAbout",   u"HelpLink",  u"DisplayIcon"};
// Starts of texts that lead past the first checks of each value.
constexpr const char16_t* kStarts[] = {u"",         u"http://",     u"https://x",    u"C:\\App",
                                       u"Z:\\App",  u"%App%\\",     u"20240307",     u"\"C:\\App\\",
                                       u"msiexec ", u"\\\\?\\C:\\", u"\\\\server\\", u"1."};

bool IsAsciiDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// What each form guarantees, written out apart from the parsers so that a slip in either shows.
void CheckForms(const std::u16string& text) {
  if (velmoro::IsProductCode(text)) {
    FUZZ_CHECK(text.size() == 38 && text.front() == u'{' && text.back() == u'}');
  }
  if (const auto date = velmoro::ParseInstallDate(text)) {
    FUZZ_CHECK(text.size() == 8);
    for (const char16_t c : text) FUZZ_CHECK(IsAsciiDigit(c));
    FUZZ_CHECK(date->year >= 1601 && date->month >= 1 && date->month <= 12);
    FUZZ_CHECK(date->day >= 1 && date->day <= 31);
    const std::string written = std::to_string(date->year * 10000 + date->month * 100 + date->day);
    FUZZ_CHECK(text == std::u16string(written.begin(), written.end()));
  }
  if (velmoro::IsWebAddress(text)) {
    FUZZ_CHECK(text.size() <= velmoro::kMaxWebAddress);
    std::u16string scheme = text.substr(0, text.find(u':'));
    for (char16_t& c : scheme) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    FUZZ_CHECK(scheme == u"http" || scheme == u"https");
    for (const char16_t c : text) FUZZ_CHECK(c > 0x20 && c != 0x7F && c != u'"');
  }
}

// The subkey holds any of the values as a string, an expandable string, a number or bytes; texts
// begin with one of kStarts and go on with random units. Which values and types are picked first,
// so that every combination is a few bits away.
void Arrange(FuzzedDataProvider& input, velmoro::FakeMachine& machine, const std::u16string& key) {
  constexpr std::uint32_t kTypes[] = {velmoro::kRegSz, velmoro::kRegExpandSz, velmoro::kRegDword,
                                      velmoro::kRegBinary};
  const auto present = input.ConsumeIntegral<std::uint16_t>();
  const auto types = input.ConsumeIntegral<std::uint32_t>();
  machine.registry.AddKey(key);
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    if ((present >> i & 1) == 0) continue;
    const std::uint32_t type = kTypes[types >> (2 * i) & 3];
    if (type == velmoro::kRegDword) {
      machine.registry.SetDword(key, kNames[i],
                                input.ConsumeBool() ? input.ConsumeIntegralInRange(0u, 2u)
                                                    : input.ConsumeIntegral<std::uint32_t>());
    } else {
      machine.registry.SetString(key, kNames[i],
                                 input.PickValueInArray(kStarts) + ConsumeUtf16(input, 24), type);
    }
  }
  machine.shell.environment[u"APP"] = u"C:\\App";
  if (input.ConsumeBool()) machine.files.AddDirectory(u"C:\\App");
  if (input.ConsumeBool()) machine.files.SetFile(u"C:\\App\\un.exe", "");
  machine.files.drives[u'Z'] =
      input.ConsumeBool() ? velmoro::DriveKind::kRemote : velmoro::DriveKind::kFixed;
}

// The items come in their order, each at most once, "Uninstall" the default and "Copy Name"
// last; every command, folder and address is one its rules admit.
void CheckActions(const std::vector<velmoro::ProgramAction>& actions,
                  const velmoro::ProgramEntry& entry) {
  FUZZ_CHECK(actions.size() >= 2);
  for (std::size_t i = 1; i < actions.size(); ++i)
    FUZZ_CHECK(actions[i - 1].kind < actions[i].kind);
  for (const velmoro::ProgramAction& action : actions) {
    FUZZ_CHECK(action.is_default == (action.kind == ProgramActionKind::kUninstall));
    FUZZ_CHECK(action.literal == (action.kind == ProgramActionKind::kDetails));
    if (action.kind == ProgramActionKind::kDetails) FUZZ_CHECK(!action.enabled);
    if (action.kind == ProgramActionKind::kOpenInstallFolder) {
      FUZZ_CHECK(action.argument.starts_with(u"C:\\") && action.argument.back() == u'\\');
    }
    if (action.kind == ProgramActionKind::kOpenWebPage) {
      FUZZ_CHECK(velmoro::IsWebAddress(action.argument));
    }
  }
  FUZZ_CHECK(actions.back().kind == ProgramActionKind::kCopyName);
  FUZZ_CHECK(actions.back().argument == entry.name);
}

}  // namespace

// Any text through the three forms; any values in a program's subkey through the details read
// and the program's menu.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  CheckForms(ConsumeUtf16(input, 48));

  velmoro::FakeMachine machine;
  const std::u16string subkey = input.ConsumeBool() ? kCode : u"P";
  const velmoro::ProgramEntry entry{u"Program", u"C:\\App\\un.exe /x",      input.ConsumeBool(),
                                    false,      velmoro::kHkeyLocalMachine, 0,
                                    subkey};
  Arrange(input, machine, std::u16string(velmoro::FakeMachine::kUninstall) + u"\\" + subkey);

  const velmoro::ProgramDetails details =
      velmoro::ReadProgramDetails(entry, machine.registry, machine.shell);
  FUZZ_CHECK(machine.registry.open_key_count() == 0);
  FUZZ_CHECK(details.web_page.empty() || velmoro::IsWebAddress(details.web_page));
  FUZZ_CHECK(details.product_code.empty() || details.product_code == kCode);
  FUZZ_CHECK(!details.size_kb || *details.size_kb != 0);
  FUZZ_CHECK(details.display_icon ==
             velmoro::ReadDisplayIcon(entry, machine.registry, machine.shell));

  const std::u16string line = velmoro::DetailsLine(details, machine.text);
  FUZZ_CHECK(line.size() <= velmoro::kMaxShownVersion + velmoro::kMaxShownPublisher + 40);
  for (const char16_t c : line) FUZZ_CHECK(c >= 0x20 && (c < 0x7F || c > 0x9F));

  velmoro::Platform platform = machine.platform();
  CheckActions(velmoro::ProgramActions(entry, details, platform), entry);
  return 0;
}
