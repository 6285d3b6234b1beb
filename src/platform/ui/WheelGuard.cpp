#include "platform/ui/WheelGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

class WheelGuard : public QObject {
public:
    WheelGuard(QWidget* widget, bool evenFocused) : QObject(widget), evenFocused_(evenFocused) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Wheel)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || (w->hasFocus() && !evenFocused_))
            return false;
        if (QWidget* parent = w->parentWidget())
            QCoreApplication::sendEvent(parent, e);
        return true;
    }

private:
    bool evenFocused_;
};

}  // namespace

void ignoreWheelUnlessFocused(QWidget* widget) {
    // One guard per widget, owned by it.
    widget->installEventFilter(new WheelGuard(widget, false));
    if (widget->focusPolicy() == Qt::WheelFocus)
        widget->setFocusPolicy(Qt::StrongFocus);
}

void ignoreWheel(QWidget* widget) {
    widget->installEventFilter(new WheelGuard(widget, true));
}
