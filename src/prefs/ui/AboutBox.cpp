#include "prefs/ui/AboutBox.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/services/Guard.h"
#include "platform/services/Services.h"
#include "platform/ui/TitleWidth.h"
#include "prefs/ui/PrefsPictures.h"

namespace {

QLabel* heading(QWidget* parent, const char* name, const QString& caption) {
    auto* panel = new QLabel(caption, parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setBackgroundRole(QPalette::Button);
    panel->setAutoFillBackground(true);
    panel->setMargin(2);
    return panel;
}

QLineEdit* fileField(QWidget* parent, const char* name, const QString& accessibleName) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setAccessibleName(accessibleName);
    field->setMinimumWidth(150);
    return field;
}

QFrame* rule(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// The main window's icon, or the program's own when the main window has none.
QIcon mainWindowIcon(QWidget* parent) {
    QIcon icon = parent ? parent->window()->windowIcon() : QApplication::windowIcon();
    return icon.isNull() ? QIcon(PrefsPictures::programIcon()) : icon;
}

}  // namespace

QLabel* AboutBox::label(const char* name, const QString& designCaption) {
    auto* l = new QLabel(designCaption, this);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

AboutBox::AboutBox(Services& services, QWidget* parent, AboutInfo info, int blinkMs)
    : QDialog(parent), services_(services), info_(std::move(info)) {
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("Informazioni su "));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(mainWindowIcon(parent));

    programPicture_ = label("Picture4", {});
    programPicture_->setFixedSize(64, 64);
    programPicture_->setAlignment(Qt::AlignCenter);
    // Hidden holders of the two blink pictures.
    auto* firstBlink = label("Picture1", {});
    firstBlink->setPixmap(PrefsPictures::blinkA());
    firstBlink->hide();
    auto* secondBlink = label("Picture3", {});
    secondBlink->setPixmap(PrefsPictures::blinkB());
    secondBlink->hide();
    firstIcon_ = QIcon(firstBlink->pixmap());
    secondIcon_ = QIcon(secondBlink->pixmap());

    title_ = label("Label1", QStringLiteral("Programma"));
    QFont big = title_->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    title_->setFont(big);
    fullVersion_ = label("Label2", QStringLiteral("Versione"));

    auto* top = new QGridLayout;
    top->addWidget(programPicture_, 0, 0, 2, 1, Qt::AlignTop);
    top->addWidget(title_, 0, 1);
    top->addWidget(fullVersion_, 1, 1);
    top->setColumnStretch(1, 1);

    auto* files = new QGridLayout;
    files->addWidget(heading(this, "SSPanel1", QStringLiteral(" Programma")), 0, 0);
    files->addWidget(heading(this, "SSPanel2", QStringLiteral(" Versione")), 0, 1);
    files->addWidget(heading(this, "SSPanel3", QStringLiteral(" Revisione")), 0, 2);
    programFile_ = fileField(this, "Text1", QStringLiteral("Programma"));
    programVersion_ = label("Label6", QStringLiteral("Versione"));
    programRevision_ = label("Label8", QStringLiteral("Revisione"));
    helpFile_ = fileField(this, "Text2", QStringLiteral("Guida"));
    helpVersion_ = label("Label7", QStringLiteral("Versione"));
    helpRevision_ = label("Label9", QStringLiteral("Revisione"));
    files->addWidget(programFile_, 1, 0);
    files->addWidget(programVersion_, 1, 1);
    files->addWidget(programRevision_, 1, 2);
    files->addWidget(helpFile_, 2, 0);
    files->addWidget(helpVersion_, 2, 1);
    files->addWidget(helpRevision_, 2, 2);
    files->setColumnStretch(0, 2);
    files->setColumnStretch(1, 1);
    files->setColumnStretch(2, 1);

    // The heading names the engine the catalogue really runs on.
    QLabel* engine = label("Label12", info_.engineName + QStringLiteral(" Database Engine"));
    QFont bold = engine->font();
    bold.setBold(true);
    engine->setFont(bold);
    auto* engineRow = new QHBoxLayout;
    engineRow->addWidget(engine);
    engineVersion_ = label("Label11", QStringLiteral("Versione"));
    engineRow->addWidget(engineVersion_);
    engineRow->addStretch();

    legalNotice_ = label("Label3", {});
    legalNotice_->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(rule(this));
    layout->addLayout(files);
    layout->addWidget(rule(this));
    layout->addLayout(engineRow);
    layout->addWidget(legalNotice_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fitToTitle(this);

    blinkTimer_ = new QTimer(this);
    blinkTimer_->setObjectName(QStringLiteral("Timer1"));
    blinkTimer_->setInterval(blinkMs);
    connect(blinkTimer_, &QTimer::timeout, this, &AboutBox::blink);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::showEvent(QShowEvent* event) {
    // Filled once per opening; coming back to the window later changes nothing.
    if (!filled_) {
        filled_ = true;
        runGuarded(services_.messages, "about.Form_Activate", [&] { fill(); });
    }
    blinkTimer_->start();
    QDialog::showEvent(event);
}

void AboutBox::hideEvent(QHideEvent* event) {
    blinkTimer_->stop();
    QDialog::hideEvent(event);
}

void AboutBox::fill() {
    const QString majorMinor = VersionText::majorMinor(info_.major, info_.minor);
    const QString revision = VersionText::revision(info_.revision);

    setWindowTitle(windowTitle() + info_.title);
    programPicture_->setPixmap(mainWindowIcon(parentWidget()).pixmap(64, 64));
    title_->setText(info_.title);
    fullVersion_->setText(VersionText::full(info_.major, info_.minor, info_.revision));
    legalNotice_->setText(info_.legalNotice);
    programFile_->setText(info_.programFileName);
    helpFile_->setText(info_.helpFileName);
    programVersion_->setText(majorMinor);
    helpVersion_->setText(majorMinor);
    programRevision_->setText(revision);
    helpRevision_->setText(revision);
    engineVersion_->setText(info_.engineVersion);
}

void AboutBox::blink() {
    runGuarded(services_.messages, "about.Timer1_Timer", [&] {
        setWindowIcon(windowIcon().cacheKey() == firstIcon_.cacheKey() ? secondIcon_ : firstIcon_);
    });
}
