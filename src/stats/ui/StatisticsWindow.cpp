#include "stats/ui/StatisticsWindow.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "cards/CardBrowser.h"
#include "cards/CardContext.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/Log.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "platform/ui/LongWork.h"
#include "stats/ui/ChartWindow.h"

StatisticsWindow::StatisticsWindow(CardContext& cards, Services& services, QWidget* parent)
    : QDialog(parent), cards_(cards), services_(services) {
    setObjectName(QStringLiteral("Statistiche"));
    setWindowTitle(AppInfo::title());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* grid = new QGridLayout(this);
    type_ = addGroup(QStringLiteral("TipoGrafico"), QStringLiteral("Tipo Grafico"),
                     {"Torta 2D", "Torta 3D", "Barre 2D", "Barre 3D"}, 1, 4);
    style_ = addGroup(QStringLiteral("Orientamento"), QStringLiteral("Orientamento"),
                      {"Colore Verticale", "Colore Orizz.", "Mono Verticale", "Mono Orizz."}, 0, 0);
    labels_ = addGroup(QStringLiteral("Etichette"), QStringLiteral("Etichette"),
                       {"Nessuna", "Asse X e Y", "Solo asse X", "Solo asse Y"}, 0, 1);
    grid_ = addGroup(QStringLiteral("TipoGriglia"), QStringLiteral("Tipo Griglia"),
                     {"Nessuna", "Orizzontale", "Verticale", "Entrambe"}, 0, 3);
    QStringList fields;
    int defaultField = 0;
    for (const StatisticsChoiceDef& c : Archives::statisticsChoices()) {
        if (c.isDefault)
            defaultField = int(fields.size());
        fields << c.caption;
    }
    field_ = addGroup(QStringLiteral("Riferimento"), QStringLiteral("Riferimento"), fields, 0,
                      defaultField);
    for (QAbstractButton* b : field_->buttons())
        fieldOptions_.push_back(static_cast<QRadioButton*>(b));

    auto box = [](const QButtonGroup* g) { return g->buttons().first()->parentWidget(); };
    grid->addWidget(box(type_), 0, 0);
    grid->addWidget(box(style_), 0, 1);
    grid->addWidget(box(labels_), 1, 0);
    grid->addWidget(box(grid_), 1, 1);
    grid->addWidget(box(field_), 0, 2, 2, 1);

    auto* show = new QPushButton(QStringLiteral("&Visualizza il grafico"), this);
    show->setObjectName(QStringLiteral("visgrafico"));
    show->setDefault(true);
    auto* quit = new QPushButton(QStringLiteral("&Uscita"), this);
    quit->setObjectName(QStringLiteral("esciuscita"));
    quit->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(show);
    buttons->addWidget(quit);
    grid->addLayout(buttons, 2, 0, 1, 3);
    connect(show, &QPushButton::clicked, this, &StatisticsWindow::showChart);
    connect(quit, &QPushButton::clicked, this, &QWidget::hide);
    updateAvailability();
}

QButtonGroup* StatisticsWindow::addGroup(const QString& name, const QString& caption,
                                         const QStringList& options, int firstValue,
                                         int defaultValue) {
    auto* frame = new QGroupBox(caption, this);
    frame->setObjectName(name);
    auto* column = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(frame);
    for (int i = 0; i < options.size(); ++i) {
        auto* option = new QRadioButton(options[i], frame);
        option->setObjectName(name + QString::number(firstValue + i));
        group->addButton(option, firstValue + i);
        column->addWidget(option);
    }
    column->addStretch();
    group->button(defaultValue)->setChecked(true);
    return group;
}

ChartChoices StatisticsWindow::choices() const {
    return {type_->checkedId(), style_->checkedId(), labels_->checkedId(), grid_->checkedId()};
}

const StatisticsChoiceDef& StatisticsWindow::fieldChoice() const {
    return Archives::statisticsChoices()[std::size_t(field_->checkedId())];
}

void StatisticsWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runGuarded(services_.messages, "Statistiche.Form_Activate",
                   [this] { updateAvailability(); });
}

// Options the current archive cannot count are greyed: by the table of archives, and
// by its table's fields.
void StatisticsWindow::updateAvailability() {
    CardBrowser& browser = cards_.browser();
    QStringList tableFields;
    try {
        tableFields = browser.currentSource().database().fieldNames(browser.archiveDef().table);
    } catch (const AppError& e) {
        // A closed source: go by the table of archives alone.
        qCInfo(lcUi) << "Statistiche: fields read from the table of archives:" << e.what();
        for (const FieldDef& f : browser.archiveDef().fields)
            tableFields << f.field;
    }
    const auto& defs = Archives::statisticsChoices();
    for (std::size_t i = 0; i < defs.size(); ++i)
        fieldOptions_[i]->setEnabled(
            Statistics::available(defs[i], browser.archive(), tableFields));
    // A greyed choice cannot stay chosen (Musica has no "Argomento"): the first one open.
    if (field_->checkedButton() && !field_->checkedButton()->isEnabled()) {
        for (QRadioButton* option : fieldOptions_) {
            if (option->isEnabled()) {
                option->setChecked(true);
                break;
            }
        }
    }
}

void StatisticsWindow::showChart() {
    runGuarded(services_.messages, "Statistiche.Command1_Click", [this] {
        ChartWindow chart(services_, parentWidget());
        Statistics::prepareChart(chart.chart(), choices());
        const StatisticsChoiceDef& choice = fieldChoice();
        bool counted = false;
        try {
            LongWork work(this, QStringLiteral("Conteggio delle cartelle in corso..."));
            if (!Statistics::countIntoChart(chart.chart(), cards_.browser(), choice,
                                            work.ticker()))
                return;  // cancelled: the window stays for another choice
            counted = true;
        } catch (const std::exception& e) {
            // Any failure of the count, as the engine would report it: the message below.
            qCWarning(lcUi) << "Statistiche: count of" << choice.field << "failed:" << e.what();
        }
        if (!counted) {
            services_.messages.critical(Statistics::countFailedText());
            // Only the subject field shows the chart with what it holds.
            if (choice.field != QLatin1String("ARGOMENTO")) {
                hide();
                return;
            }
        }
        hide();
        chart.chart().redraw();
        chart.exec();
    });
}
