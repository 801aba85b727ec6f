#pragma once
class QMenuBar;

// The small main menu that serves from process start until the full main menu replaces it: a
// "Quillet" menu with "Hide Quillet™" (Ctrl+H) and "Quit Quillet™" (Ctrl+Q). The caller owns it.
QMenuBar *bootstrapMainMenu();
