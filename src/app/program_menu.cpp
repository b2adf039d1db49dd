#include "app/command_id_pool.h"
#include "app/host_form.h"
#include "catalogue/program_details.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {

namespace {

constexpr char16_t kNotCopied[] = u"The name could not be put on the clipboard.";

}  // namespace

// Read only when the user asks for it, so that start-up reads nothing more than the list needs.
std::optional<std::vector<MenuEntry>> TForm1::ProgramMenu(std::uint16_t command) {
  const MenuItem* item = PMenu1.FindItem(command);
  if (item == nullptr || !item->Entry) return std::nullopt;
  const ProgramEntry& entry = ListBox1.At(*item->Entry);
  const ProgramDetails details = ReadProgramDetails(entry, platform_.registry, platform_.shell);
  auto menu = std::make_unique<MenuItem>(CommandIdPool::Process());
  for (ProgramAction& action : ProgramActions(entry, details, platform_)) {
    auto shown = std::make_unique<MenuItem>(CommandIdPool::Process());
    shown->Caption = action.caption;
    shown->Enabled = action.enabled;
    // The details come from the registry: never a separator line or an access key.
    shown->LiteralCaption = action.literal;
    const bool is_default = action.is_default;
    shown->OnClick = [this, action = std::move(action)](MenuItem&) { DoProgramAction(action); };
    menu->Add(std::move(shown)).SetDefault(is_default);
  }
  return PMenu1.KeepProgramMenu(command, std::move(menu));
}

void TForm1::DoProgramAction(const ProgramAction& action) {
  switch (action.effect) {
    case ActionEffect::kRunCommand:
      RunUninstallCommand(platform_.shell, platform_.files, platform_.text, action.argument);
      break;
    case ActionEffect::kOpenAsDesktopUser:
      OpenLink(action.argument);
      break;
    case ActionEffect::kCopyText:
      if (!platform_.desktop.CopyText(action.argument)) {
        platform_.desktop.ShowMessageBox(Owner::kMenuOwner, kNotCopied, runner_.Title(),
                                         kMbOk | kMbIconWarning | kMbSetForeground);
      }
      break;
    case ActionEffect::kNone:
      break;
  }
}

}  // namespace velmoro
