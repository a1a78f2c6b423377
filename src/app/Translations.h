// Qt's own texts (buttons of message boxes, file dialogs, context menus of
// text fields) in Russian, from the translations installed with Qt.
#pragma once

// Loads and installs the Russian translations of Qt; false when none could
// be found (Qt's texts stay in English). Installing twice changes nothing.
bool InstallQtTranslations();
