#pragma once

namespace fx {

// Makes ShellExecute hand documents, folders and addresses to the desktop's default
// application (QDesktopServices). Called once at start-up, after the QApplication exists.
void InstallQtDocumentOpener();

}  // namespace fx
