// Opening a program's own menu, on the fake registry with 3,000 programs (the machine's, both
// views and the user's): its subkey's values read, and its items made. The fake answers each call
// from memory, so the figures are the program's own cost; on Windows each registry call adds a
// round trip, counted in "registry_calls".
#include <benchmark/benchmark.h>

#include <string>

#include "catalogue/enumeration.h"
#include "catalogue/program_details.h"
#include "platform/fake/fake_machine.h"
#include "uninstall/program_actions.h"

namespace velmoro {
namespace {

// Programs as installers leave them: every value the menu reads, a third of them Windows Installer
// entries named by their product code.
void AddPrograms(FakeMachine& machine, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(100000 + i);
    const std::u16string number(n.begin(), n.end());
    const std::u16string key =
        i % 3 == 0 ? u"{0A1B2C3D-4E5F-6789-ABCD-EF0123" + number + u"}" : u"Program" + number;
    const auto view = i % 2 == 0 ? FakeRegistry::View::k64 : FakeRegistry::View::k32;
    machine.AddProgram(key, u"Program " + number, u"C:\\Apps\\" + number + u"\\un.exe /x", view);
    const std::u16string path = std::u16string(FakeMachine::kUninstall) + u"\\" + key;
    auto text = [&](const char16_t* name, const std::u16string& value) {
      machine.registry.SetString(path, name, value, kRegSz, view);
    };
    text(u"DisplayVersion", u"10.4." + number);
    text(u"Publisher", u"Quinsett Software Components Ltd.");
    text(u"InstallDate", u"20240307");
    text(u"QuietUninstallString", u"\"C:\\Apps\\" + number + u"\\un.exe\" /x /S");
    text(u"InstallLocation", u"C:\\Apps\\" + number);
    text(u"URLInfoAbout", u"https://quinsett.example/" + number);
    text(u"DisplayIcon", u"C:\\Apps\\" + number + u"\\app.exe,0");
    machine.registry.SetDword(path, u"EstimatedSize", 12600, view);
    machine.registry.SetDword(path, u"NoModify", 1, view);
    machine.registry.SetDword(path, u"WindowsInstaller", i % 3 == 0 ? 1 : 0, view);
    machine.files.AddDirectory(u"C:\\Apps\\" + number);
    machine.files.SetFile(u"C:\\Apps\\" + number + u"\\un.exe", "");
  }
}

// state.range(0): read the details only (0), or make the menu's items from them too (1).
void BM_OpenProgramMenu(benchmark::State& state) {
  FakeMachine machine;
  AddPrograms(machine, 3000);
  const std::vector<ProgramEntry> entries =
      EnumeratePrograms(machine.registry, machine.threads, [] {});
  Platform platform = machine.platform();
  const std::size_t calls = machine.registry.call_count();
  std::size_t next = 0;
  for (auto _ : state) {
    const ProgramEntry& entry = entries[next++ * 7919 % entries.size()];
    const ProgramDetails details = ReadProgramDetails(entry, machine.registry, machine.shell);
    if (state.range(0) == 1) {
      benchmark::DoNotOptimize(ProgramActions(entry, details, platform).data());
    } else {
      benchmark::DoNotOptimize(details.version.data());
    }
  }
  state.counters["programs"] = static_cast<double>(entries.size());
  state.counters["registry_calls"] = static_cast<double>(machine.registry.call_count() - calls) /
                                     static_cast<double>(state.iterations());
}
BENCHMARK(BM_OpenProgramMenu)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmoro
