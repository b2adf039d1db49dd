// Recent detection and the list text form at the sizes of a large machine: run with
// --benchmark_counters_tabular=true; build without sanitizers for meaningful figures.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalogue/list_text.h"
#include "catalogue/program_entry.h"
#include "catalogue/recent_list.h"
#include "catalogue/utf8_text.h"
#include "list_text_form.h"

namespace velmoro {
namespace {

std::vector<std::string> ProgramList(std::size_t count, const char* command_tag) {
  std::vector<std::string> entries;
  entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string number = std::to_string(i);
    entries.push_back("Program " + number + " (x64) Component Runtime<#>MsiExec.exe /X{" + number +
                      command_tag + "}");
  }
  return entries;
}

std::vector<EntryLines> ProgramLines(std::size_t count) {
  std::vector<EntryLines> lines;
  for (std::string& entry : ProgramList(count, "-A")) {
    std::string name = entry.substr(0, entry.find("<#>"));
    std::string utf8_entry = entry;
    lines.push_back({std::move(entry), std::move(name), std::move(utf8_entry)});
  }
  return lines;
}

// The snapshot holds the same entries as the program list except for `added` of them, spread
// over the list, so that detection meets misses all along. The older lines are names, as in the
// machine's files, or (third argument 1) UTF-8 entry lines, as in a user's.
void BM_RecentList(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const auto added = static_cast<std::size_t>(state.range(1));
  const LineForm form = state.range(2) == 0 ? LineForm::kAnsi : LineForm::kUtf8;
  const std::vector<EntryLines> lines = ProgramLines(count);
  std::vector<std::string> snapshot;
  for (const EntryLines& line : lines) snapshot.push_back(line.Entry(form));
  for (std::size_t i = 0; i < added; ++i) snapshot[i * (count / added)] += " (old)";
  const std::string snapshot_text = FormatListText(snapshot);
  std::vector<std::string> loaded;
  for (std::size_t i = 0; i < kMaxRecent; ++i) {
    const EntryLines& line = lines[(i * 7919) % count];
    loaded.push_back(form == LineForm::kAnsi ? line.name : line.utf8_entry);
  }
  const std::string loaded_text = FormatListText(loaded);
  std::vector<std::size_t> positions(count);
  for (std::size_t i = 0; i < count; ++i) positions[i] = i;
  for (auto _ : state) {
    const ProgramSet programs(lines, positions);
    Detection detection(programs, form);
    ForEachListLine(snapshot_text, [&](std::string_view line) {
      detection.See(line);
      return !detection.Done();
    });
    RecentList recent;
    recent.AddNew(detection.Found());
    ForEachListLine(loaded_text, [&](std::string_view line) {
      return form == LineForm::kAnsi ? recent.AddOlder(programs, line)
                                     : recent.AddExact(programs, line);
    });
    benchmark::DoNotOptimize(recent.positions().data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}
BENCHMARK(BM_RecentList)
    ->Args({300, 1, 0})
    ->Args({3000, 1, 0})
    ->Args({30000, 1, 0})
    ->Args({30000, 30, 0})
    ->Args({30000, 30000, 0})
    ->Args({30000, 30, 1})
    ->Unit(benchmark::kMillisecond);

// Every program's line of a user's files, from its UTF-16 name and command: a quarter of the names
// in a script beyond Latin-1, as on a machine with programs of several languages.
void BM_ToUtf8(benchmark::State& state) {
  std::vector<std::u16string> entries;
  for (std::string& entry : ProgramList(static_cast<std::size_t>(state.range(0)), "")) {
    std::u16string text(entry.begin(), entry.end());
    if (entries.size() % 4 == 0) text.insert(0, u"\u5FAE\u8F6F\u62FC\u97F3 ");
    entries.push_back(std::move(text));
  }
  for (auto _ : state) {
    for (const std::u16string& entry : entries) {
      std::string utf8 = ToUtf8(entry);
      benchmark::DoNotOptimize(utf8.data());
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * entries.size()));
}
BENCHMARK(BM_ToUtf8)->Arg(300)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_ForEachListLine(benchmark::State& state) {
  const std::string text =
      FormatListText(ProgramList(static_cast<std::size_t>(state.range(0)), ""));
  for (auto _ : state) {
    std::size_t lines = 0;
    ForEachListLine(text, [&](std::string_view) { return ++lines != 0; });
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ForEachListLine)->Arg(300)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmoro

BENCHMARK_MAIN();
