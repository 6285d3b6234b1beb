#include "cards/ui/CardFrame.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/ui/Binder.h"
#include "platform/ui/LookupCombo.h"
#include "platform/ui/WheelGuard.h"

namespace {

QLabel* makeLabel(const FieldDef& f, QWidget* parent) {
    auto* label = new QLabel(f.label, parent);
    label->setObjectName(QStringLiteral("lbl") + f.control);
    if (!f.linkLabel.isEmpty()) {
        label->setObjectName(f.linkLabel);
        label->setToolTip(f.linkTip);
        label->setCursor(Qt::PointingHandCursor);
        // Looks like a link: it opens a list or a window.
        label->setText(QStringLiteral("<u>%1</u>").arg(f.label.toHtmlEscaped()));
        label->setTextFormat(Qt::RichText);
    }
    return label;
}

}  // namespace

CardFrame::CardFrame(const ArchiveDef& archive, DataSource& source, QWidget* parent)
    : QFrame(parent), archive_(archive), binder_(new Binder(source, this)) {
    setObjectName(archive.frame);
    setFrameShape(QFrame::StyledPanel);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    int row = 0;
    int column = 0;
    std::vector<const FieldDef*> memos;
    for (const FieldDef& f : archive.fields) {
        if (f.kind == InputKind::MultiLine) {
            memos.push_back(&f);
            continue;
        }
        if (f.kind == InputKind::Keyword || f.kind == InputKind::Hidden)
            continue;
        QWidget* field = makeField(f);
        QLabel* label = makeLabel(f, this);
        label->setBuddy(field);
        if (!f.linkLabel.isEmpty())
            controls_.insert(f.linkLabel, label);
        grid->addWidget(label, row, column * 2, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(field, row, column * 2 + 1);
        if (++column == 2) {
            column = 0;
            ++row;
        }
    }
    if (column != 0)
        ++row;
    for (const FieldDef* f : memos) {
        QWidget* field = makeField(*f);
        QLabel* label = makeLabel(*f, this);
        label->setBuddy(field);
        if (!f->linkLabel.isEmpty())
            controls_.insert(f->linkLabel, label);
        grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignTop);
        grid->addWidget(field, row, 1, 1, 3);
        grid->setRowStretch(row, 1);
        ++row;
    }

    // Keywords, read-only, set only by the keyword picker.
    auto* keywordRow = new QHBoxLayout;
    auto* keywordCaption = new QLabel(QStringLiteral("Parole chiavi:"), this);
    keywordCaption->setObjectName(QStringLiteral("lblChiavi") + QString::number(archive.tab));
    keywordRow->addWidget(keywordCaption);
    for (const FieldDef& f : archive.fields) {
        if (f.kind == InputKind::Keyword)
            keywordRow->addWidget(makeField(f), 1);
    }
    grid->addLayout(keywordRow, row, 0, 1, 4);
    ++row;
    if (archive.id == Archive::Books) {
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        auto* quotations = new QPushButton(QStringLiteral("citazioni..."), this);
        quotations->setObjectName(QStringLiteral("SSCommand2"));
        auto* keywords = new QPushButton(QStringLiteral("parole chiavi..."), this);
        keywords->setObjectName(QStringLiteral("SSCommand3"));
        buttons->addWidget(quotations);
        buttons->addWidget(keywords);
        controls_.insert(quotations->objectName(), quotations);
        controls_.insert(keywords->objectName(), keywords);
        grid->addLayout(buttons, row, 0, 1, 4);
        ++row;
    }
    // Hidden fields (the quotation) are bound too: their windows write into them.
    for (const FieldDef& f : archive.fields)
        if (f.kind == InputKind::Hidden)
            makeField(f)->hide();
}

QWidget* CardFrame::makeField(const FieldDef& f) {
    QWidget* w = nullptr;
    switch (f.kind) {
        case InputKind::Text:
            w = new QLineEdit(this);
            break;
        case InputKind::MultiLine: {
            auto* memo = new QPlainTextEdit(this);
            memo->setTabChangesFocus(true);
            memo->setMinimumHeight(28);  // the window must fit a 640x480 screen
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            w = memo;
            break;
        }
        case InputKind::Lookup:
            w = new LookupCombo(this);
            ignoreWheelUnlessFocused(w);
            break;
        case InputKind::Keyword: {
            auto* label = new QLabel(this);
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setMinimumWidth(60);
            label->setAccessibleName(QStringLiteral("Parola chiave"));
            w = label;
            break;
        }
        case InputKind::Hidden:
            w = f.longText ? static_cast<QWidget*>(new QPlainTextEdit(this))
                           : static_cast<QWidget*>(new QLineEdit(this));
            break;
    }
    w->setObjectName(f.control);
    if (!f.label.isEmpty())
        w->setAccessibleName(f.label);
    controls_.insert(f.control, w);
    binder_->bind(w, f.field);
    return w;
}

QList<LookupCombo*> CardFrame::lookupCombos() const {
    QList<LookupCombo*> out;
    for (QWidget* w : controls_)
        if (auto* c = qobject_cast<LookupCombo*>(w))
            out << c;
    return out;
}
