#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {

constexpr char16_t kSystem[] = u"C:\\Windows\\system32";
constexpr char16_t kUpdater[] = u"C:\\Program Files\\Velmoro Uninstaller\\Updater.exe";

// One machine: a run of the program on it is one call of Run().
class ProgramTest : public ::testing::Test, protected FakeMachine {
 protected:
  // Runs the program once with a fresh desktop and shell; returns its exit status.
  int Run(std::vector<std::u16string> choice = {}) {
    desktop = FakeDesktop();
    desktop.choice = std::move(choice);
    desktop.start_state = start_state;
    Prepare(desktop);
    shell.calls.clear();
    Platform machine = platform();
    return RunProgram(machine);
  }

  // Sets up each run's fresh desktop.
  virtual void Prepare(FakeDesktop&) {}

  std::vector<std::u16string> Texts(const std::vector<MenuEntry>& entries) {
    std::vector<std::u16string> texts;
    for (const MenuEntry& entry : entries) texts.push_back(entry.text);
    return texts;
  }

  // The program ended by itself, without anything left to wait for.
  void ExpectEnded() {
    EXPECT_FALSE(desktop.waited_forever);
    EXPECT_GE(desktop.quit_requests, 1);
  }

  int start_state = kSwShowDefault;
};

}  // namespace velmoro
