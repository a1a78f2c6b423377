// Shortcuts of the windows that float beside the main window (tables,
// graphs, the mesh, the system views).
//
// The toolkit keeps the main window's shortcuts working while such a window
// is active, so a key that both define (Ctrl+S, Ctrl+M, Ctrl+O) would be
// claimed twice and do nothing. A window given to KeepOwnShortcuts takes its
// own keys first while the focus is in it: the actions added to the window
// (QWidget::addAction) with an enabled action's shortcut, and Ctrl+W, which
// closes it. Every other key goes on as usual.
#pragma once

class QWidget;

void KeepOwnShortcuts(QWidget* window);
