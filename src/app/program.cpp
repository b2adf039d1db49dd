#include "app/program.h"

#include "app/application.h"

namespace velmoro {

// Where nobody can see the program, nobody could close its boxes or click its taskbar button, and
// it would wait for ever: it ends before it reads or writes anything.
int RunProgram(Platform& platform) {
  if (!platform.desktop.InteractiveDesktop()) return 0;
  Application application(platform);
  application.Initialize();
  application.SetTitle(kTitle);
  application.CreateForm();
  application.Run();
  return 0;
}

}  // namespace velmoro
