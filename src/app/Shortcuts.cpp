#include "app/Shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace {

// One filter for the whole program: it sees a key before the widget with
// the focus does, and before the shortcuts are looked up.
class TOwnShortcuts : public QObject {
public:
    static TOwnShortcuts& Instance() {
        static auto* instance = new TOwnShortcuts(qApp);
        return *instance;
    }

    void Add(QWidget* window) {
        windows_.removeAll(nullptr);
        if (!windows_.contains(window)) windows_.append(window);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) return false;
        QWidget* window = widget->window();
        if (window->windowType() != Qt::Tool && !windows_.contains(window)) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        QAction* own = nullptr;
        for (QAction* a : window->actions())
            if (a->isEnabled() && a->shortcuts().contains(pressed)) {
                own = a;
                break;
            }
        const bool close = !own && pressed == QKeySequence(Qt::CTRL | Qt::Key_W);
        if (!own && !close) return false;
        // The override is taken, so that no other shortcut claims the key;
        // the key itself then runs the window's command.
        key->accept();
        if (type == QEvent::KeyPress) {
            if (own)
                own->trigger();
            else
                window->close();
        }
        return true;
    }

private:
    using QObject::QObject;
    QList<QPointer<QWidget>> windows_;
};

}  // namespace

void InstallOwnShortcuts() {
    static bool installed = false;
    if (installed) return;
    qApp->installEventFilter(&TOwnShortcuts::Instance());
    installed = true;
}

void KeepOwnShortcuts(QWidget* window) {
    InstallOwnShortcuts();
    TOwnShortcuts::Instance().Add(window);
}
