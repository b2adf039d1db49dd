#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/application.h"
#include "catalogue/list_files.h"
#include "catalogue/list_text.h"
#include "catalogue/program_entry.h"
#include "catalogue/recent_list.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "list_text_form.h"
#include "platform/fake/fake_machine.h"

namespace {

using velmoro::FakeDesktop;
using velmoro::FakeFiles;
using velmoro::FakeMachine;
using velmoro::FakeRegistry;

constexpr const char16_t* kDir = FakeMachine::kDataDir;
const std::u16string kAll = FakeMachine::DataFile(u"All.dat");
const std::u16string kRecent = FakeMachine::DataFile(u"Recent.dat");

constexpr std::uint32_t kTypes[] = {velmoro::kRegSz, velmoro::kRegExpandSz, velmoro::kRegDword,
                                    velmoro::kRegBinary, velmoro::kRegMultiSz};

void SetValue(FuzzedDataProvider& input, FakeRegistry& registry, const std::u16string& key,
              const char16_t* name, FakeRegistry::View view) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return;  // missing
    case 1:
      registry.SetString(key, name, ConsumeUtf16(input, 20), velmoro::kRegSz, view);
      return;
    case 2:
      registry.SetDword(key, name, input.ConsumeIntegral<std::uint32_t>(), view);
      return;
    default:
      registry.SetRaw(key, name, input.PickValueInArray(kTypes), input.ConsumeRandomLengthString(8),
                      view);
  }
}

char16_t Lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SortedCaseInsensitively(const std::vector<velmoro::ProgramEntry>& list) {
  return std::is_sorted(list.begin(), list.end(), [](const auto& a, const auto& b) {
    const std::u16string x = velmoro::EntryText(a);
    const std::u16string y = velmoro::EntryText(b);
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                        [](char16_t p, char16_t q) { return Lower(p) < Lower(q); });
  });
}

void InjectFault(FuzzedDataProvider& input, FakeFiles& files) {
  constexpr velmoro::ErrorCode kCode = velmoro::kErrorAccessDenied;
  switch (input.ConsumeIntegralInRange(0, 8)) {
    case 1:
      files.RefuseRead(kAll, kCode);
      break;
    case 2:
      files.RefuseRead(kRecent, kCode);
      break;
    case 3:
      files.FailNewFiles(kDir, kCode, input.ConsumeIntegralInRange(0, 1));
      break;
    case 4:
      files.ShortWrite(kDir + (u"\\" + velmoro::TempFileName(input.ConsumeIntegralInRange(1, 2))),
                       input.ConsumeIntegralInRange<std::size_t>(0, 8));
      break;
    case 5:
      files.RefuseCreate(kDir + (u"\\" + velmoro::TempFileName(input.ConsumeIntegralInRange(1, 2))),
                         kCode);
      break;
    case 6:
      files.FailMove(kAll, kCode);
      break;
    case 7:
      files.FailMove(kRecent, kCode);
      break;
    default:
      break;
  }
}

// Notices the platform may deliver at any moment, given to the program inside message boxes and
// while start-up handles pending messages: none may crash it or make it show a second menu.
void DeliverNotices(FuzzedDataProvider& input, velmoro::Application& application) {
  const int count = input.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < count; ++i) {
    const auto command = input.ConsumeIntegral<std::uint16_t>();
    switch (input.ConsumeIntegralInRange(0, 8)) {
      case 0:
        application.OnHostActivated();
        break;
      case 1:
        application.OnRestore();
        break;
      case 2:
        application.OnCommand(command);
        break;
      case 3:
        application.OnSubmenuOpening(command);
        break;
      case 4:
        application.OnMenuChar(command, static_cast<char16_t>(command), -1);
        break;
      case 5:
        application.OnMenuSelect(command, command);
        break;
      case 6:
        application.OnSubmenuClosed(command);
        break;
      case 7:
        application.OnMenuInput({velmoro::MenuInput::Kind::kKeyDown, velmoro::kVkApps, false});
        break;
      default:
        application.OnEndAsked();
        break;
    }
  }
}

// A registry of up to 24 subkeys in either view, the machine's or the user's, with values of any
// type or none.
void FillRegistry(FuzzedDataProvider& input, FakeRegistry& registry) {
  const int programs = input.ConsumeIntegralInRange(0, 24);
  for (int i = 0; i < programs; ++i) {
    const auto view = input.ConsumeBool() ? FakeRegistry::View::k64 : FakeRegistry::View::k32;
    const char16_t* root = input.ConsumeIntegralInRange(0, 3) == 0 ? FakeMachine::kUserUninstall
                                                                   : FakeMachine::kUninstall;
    const std::u16string key = root + (u"\\" + ConsumeUtf16(input, 4) + char16_t(u'A' + i));
    registry.AddKey(key, view);
    SetValue(input, registry, key, u"DisplayName", view);
    SetValue(input, registry, key, u"UninstallString", view);
    SetValue(input, registry, key, u"NoRemove", view);
  }
}

