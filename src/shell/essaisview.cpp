#include "essaisview.h"

#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextBlock>
#include <QVBoxLayout>

namespace zef {

namespace {

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// One side of the comparison: a read-only text under its heading.
QPlainTextEdit* outputPane(QSplitter* splitter, const QString& heading, const QString& name) {
    auto* box = new QWidget(splitter);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(heading, box));
    auto* text = new QPlainTextEdit(box);
    text->setObjectName(name);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(text);
    return text;
}

// Shows an output's compared lines, the first differing one (1-based, 0: none) highlighted
// and scrolled into view.
void showOutput(QPlainTextEdit* pane, const std::vector<std::string>& lines, int differing) {
    QStringList text;
    for (const std::string& line : lines) text << fromUtf8(line);
    pane->setPlainText(text.join(QLatin1Char('\n')));
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = pane->document()->findBlockByNumber(differing - 1);
    if (differing > 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(QColor(255, 180, 171));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.cursor = QTextCursor(block);
        marks << mark;
        QTextCursor caret(block);
        pane->setTextCursor(caret);
        pane->centerCursor();
    }
    pane->setExtraSelections(marks);
}

} // namespace

TEssaisView::TEssaisView(QWidget* parent) : QWidget(parent) {
    setObjectName("EssaisView");
    settings_.zefrun = findZefrun();
    // The learner's own program: confined where the kernel allows it, and otherwise run as
    // F9 runs it.
    settings_.confine = confinementUnavailable().empty();
    summary_ = new QLabel(QStringLiteral("Exécuter > Tester avec les essais lance le programme sur ses essais."), this);
    summary_->setObjectName("EssaisSummary");
    summary_->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName("EssaisList");
    detail_ = new QLabel(this);
    detail_->setObjectName("EssaisDetail");
    detail_->setWordWrap(true);
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* sides = new QSplitter(Qt::Horizontal, this);
    expected_ = outputPane(sides, QStringLiteral("Attendu"), QStringLiteral("EssaisAttendu"));
    obtained_ = outputPane(sides, QStringLiteral("Obtenu"), QStringLiteral("EssaisObtenu"));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(list_);
    auto* lower = new QWidget(split);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(detail_);
    lowerLayout->addWidget(sides, 1);
    split->addWidget(lower);
    // The outputs side by side need more room than the list of cases.
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(summary_);
    layout->addWidget(split, 1);
    connect(list_, &QListWidget::currentRowChanged, this, &TEssaisView::showCase);
}

TEssaisView::~TEssaisView() {
    // The trial's thread reports to this view: it ends before the view does.
    trial_.stop();
    trial_.wait();
}

bool TEssaisView::start(const QString& programText, const QString& fileName, Exercise exercise, std::string& reason) {
    if (settings_.zefrun.empty()) {
        reason = "zefrun introuvable à côté de Zef Pascal";
        return false;
    }
    std::vector<std::string> names;
    for (const TestCase& testCase : exercise.cases) names.push_back(testCase.name);
    const QString folder = QString::fromStdString(exercise.folder.string());
    Trial::Events events;
    // The trial's thread hands each event to the interface thread; an event for a view
    // that is gone is dropped.
    events.caseDone = [this](std::size_t index, const CaseResult& result) {
        QMetaObject::invokeMethod(this, [this, index, result] { caseDone(index, result); }, Qt::QueuedConnection);
    };
    events.finished = [this](bool stopped) {
        QMetaObject::invokeMethod(this, [this, stopped] { trialFinished(stopped); }, Qt::QueuedConnection);
    };
    if (!trial_.start(programText.toStdString(), fileName.toStdString(), std::move(exercise), settings_,
                      std::move(events), reason))
        return false;
    results_.assign(names.size(), CaseResult{});
    done_.assign(names.size(), false);
    stopped_ = false;
    list_->clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
        results_[i].caseName = names[i];
        list_->addItem(QStringLiteral("…  %1 : en attente").arg(fromUtf8(names[i])));
    }
    expected_->clear();
    obtained_->clear();
    detail_->clear();
    summary_->setToolTip(folder);
    updateSummary();
    return true;
}

void TEssaisView::stop() { trial_.stop(); }

bool TEssaisView::running() const { return trial_.running(); }

void TEssaisView::caseDone(std::size_t index, const CaseResult& result) {
    if (index >= results_.size()) return;
    results_[index] = result;
    done_[index] = true;
    QListWidgetItem* item = list_->item(static_cast<int>(index));
    const bool ok = result.passed();
    item->setText(QStringLiteral("%1  %2 : %3")
                      .arg(ok ? QStringLiteral("✓") : QStringLiteral("✗"), fromUtf8(result.caseName),
                           fromUtf8(verdictText(result))));
    item->setForeground(ok ? QColor(23, 105, 46) : QColor(179, 38, 30));
    updateSummary();
    if (list_->currentRow() == static_cast<int>(index)) showCase(static_cast<int>(index));
}

void TEssaisView::trialFinished(bool stopped) {
    stopped_ = stopped;
    updateSummary();
    // The first failure is shown at once, where the learner will look first.
    if (list_->currentRow() < 0)
        for (std::size_t i = 0; i < results_.size(); ++i)
            if (done_[i] && !results_[i].passed()) {
                list_->setCurrentRow(static_cast<int>(i));
                break;
            }
    emit finished(stopped);
}

void TEssaisView::updateSummary() {
    std::size_t done = 0, passed = 0;
    for (std::size_t i = 0; i < results_.size(); ++i) {
        done += done_[i] ? 1 : 0;
        passed += done_[i] && results_[i].passed() ? 1 : 0;
    }
    const QString counts = QStringLiteral("%1 réussi%2 sur %3").arg(passed).arg(passed > 1 ? "s" : "").arg(results_.size());
    if (trial_.running())
        summary_->setText(QStringLiteral("Essais en cours (%1/%2) : %3").arg(done).arg(results_.size()).arg(counts));
    else if (stopped_)
        summary_->setText(QStringLiteral("Essais arrêtés : %1").arg(counts));
    else
        summary_->setText(QStringLiteral("Essais : %1").arg(counts));
}

void TEssaisView::showCase(int row) {
    if (row < 0 || row >= static_cast<int>(results_.size()) || !done_[static_cast<std::size_t>(row)]) {
        expected_->clear();
        obtained_->clear();
        detail_->clear();
        return;
    }
    const CaseResult& result = results_[static_cast<std::size_t>(row)];
    detail_->setText(fromUtf8(result.caseName + " : " + verdictText(result)));
    const int differing = result.verdict == Verdict::WrongOutput ? result.difference.line : 0;
    showOutput(expected_, comparedLines(result.expected, settings_.exact), differing);
    showOutput(obtained_, comparedLines(result.obtained, settings_.exact), differing);
    if (result.verdict == Verdict::Error && result.line > 0) emit errorLineChosen(result.line);
}

} // namespace zef
