#pragma once

#include <QDialog>
#include <QIcon>

#include "prefs/VersionText.h"

class QLabel;
class QLineEdit;
class QTimer;
struct Services;

// Name, version, engine, file names and legal notice of the program. Filled once per
// opening, when first shown; its window icon alternates between two pictures.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(Services& services, QWidget* parent = nullptr,
                      AboutInfo info = AboutInfo::current(), int blinkMs = 1000);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fill();
    void blink();
    QLabel* label(const char* name, const QString& designCaption);

    Services& services_;
    AboutInfo info_;
    bool filled_ = false;
    QIcon firstIcon_;
    QIcon secondIcon_;
    QTimer* blinkTimer_;

    // What fill() writes, in the order it writes them.
    QLabel* programPicture_;
    QLabel* title_;
    QLabel* fullVersion_;
    QLabel* legalNotice_;
    QLineEdit* programFile_;
    QLineEdit* helpFile_;
    QLabel* programVersion_;
    QLabel* helpVersion_;
    QLabel* programRevision_;
    QLabel* helpRevision_;
    QLabel* engineVersion_;
};
