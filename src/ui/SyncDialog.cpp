#include "ui/SyncDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/QtOperator.h"
#include "ui/WaitPump.h"

namespace vg28::ui {

namespace {

// The answer buttons in two rows; "Отменить" closes the second row.
const struct {
    SyncWorker::Button button;
    const char* text;
    const char* name;
    int row;
    int column;
} kButtons[] = {
    {SyncWorker::kButtonInstrument, "VG-28", "instrument", 0, 0},
    {SyncWorker::kButtonPc, "PC", "pc", 0, 1},
    {SyncWorker::kButtonDetails, "Подробнее", "details", 0, 2},
    {SyncWorker::kButtonInstrumentAll, "VG-28 для всех", "instrumentAll", 1, 0},
    {SyncWorker::kButtonPcAll, "PC для всех", "pcAll", 1, 1},
    {SyncWorker::kButtonCancel, "Отменить", "cancel", 1, 2},
};

// Lines of the longest question (heading, the two sides, the closing line).
constexpr int kQuestionLines = 4;

}  // namespace

SyncDialog::SyncDialog(QWidget* parent, WaitPump* pump)
    : QDialog(parent), m_pump(pump), m_progress(new QProgressBar), m_question(new QLabel) {
    setObjectName(QStringLiteral("syncDialog"));
    setWindowTitle(QStringLiteral("Синхронизация"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    // The progress bar and the question share one area, so that the window keeps its size
    // when a question comes and goes.
    auto* area = new QWidget;
    area->setObjectName(QStringLiteral("syncArea"));
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    m_progress->setObjectName(QStringLiteral("syncProgress"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1);
    m_question->setObjectName(QStringLiteral("syncQuestion"));
    m_question->setTextFormat(Qt::PlainText);
    m_question->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_question->hide();
    areaLayout->addStretch();
    areaLayout->addWidget(m_progress);
    areaLayout->addWidget(m_question);
    areaLayout->addStretch();
    area->setMinimumHeight(fontMetrics().lineSpacing() * kQuestionLines + 4);
    area->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 60);
    layout->addWidget(area, 1);
    layout->addSpacing(fontMetrics().lineSpacing() / 2);

    auto* grid = new QGridLayout;
    int buttonWidth = 0;
    for (const auto& entry : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(entry.text));
        button->setObjectName(QString::fromLatin1(entry.name));
        // No answer by Enter: only a deliberate click decides whose data wins.
        button->setAutoDefault(false);
        button->setDefault(false);
        // Hidden answer buttons keep their place, as the controls of a fixed dialog do.
        QSizePolicy policy = button->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        button->setSizePolicy(policy);
        buttonWidth = std::max(buttonWidth, button->sizeHint().width());
        grid->addWidget(button, entry.row, entry.column);
        const SyncWorker::Button which = entry.button;
        connect(button, &QPushButton::clicked, this, [this, which] { Press(which); });
        m_buttons.push_back({entry.button, button});
    }
    for (const ButtonEntry& entry : m_buttons)
        entry.widget->setMinimumWidth(buttonWidth);
    layout->addLayout(grid);

    m_timer.setObjectName(QStringLiteral("syncTimer"));
    m_timer.setInterval(SyncWorker::kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &SyncDialog::OnTick);
}

QPushButton* SyncDialog::Button(SyncWorker::Button button) const {
    for (const ButtonEntry& entry : m_buttons)
        if (entry.button == button) return entry.widget;
    return nullptr;
}

void SyncDialog::Attach(SyncWorker& worker) {
    m_worker = &worker;
    Refresh();
}

int SyncDialog::Run(SyncWorker& worker) {
    Attach(worker);
    // The operator stopped the work while the run was opening: no window comes up to wait in.
    if (m_pump && m_pump->StopRequested()) worker.Press(SyncWorker::kButtonCancel);
    if (!worker.IsClosed()) {
        m_timer.start();
        exec();
    }
    m_timer.stop();
    m_worker = nullptr;
    return worker.Result();
}

void SyncDialog::OnTick() {
    if (!m_worker || m_workerBusy) return;
    m_workerBusy = true;
    m_worker->Tick();
    m_workerBusy = false;
    AfterWorker();
    Refresh();
    FinishIfClosed();
}

void SyncDialog::Press(SyncWorker::Button button) {
    if (!m_worker) return;
    const bool answer = button != SyncWorker::kButtonCancel;
    // The screen shows no question while an answer is being carried out or kept: a second click
    // meant for that question must not answer the next one, which nobody has seen yet.
    if (answer && m_workerBusy && m_question->isHidden()) return;
    if (answer) HideQuestion();
    if (m_workerBusy) {
        // A cancel outranks an answer kept before it; the first answer stays otherwise.
        if (m_keptPress == 0 || button == SyncWorker::kButtonCancel) m_keptPress = button;
        if (button == SyncWorker::kButtonCancel && m_pump) {
            m_pump->RequestStop();
            m_stopAsked = true;
        }
        return;
    }
    m_workerBusy = true;
    m_worker->Press(button);
    m_workerBusy = false;
    AfterWorker();
    Refresh();
    FinishIfClosed();
}

void SyncDialog::AfterWorker() {
    if (m_stopAsked) {
        m_stopAsked = false;
        m_pump->ClearStop();
    }
    if (m_keptPress == 0) return;
    const auto kept = static_cast<SyncWorker::Button>(m_keptPress);
    m_keptPress = 0;
    Press(kept);
}

void SyncDialog::reject() {
    // Escape and the close box: "Отменить", the result left as it is.
    if (m_worker) {
        Press(SyncWorker::kButtonCancel);
    } else {
        QDialog::reject();
    }
}

void SyncDialog::FinishIfClosed() {
    if (!m_worker || !m_worker->IsClosed()) return;
    m_timer.stop();
    done(m_worker->Result());
}

void SyncDialog::HideQuestion() {
    m_question->hide();
    for (const ButtonEntry& entry : m_buttons)
        if (entry.button != SyncWorker::kButtonCancel) entry.widget->hide();
}

void SyncDialog::Refresh() {
    if (!m_worker) return;
    const SyncWorker& worker = *m_worker;
    setWindowTitle(FromUtf8(worker.Caption()));
    // The range grows during an Em50 download; a position beyond it shows as a full bar.
    m_progress->setRange(0, std::max(1, worker.ProgressRange()));
    m_progress->setValue(std::clamp(worker.ProgressPosition(), 0, m_progress->maximum()));
    m_progress->setVisible(worker.ProgressVisible());
    m_question->setText(FromUtf8(worker.QuestionText()));
    m_question->setVisible(worker.QuestionVisible());
    const int visible = worker.VisibleButtons();
    for (const ButtonEntry& entry : m_buttons)
        entry.widget->setVisible((visible & entry.button) != 0);
}

}  // namespace vg28::ui
