#include "catalogue/memory_texts.h"

#include "catalogue/list_text.h"

namespace velmoro {

namespace {

constexpr std::string_view kMachineTag = "M ";
constexpr std::string_view kOwnTag = "U ";

std::vector<std::size_t> Positions(const std::vector<bool>& per_user, bool own) {
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < per_user.size(); ++i) {
    if (per_user[i] == own) positions.push_back(i);
  }
  return positions;
}

std::vector<EntryLines> LinesOf(const std::vector<ProgramEntry>& programs, TextApi& text) {
  std::vector<EntryLines> lines;
  lines.reserve(programs.size());
  for (const ProgramEntry& program : programs) lines.push_back(DataFileLines(program, text));
  return lines;
}

std::vector<bool> PerUser(const std::vector<ProgramEntry>& programs) {
  std::vector<bool> per_user;
  per_user.reserve(programs.size());
  for (const ProgramEntry& program : programs) per_user.push_back(program.per_user);
  return per_user;
}

// A line of the user's files: its tag, then the entry line or name.
void AppendTagged(std::string& text, std::string_view tag, std::string_view line) {
  text.append(tag);
  AppendListLine(text, line);
}

// The bytes after the first line, when that line is `header`.
std::optional<std::string_view> AfterFirstLine(std::string_view bytes, std::string_view header) {
  if (bytes.substr(0, header.size()) != header) return std::nullopt;
  std::string_view rest = bytes.substr(header.size());
  // The first line ends here, or the header was only the start of a longer line.
  if (!rest.empty() && rest.front() != '\r' && rest.front() != '\n') return std::nullopt;
  if (!rest.empty() && rest.front() == '\r') rest.remove_prefix(1);
  if (!rest.empty() && rest.front() == '\n') rest.remove_prefix(1);
  return rest;
}

}  // namespace

RunPrograms::RunPrograms(const std::vector<ProgramEntry>& programs, TextApi& text)
    : lines(LinesOf(programs, text)),
      per_user(PerUser(programs)),
      machine(lines, Positions(per_user, false)),
      own(lines, Positions(per_user, true)) {}

std::string MachineSnapshotText(const RunPrograms& programs) {
  std::size_t size = 0;
  for (const std::size_t position : programs.machine.positions()) {
    size += programs.lines[position].entry.size() + 2;
  }
  std::string text;
  text.reserve(size);
  for (const std::size_t position : programs.machine.positions()) {
    AppendListLine(text, programs.lines[position].entry);
  }
  return text;
}

std::string MachineListText(const RunPrograms& programs, const std::vector<std::size_t>& list) {
  std::string text;
  for (const std::size_t position : list) AppendListLine(text, programs.lines[position].name);
  return text;
}

std::string UserSnapshotText(const RunPrograms& programs) {
  std::size_t size = kUserSnapshotHeader.size() + 2;
  for (const EntryLines& line : programs.lines) {
    size += kMachineTag.size() + line.utf8_entry.size() + 2;
  }
  std::string text;
  text.reserve(size);
  AppendListLine(text, kUserSnapshotHeader);
  for (std::size_t i = 0; i < programs.lines.size(); ++i) {
    AppendTagged(text, programs.IsOwn(i) ? kOwnTag : kMachineTag, programs.lines[i].utf8_entry);
  }
  return text;
}

std::string UserListText(const RunPrograms& programs, const std::vector<std::size_t>& list) {
  std::string text;
  AppendListLine(text, kUserListHeader);
  for (const std::size_t position : list) {
    AppendTagged(text, programs.IsOwn(position) ? kOwnTag : kMachineTag,
                 programs.lines[position].utf8_entry);
  }
  return text;
}

std::optional<UserLines> ReadUserSnapshot(std::string_view bytes) {
  if (const std::optional<std::string_view> lines = AfterFirstLine(bytes, kUserSnapshotHeader)) {
    return UserLines{LineForm::kUtf8, *lines};
  }
  if (const std::optional<std::string_view> lines = AfterFirstLine(bytes, kAnsiSnapshotHeader)) {
    return UserLines{LineForm::kAnsi, *lines};
  }
  return std::nullopt;
}

UserLines ReadUserList(std::string_view bytes) {
  if (const std::optional<std::string_view> lines = AfterFirstLine(bytes, kUserListHeader)) {
    return {LineForm::kUtf8, *lines};
  }
  return {LineForm::kAnsi, bytes};
}

std::optional<TaggedLine> ReadTagged(std::string_view line) {
  for (const bool own : {false, true}) {
    const std::string_view tag = own ? kOwnTag : kMachineTag;
    if (line.substr(0, tag.size()) == tag) return TaggedLine{own, line.substr(tag.size())};
  }
  return std::nullopt;
}

}  // namespace velmoro
