#include "app/program.h"

#include "app/application.h"

namespace velmoro {

int RunProgram(Platform& platform) {
  Application application(platform);
  application.Initialize();
  application.SetTitle(kTitle);
  application.CreateForm();
  application.Run();
  return 0;
}

}  // namespace velmoro
