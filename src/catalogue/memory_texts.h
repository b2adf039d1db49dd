#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/program_entry.h"
#include "catalogue/recent_list.h"
#include "platform/text_api.h"

namespace velmoro {

// This run's program list in the data files' forms, and its programs by where they are
// installed: for the whole machine, or for the current user only.
struct RunPrograms {
  RunPrograms(const std::vector<ProgramEntry>& programs, TextApi& text);
  RunPrograms(const RunPrograms&) = delete;
  RunPrograms& operator=(const RunPrograms&) = delete;

  const ProgramSet& SetOf(bool per_user) const { return per_user ? own : machine; }
  bool IsOwn(std::size_t position) const { return per_user[position]; }

  std::vector<EntryLines> lines;
  std::vector<bool> per_user;
  ProgramSet machine;
  ProgramSet own;
};

// The machine's files: "All.dat" holds the machine's programs' entry lines in list order,
// "Recent.dat" the names of its recent list.
std::string MachineSnapshotText(const RunPrograms& programs);
std::string MachineListText(const RunPrograms& programs, const std::vector<std::size_t>& list);

// The user's files, in UTF-8. "All.dat" begins with a line of its own, which no entry line can be
// (it holds no separator), then holds every program of the list, each line tagged "M " for the
// machine's or "U " for the user's own. "Recent.dat" begins with a line of its own too, then
// holds the entry lines of the user's list, tagged the same way.
inline constexpr std::string_view kUserSnapshotHeader =
    "Velmoro Uninstaller, UTF-8: the programs seen by this user";
inline constexpr std::string_view kUserListHeader =
    "Velmoro Uninstaller, UTF-8: the recent programs of this user";
std::string UserSnapshotText(const RunPrograms& programs);
std::string UserListText(const RunPrograms& programs, const std::vector<std::size_t>& list);

// The user's files of the earlier form, in the ANSI code page: "All.dat" begins with this line,
// then holds the tagged entry lines; "Recent.dat" holds the list's names alone, tagged, with no
// first line of its own.
inline constexpr std::string_view kAnsiSnapshotHeader =
    "Velmoro Uninstaller: the programs seen by this user";

// The lines of a user's file after its first line, and their form.
struct UserLines {
  LineForm form;
  std::string_view lines;
};
// Nothing when "All.dat" begins with neither first line: it is no snapshot of the user's, but an
// earlier version's, which held the user's own programs alone.
std::optional<UserLines> ReadUserSnapshot(std::string_view bytes);
// A "Recent.dat" that does not begin with its first line is of the earlier form: every line of it.
UserLines ReadUserList(std::string_view bytes);

// A tagged line of the user's files: whose program, and its entry line or name.
struct TaggedLine {
  bool own;
  std::string_view text;
};
// Nothing for a line without a tag.
std::optional<TaggedLine> ReadTagged(std::string_view line);

}  // namespace velmoro
