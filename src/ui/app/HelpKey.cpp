#include "ui/app/HelpKey.h"

#include <QCoreApplication>
#include <QKeyEvent>

CHelpKey::CHelpKey(QObject* parent) : QObject(parent) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

CHelpKey::~CHelpKey() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool CHelpKey::eventFilter(QObject* watched, QEvent* event) {
    // The window sees the key before its focused widget: act on the widget's
    // copy only, so one press is one request.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (!key->isAutoRepeat())
        emit Requested();
    return true;
}
