#include "essaisview.h"

#include "viewsettings.h"

#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
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
    // Outputs side by side line up only in a font whose glyphs have one width.
    QFont fixed = view::fixedWidthFont();
    fixed.setPointSizeF(QFontDatabase::systemFont(QFontDatabase::FixedFont).pointSizeF());
    text->setFont(fixed);
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
        // A red tint of the pane's own paper: its text stays readable on a dark palette.
        mark.format.setBackground(view::tinted(pane->palette().color(QPalette::Base), QColor(230, 40, 40), 0.35));
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
    summary_ = new QLabel(fromUtf8(board_.summary()), this);
    summary_->setObjectName("EssaisSummary");
    summary_->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName("EssaisList");
    detail_ = new QLabel(this);
    detail_->setObjectName("EssaisDetail");
    detail_->setWordWrap(true);
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    parameters_ = new QLabel(this);
    parameters_->setObjectName("EssaisParametres");
    parameters_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // What the case gives the program, then what it should write and what it wrote.
    auto* sides = new QSplitter(Qt::Horizontal, this);
    input_ = outputPane(sides, QStringLiteral("Entrée"), QStringLiteral("EssaisEntree"));
    input_->setPlaceholderText(QStringLiteral("(entrée vide)"));
    expected_ = outputPane(sides, QStringLiteral("Attendu"), QStringLiteral("EssaisAttendu"));
    obtained_ = outputPane(sides, QStringLiteral("Obtenu"), QStringLiteral("EssaisObtenu"));
    sides->setStretchFactor(0, 1);
    sides->setStretchFactor(1, 2);
    sides->setStretchFactor(2, 2);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(list_);
    auto* lower = new QWidget(split);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(detail_);
    lowerLayout->addWidget(parameters_);
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
    TrialBoard board;
    board.begin(fileName.toStdString(), exercise);
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
    board_ = std::move(board);
    // No case is chosen while the list is filled, so that none shows before its time.
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (std::size_t i = 0; i < board_.size(); ++i) list_->addItem(QString());
    for (int i = 0; i < list_->count(); ++i) showRow(i);
    input_->clear();
    expected_->clear();
    obtained_->clear();
    detail_->clear();
    parameters_->clear();
    summary_->setToolTip(folder);
    updateSummary();
    return true;
}

void TEssaisView::stop() { trial_.stop(); }

bool TEssaisView::running() const { return trial_.running(); }

void TEssaisView::setProgramActive(bool active) {
    if (board_.stale() == (board_.started() && !active)) return;
    board_.setProgramActive(active);
    for (int i = 0; i < list_->count(); ++i) showRow(i);
    updateSummary();
}

void TEssaisView::showRow(int row) {
    QListWidgetItem* item = list_->item(row);
    const auto index = static_cast<std::size_t>(row);
    item->setText(fromUtf8(board_.row(index)));
    // Stale results are greyed: they are another program's.
    if (board_.stale()) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    else if (!board_.done(index)) item->setForeground(QBrush());
    else if (view::isDark(palette())) item->setForeground(board_.result(index).passed() ? QColor(128, 220, 148) : QColor(255, 135, 125));
    else item->setForeground(board_.result(index).passed() ? QColor(23, 105, 46) : QColor(179, 38, 30));
}

void TEssaisView::caseDone(std::size_t index, const CaseResult& result) {
    if (index >= board_.size()) return;
    board_.caseDone(index, result);
    showRow(static_cast<int>(index));
    updateSummary();
    if (list_->currentRow() == static_cast<int>(index)) showCase(static_cast<int>(index));
}

void TEssaisView::trialFinished(bool stopped) {
    board_.finish(stopped);
    updateSummary();
    // The first failure is shown at once, where the learner will look first.
    if (list_->currentRow() < 0)
        if (const auto failure = board_.firstFailure()) list_->setCurrentRow(static_cast<int>(*failure));
    emit finished(stopped);
}

void TEssaisView::updateSummary() { summary_->setText(fromUtf8(board_.summary())); }

void TEssaisView::showCase(int row) {
    if (row < 0 || row >= static_cast<int>(board_.size())) {
        input_->clear();
        expected_->clear();
        obtained_->clear();
        detail_->clear();
        parameters_->clear();
        return;
    }
    const auto index = static_cast<std::size_t>(row);
    detail_->setText(fromUtf8(board_.detail(index)));
    parameters_->setText(fromUtf8(board_.parameters(index)));
    input_->setPlainText(fromUtf8(board_.input(index)));
    if (!board_.done(index)) {
        expected_->clear();
        obtained_->clear();
        return;
    }
    const CaseResult& result = board_.result(index);
    const int differing = result.verdict == Verdict::WrongOutput ? result.difference.line : 0;
    showOutput(expected_, comparedLines(result.expected, settings_.exact), differing);
    showOutput(obtained_, comparedLines(result.obtained, settings_.exact), differing);
    if (const int line = board_.line(index); line > 0) emit errorLineChosen(line);
}

} // namespace zef
