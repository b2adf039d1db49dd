// Recent detection and the list text form at the sizes of a large machine: run with
// --benchmark_counters_tabular=true; build without sanitizers for meaningful figures.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalogue/list_text.h"
#include "catalogue/program_entry.h"
#include "catalogue/recent_list.h"

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
    lines.push_back({std::move(entry), std::move(name)});
  }
  return lines;
}

// The snapshot holds the same entries as the program list except for `added` of them, spread
// over the list, so that detection meets misses all along.
void BM_RecentList(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const auto added = static_cast<std::size_t>(state.range(1));
  const std::vector<EntryLines> lines = ProgramLines(count);
  std::vector<std::string> snapshot;
  for (const EntryLines& line : lines) snapshot.push_back(line.entry);
  for (std::size_t i = 0; i < added; ++i) snapshot[i * (count / added)] += " (old)";
  const std::string snapshot_text = FormatListText(snapshot);
  std::vector<std::string> loaded;
  for (std::size_t i = 0; i < kMaxRecent; ++i) loaded.push_back(lines[(i * 7919) % count].name);
  const std::string loaded_text = FormatListText(loaded);
  std::vector<std::size_t> positions(count);
  for (std::size_t i = 0; i < count; ++i) positions[i] = i;
  for (auto _ : state) {
    const ProgramSet programs(lines, positions);
    Detection detection(programs);
    ForEachListLine(snapshot_text, [&](std::string_view line) {
      detection.See(line);
      return !detection.Done();
    });
    RecentList recent;
    recent.AddNew(detection.Found());
    ForEachListLine(loaded_text,
                    [&](std::string_view line) { return recent.AddOlder(programs, line); });
    benchmark::DoNotOptimize(recent.positions().data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}
BENCHMARK(BM_RecentList)
    ->Args({300, 1})
    ->Args({3000, 1})
    ->Args({30000, 1})
    ->Args({30000, 30})
    ->Args({30000, 30000})
    ->Unit(benchmark::kMillisecond);

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

void BM_FormatListText(benchmark::State& state) {
  const std::vector<std::string> lines = ProgramList(static_cast<std::size_t>(state.range(0)), "");
  for (auto _ : state) {
    std::string text = FormatListText(lines);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_FormatListText)->Arg(300)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmoro

BENCHMARK_MAIN();
