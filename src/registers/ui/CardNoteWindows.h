#pragma once

#include <QDialog>
#include <array>

class CardContext;
class DataSource;
class LookupCombo;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
struct Services;

// Chiavette: the five keywords of the current card, each chosen from the keyword list
// CHIAVE (or typed). They are read from the card once, shortly after loading, and
// written back as edits of the card only by "&OK". A double click on a combo's button
// opens the keyword list editor; words added there can be chosen at once.
class KeywordPickerWindow : public QDialog {
    Q_OBJECT
public:
    KeywordPickerWindow(CardContext& cards, Services& services, QWidget* parent = nullptr);

    static QString keywordField(int position);  // CHIAVE1..CHIAVE5 for 1..5

private:
    void loadKeywords();
    void storeKeywords();
    void editKeywordList();

    CardContext& cards_;
    Services& services_;
    DataSource* words_;
    std::array<LookupCombo*, 5> combos_{};
    QTimer* timer_;
};

// Citazioni: the title and author of the current book, and its quotation (page and
// text) to edit; "&OK" writes the quotation back as edits of the card.
class QuotationWindow : public QDialog {
    Q_OBJECT
public:
    QuotationWindow(CardContext& cards, Services& services, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    CardContext& cards_;
    Services& services_;
    QLabel* title_;
    QLabel* author_;
    QLineEdit* page_;
    QPlainTextEdit* text_;
};