// The machine's data files as the last run may have left them.
struct OldFiles {
  std::optional<std::string> all;
  std::optional<std::string> recent;
};

OldFiles FillFiles(FuzzedDataProvider& input, FakeFiles& files) {
  OldFiles old;
  if (input.ConsumeBool()) old.all = input.ConsumeRandomLengthString(400);
  if (input.ConsumeBool()) old.recent = input.ConsumeRandomLengthString(200);
  if (old.all) files.SetFile(kAll, *old.all);
  if (old.recent) files.SetFile(kRecent, *old.recent);
  return old;
}

// Each recent item shows and starts a program whose 8-bit name is the item's line; returns the
// lines.
std::vector<std::string> CheckRecentItems(const velmoro::TForm1& form, FakeMachine& machine) {
  const std::vector<velmoro::ProgramEntry>& program_list = form.ListBox1.Items();
  std::vector<std::string> recent_lines;
  FUZZ_CHECK(form.Recent1->Count() <= velmoro::kMaxRecent);
  for (std::size_t i = 0; i < form.Recent1->Count(); ++i) {
    const velmoro::MenuItem& item = (*form.Recent1)[i];
    FUZZ_CHECK(item.Entry && *item.Entry < program_list.size());
    FUZZ_CHECK(item.Caption == program_list[*item.Entry].name);
    recent_lines.push_back(velmoro::DataFileLines(program_list[*item.Entry], machine.text).name);
  }
  FUZZ_CHECK(SortedCaseInsensitively(program_list));
  FUZZ_CHECK(form.N11->Count() == 0 || form.N11->Count() == program_list.size());
  return recent_lines;
}

// The machine's files hold its programs alone, every entry on one line; where no program is the
// user's own, "Recent.dat" holds the recent items' lines. Both are replaced, or neither.
void CheckDataFiles(const velmoro::TForm1& form, FakeMachine& machine, const OldFiles& old,
                    const std::vector<std::string>& recent_lines) {
  std::vector<std::string> machine_list;
  bool per_user = false;
  for (const auto& entry : form.ListBox1.Items()) {
    per_user = per_user || entry.per_user;
    if (!entry.per_user) machine_list.push_back(velmoro::DataFileLines(entry, machine.text).entry);
  }
  const auto all_now = machine.files.File(kAll);
  const auto recent_now = machine.files.File(kRecent);
  const bool all_replaced = all_now == velmoro::FormatListText(machine_list);
  FUZZ_CHECK(all_replaced || all_now == old.all);
  if (!per_user) {
    const bool recent_replaced = recent_now == velmoro::FormatListText(recent_lines);
    FUZZ_CHECK((all_replaced && recent_replaced) ||
               (all_now == old.all && recent_now == old.recent));
    if (machine.desktop.boxes.empty()) FUZZ_CHECK(all_replaced && recent_replaced);
  }
  if (all_replaced) {
    std::size_t lines = 0;
    velmoro::ForEachListLine(*all_now, [&](std::string_view) { return ++lines != 0; });
    FUZZ_CHECK(lines == machine_list.size());
  }
  // No stray temporary file is left behind.
  for (const std::u16string& path : machine.files.FilePaths()) {
    FUZZ_CHECK(path.size() > 4 && path.compare(path.size() - 4, 4, u".dat") == 0);
  }
}

}  // namespace

// One start-up on a registry and two files made from the input, with at most one file fault and
// notices out of turn.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  FakeMachine machine(input.ConsumeBool());
  machine.files.AddDirectory(kDir);
  FillRegistry(input, machine.registry);
  const OldFiles old = FillFiles(input, machine.files);
  InjectFault(input, machine.files);

  velmoro::Platform platform = machine.platform();
  velmoro::Application application(platform);
  machine.desktop.on_box = [&](const FakeDesktop::Box&) { DeliverNotices(input, application); };
  const bool close_posted = input.ConsumeBool();
  if (close_posted) machine.desktop.PostClose();
  application.Initialize();
  application.SetTitle(velmoro::kTitle);
  application.CreateForm();
  DeliverNotices(input, application);
  application.Run();

  const velmoro::TForm1& form = *application.Form1();
  const std::vector<std::string> recent_lines = CheckRecentItems(form, machine);
  // A close request taken once start-up is over ends the program before its menu.
  FUZZ_CHECK(machine.desktop.popups.size() == 1 ||
             (close_posted && machine.desktop.popups.empty()));
  CheckDataFiles(form, machine, old, recent_lines);
  FUZZ_CHECK(!machine.desktop.waited_forever);
  return 0;
}
