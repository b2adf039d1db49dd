#pragma once

#include <string>
#include <vector>

#include "app/form_runner.h"
#include "app/list_box.h"
#include "app/popup_menu.h"
#include "app/version.h"
#include "catalogue/program_memory.h"
#include "platform/platform.h"
#include "uninstall/program_actions.h"

namespace velmoro {

inline constexpr char16_t kTitle[] = u"Velmoro Uninstaller";
inline constexpr char16_t kAboutText[] =
    u"Velmoro Uninstaller v" VELMORO_VERSION_SHORT
    "\r\n\r\n"
    "Removes installed programs straight from a popup menu.\r\n\r\n"
    "Copyright (c) Quinsett. All rights reserved.";
inline constexpr char16_t kAboutCaption[] = u"About Velmoro Uninstaller";
inline constexpr char16_t kWebSiteUrl[] = u"" VELMORO_WEB_SITE "?vid=" VELMORO_VERSION_SHORT;
inline constexpr char16_t kSupportMail[] =
    u"mailto:support@quinsett.example?subject=velmoro-uninstaller_" VELMORO_VERSION_SHORT;
inline constexpr char16_t kUpdaterName[] = u"Updater.exe";

// The host form's place and size at 96 pixels per inch; it is moved off every monitor.
inline constexpr int kHostFormTop = 406;
inline constexpr int kHostFormWidth = 123;
inline constexpr int kHostFormHeight = 75;

// The one form: never seen by the user, it owns the program list, the popup menu and every
// handler.
class TForm1 {
 public:
  TForm1(FormRunner& runner, Platform& platform);

  // The form's components keep their designer names. ListBox1: the program list.
  ListBox ListBox1;
  // PMenu1: the popup menu, the program's whole user interface. Its tree holds the static items
  // (see the constructor) and the items BuildProgramMenus adds.
  PopupMenu PMenu1;
  // N11: "All Programs", which holds the program items. Recent1: "Recent Programs", the default
  // entry, which holds the recent items. BuildProgramMenus fills both.
  MenuItem* N11;
  MenuItem* Recent1;

  void FormCreate();
  void FormActivate();
  void BuildProgramMenus();
  void ProgramItemClick(MenuItem& sender);
  // The own menu of the program or recent item `command`; nothing for any other item.
  std::optional<std::vector<MenuEntry>> ProgramMenu(std::uint16_t command);
  void CheckforUpdates1Click(MenuItem& sender);
  // The handler of VistiWebPage1, "Visit Web Site", under its designer's name.
  void VistiWebPage1Click(MenuItem& sender);
  void SendEmail1Click(MenuItem& sender);
  void About2Click(MenuItem& sender);
  void Exit1Click(MenuItem& sender);

 private:
  void AddProgramItems();
  // Wholly left of the leftmost monitor, at the size it has there.
  void MoveOffScreen();
  // A web or mail link, or a folder: as the desktop's user when this process is elevated.
  void OpenLink(const std::u16string& link);
  // Carries out an item of a program's own menu, then ends the program.
  void DoProgramAction(const ProgramAction& action);
  // A box about the program's memory.
  void ShowNotice(const MemoryNotice& notice);
  MenuItem& AddStatic(MenuItem& parent, const char16_t* caption,
                      void (TForm1::*handler)(MenuItem&) = nullptr);
  // A program or recent item: the caption of program-list entry `entry`, which it starts.
  std::unique_ptr<MenuItem> NewDynamicItem(std::size_t entry);

  FormRunner& runner_;
  Platform& platform_;
  ProgramMemory memory_;
};

}  // namespace velmoro
