#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "test_support/WidgetLookup.h"
#include "search/ui/SearchPrompt.h"

// Answers the find prompt Serch once it shows up (it runs modally, so the answer is
// queued before the action that opens it). Gives up after a few seconds, closing the
// prompt, so that a prompt that never came fails the test instead of blocking it.
class SearchPromptDriver {
public:
    enum class Choice { Keep, FromStart, Onward };

    static SearchPrompt* visiblePrompt() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<SearchPrompt*>(w); p && p->isVisible())
                return p;
        return nullptr;
    }

    // Runs act on the prompt as soon as it is visible.
    static void whenShown(std::function<void(SearchPrompt&)> act, int triesLeft = 300) {
        QTimer::singleShot(10, [act = std::move(act), triesLeft]() mutable {
            if (SearchPrompt* p = visiblePrompt()) {
                act(*p);
            } else if (triesLeft > 0) {
                whenShown(std::move(act), triesLeft - 1);
            } else {
                QTest::qFail("the find prompt did not show", __FILE__, __LINE__);
            }
        });
    }

    // Types text (replacing what is there), picks the option and presses "&OK".
    static void confirm(const QString& text, Choice choice = Choice::Keep) {
        whenShown([text, choice](SearchPrompt& p) {
            child<QLineEdit>(p, "txtExpression")->setText(text);
            if (choice != Choice::Keep)
                child<QRadioButton>(p, choice == Choice::FromStart ? "SSOption1" : "SSOption2")
                    ->setChecked(true);
            QTest::mouseClick(child<QPushButton>(p, "cmdOK"), Qt::LeftButton);
        });
    }

    static void cancel() {
        whenShown([](SearchPrompt& p) {
            QTest::mouseClick(child<QPushButton>(p, "cmdCancel"), Qt::LeftButton);
        });
    }
};
