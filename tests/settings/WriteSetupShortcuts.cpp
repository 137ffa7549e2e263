// Writes the shortcuts that the first-run setup places, through the setup's own completion,
// so that CI can check the files with the desktop's validator:
//   fx_write_setup_shortcuts <folder> <program file>
// makes <folder>/Desktop/Fraxinel.desktop and <folder>/applications/<id>.desktop.
#include <cstdio>
#include <filesystem>
#include <string>

#include "fixtures/FileBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "platform/InstallLayout.h"
#include "platform/MemRegistryBackend.h"
#include "platform/Registry.h"
#include "settings/FXSettings.h"
#include "settings/FirstRun.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <folder> <program file>\n", argv[0]);
    return 2;
  }
  const fs::path folder = argv[1];
  const fs::path game = folder / "game";
  fx::test::WriteFileBytes(game / "id1" / "pak0.pak", "PACK");

  // The settings stay in memory: only the shortcuts are wanted.
  fx::TMemRegistryBackend backend;
  fx::TDefaultRegistryOverride useMemory(backend);
  fx::TRegistry registry;
  fx::TFXSettings settings;
  fx::test::TScriptedDialogs dialogs;
  const fx::TShortcutPlan plan{argv[2], folder / "Desktop", folder / "applications",
                               fx::ApplicationId()};
  const fx::TSetupChoice choice{game.string(), true, true};
  if (!fx::CompleteSetup(choice, settings, registry, plan, dialogs)) return 1;
  const fs::path menuEntry = plan.ProgramsFolder / fx::DesktopEntryFileName();
  for (const fs::path& file : {plan.DesktopFolder / "Fraxinel.desktop", menuEntry}) {
    if (!fs::is_regular_file(file)) {
      std::fprintf(stderr, "the setup wrote no %s\n", file.c_str());
      return 1;
    }
    std::printf("%s\n", file.c_str());
  }
  return 0;
}
