// Shortcuts of the windows that float beside the main window (tables,
// graphs, curves, the mesh, the system views, the queue, the approximations).
//
// The toolkit keeps the main window's shortcuts working while such a tool
// window is active, so a key that both define (Ctrl+S, Ctrl+M, Ctrl+O) would
// be claimed twice and do nothing, and Ctrl+W would close the document
// behind. While the focus is in a tool window of the program (or a window
// given to KeepOwnShortcuts) the window takes its own keys first: the actions
// added to the window (QWidget::addAction) with an enabled action's
// shortcut, and Ctrl+W, which closes it. Every other key goes on as usual.
#pragma once

class QWidget;

// Takes effect for every tool window from the first call on.
void InstallOwnShortcuts();
// The same for Window, whatever its kind.
void KeepOwnShortcuts(QWidget* window);
