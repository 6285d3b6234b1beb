#pragma once

#include <QObject>
#include <QPointer>

struct Services;

// What the message, file-dialog and input services share: the window that asks while
// one of its handlers runs under a DialogOwner. Null when no window has named itself;
// the services then choose the window their dialogs belong to.
class DialogService {
public:
    QObject* owner() const { return owner_.data(); }

protected:
    DialogService() = default;
    ~DialogService() = default;

private:
    friend class DialogOwner;
    QPointer<QObject> owner_;
};

// For its lifetime every box, file dialog and prompt of the services belongs to `window`.
// A window that is not modal (a report preview over the main window) needs it: just after
// one dialog closes no window is active yet, and the next one would go over the main
// window, which would come up in front of the window the user is in.
class DialogOwner {
public:
    DialogOwner(Services& services, QObject* window);
    ~DialogOwner();
    DialogOwner(const DialogOwner&) = delete;
    DialogOwner& operator=(const DialogOwner&) = delete;

private:
    Services& services_;
    // Each service's owner before this scope, given back at its end.
    QPointer<QObject> messages_;
    QPointer<QObject> files_;
    QPointer<QObject> input_;
};
