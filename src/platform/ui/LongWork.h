#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// The one way long catalogue work (search, statistics, reports, maintenance, index builds,
// import and export) shows itself. The work calls step() as often as it likes; only every
// 50 ms does a step repaint the windows and look at "Annulla", so a fast loop is not slowed
// by painting, nor by the accessibility events each repaint sends to a screen reader. The
// progress window appears only once the work has lasted a moment, modal over the program, so
// no command can start inside the work.
class LongWork {
public:
    enum class Cancel { Allowed, NotAllowed };

    LongWork(QWidget* parent, const QString& label, Cancel cancel = Cancel::Allowed);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Reports how far the work has come (`total` 0: unknown). False once the user cancelled.
    bool step(qint64 done = 0, qint64 total = 0);
    bool cancelled() const { return cancelled_; }
    // A step without figures, for ProgressScope and other callbacks that just ask "go on?".
    std::function<bool()> ticker() {
        return [this] { return step(); };
    }
    void setLabel(const QString& label);

    static constexpr int kPollMilliseconds = 50;
    static constexpr int kShowAfterMilliseconds = 400;

private:
    void show();

    QPointer<QWidget> parent_;
    QString label_;
    Cancel cancel_;
    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer started_;
    QElapsedTimer polled_;
    int shownValue_ = -1;
    bool cancelled_ = false;
};
