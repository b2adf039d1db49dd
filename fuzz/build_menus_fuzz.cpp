#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "app/application.h"
#include "catalogue/list_text.h"
#include "catalogue/program_entry.h"
#include "catalogue/recent_list.h"
#include "fuzz_check.h"
#include "platform/fake/fake_machine.h"

namespace {

using velmoro::FakeFiles;
using velmoro::FakeRegistry;

using velmoro::FakeMachine;

constexpr const char* kDir = FakeMachine::kDataDir;
const std::string kAll = FakeMachine::DataFile("All.dat");
const std::string kRecent = FakeMachine::DataFile("Recent.dat");

constexpr std::uint32_t kTypes[] = {velmoro::kRegSz, velmoro::kRegExpandSz, velmoro::kRegDword,
                                    velmoro::kRegBinary, velmoro::kRegMultiSz};

void SetValue(FuzzedDataProvider& input, FakeRegistry& registry, const std::string& key,
              const char* name, FakeRegistry::View view) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return;  // missing
    case 1:
      registry.SetString(key, name, input.ConsumeRandomLengthString(40), velmoro::kRegSz, view);
      return;
    case 2:
      registry.SetDword(key, name, input.ConsumeIntegral<std::uint32_t>(), view);
      return;
    default:
      registry.SetRaw(key, name, input.PickValueInArray(kTypes), input.ConsumeRandomLengthString(8),
                      view);
  }
}

bool SortedCaseInsensitively(const std::vector<std::string>& list) {
  const auto less = [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) <
             std::tolower(static_cast<unsigned char>(y));
    });
  };
  return std::is_sorted(list.begin(), list.end(), less);
}

void InjectFault(FuzzedDataProvider& input, FakeFiles& files) {
  constexpr std::uint32_t kCode = FakeFiles::kAccessDenied;
  switch (input.ConsumeIntegralInRange(0, 8)) {
    case 1:
      files.RefuseRead(kAll, kCode);
      break;
    case 2:
      files.RefuseRead(kRecent, kCode);
      break;
    case 3:
      files.FailTempCreation(kCode, input.ConsumeIntegralInRange(0, 1));
      break;
    case 4:
      files.ShortWrite(FakeFiles::TempName(kDir, input.ConsumeIntegralInRange(1, 2)),
                       input.ConsumeIntegralInRange<std::size_t>(0, 8));
      break;
    case 5:
      files.RefuseCreate(FakeFiles::TempName(kDir, input.ConsumeIntegralInRange(1, 2)), kCode);
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

}  // namespace

// One start-up on a registry and two files made from the input, with at most one file fault.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  FakeMachine machine(input.ConsumeBool());
  FakeRegistry& registry = machine.registry;
  FakeFiles& files = machine.files;
  files.AddDirectory(kDir);
  const int programs = input.ConsumeIntegralInRange(0, 24);
  for (int i = 0; i < programs; ++i) {
    const auto view = input.ConsumeBool() ? FakeRegistry::View::k64 : FakeRegistry::View::k32;
    const std::string key = std::string(FakeMachine::kUninstall) + "\\" + std::to_string(i);
    registry.AddKey(key, view);
    SetValue(input, registry, key, "DisplayName", view);
    SetValue(input, registry, key, "UninstallString", view);
    SetValue(input, registry, key, "NoRemove", view);
  }
  std::optional<std::string> old_all;
  std::optional<std::string> old_recent;
  if (input.ConsumeBool()) old_all = input.ConsumeRandomLengthString(400);
  if (input.ConsumeBool()) old_recent = input.ConsumeRandomLengthString(200);
  if (old_all) files.SetFile(kAll, *old_all);
  if (old_recent) files.SetFile(kRecent, *old_recent);
  InjectFault(input, files);

  velmoro::Platform platform = machine.platform();
  velmoro::Application application(platform);
  application.Initialize();
  application.SetTitle(velmoro::kTitle);
  application.CreateForm();
  application.Run();

  const velmoro::TForm1& form = *application.Form1();
  const std::vector<std::string>& program_list = form.ListBox1.Items();
  std::vector<std::string> recent;
  for (std::size_t i = 0; i < form.Recent1->Count(); ++i)
    recent.push_back((*form.Recent1)[i].Caption);

  FUZZ_CHECK(recent.size() <= velmoro::kMaxRecent);
  for (const std::string& line : recent) {
    FUZZ_CHECK(std::any_of(program_list.begin(), program_list.end(), [&](const std::string& entry) {
      return velmoro::DisplayName(entry) == line;
    }));
  }
  FUZZ_CHECK(SortedCaseInsensitively(program_list));
  FUZZ_CHECK(form.N11->Count() == program_list.size());

  const auto all_now = files.File(kAll);
  const auto recent_now = files.File(kRecent);
  const bool unchanged = all_now == old_all && recent_now == old_recent;
  const bool replaced = all_now == velmoro::FormatListText(program_list) &&
                        recent_now == velmoro::FormatListText(recent);
  FUZZ_CHECK(unchanged || replaced);
  if (machine.desktop.boxes.empty()) FUZZ_CHECK(replaced);
  if (replaced) {
    const bool plain =
        std::none_of(program_list.begin(), program_list.end(), [](const std::string& e) {
          return e.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
        });
    if (plain) FUZZ_CHECK(velmoro::ParseListText(*all_now) == program_list);
  }
  // No stray temporary file is left behind.
  for (const std::string& path : files.FilePaths()) FUZZ_CHECK(path == kAll || path == kRecent);
  FUZZ_CHECK(!machine.desktop.waited_forever);
  return 0;
}
