#pragma once

#include "platform/desktop_api.h"
#include "platform/file_api.h"
#include "platform/process_api.h"
#include "platform/registry_api.h"
#include "platform/shell_api.h"
#include "platform/text_api.h"
#include "platform/thread_api.h"

namespace velmoro {

// The platform services the program uses, each implemented once for Win32 and once as a fake.
struct Platform {
  RegistryApi& registry;
  ShellApi& shell;
  DesktopApi& desktop;
  FileApi& files;
  TextApi& text;
  ThreadApi& threads;
  ProcessApi& process;
};

}  // namespace velmoro
