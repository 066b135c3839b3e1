// The dockable "Essais" view of "Exécuter > Tester avec les essais": the program tested,
// the cases of the exercise with their verdicts (✓ or ✗, the French verdict and the time)
// as the runs finish, and for the case chosen its parameters and input beside its expected
// and obtained outputs, the first difference highlighted. The runs are a Trial (plain C++,
// its own thread) and what is shown is a TrialBoard's; the view only wires them to its
// widgets, so the IDE stays responsive throughout.
#pragma once

#include "trial.h"
#include "trialboard.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace zef {

class TEssaisView : public QWidget {
    Q_OBJECT
public:
    explicit TEssaisView(QWidget* parent = nullptr);
    ~TEssaisView() override;

    // Starts the program's text (as the editor holds it) on every case of `exercise`; false
    // with a French reason when it cannot start.
    bool start(const QString& programText, const QString& fileName, Exercise exercise, std::string& reason);
    // Ctrl+F2: ends the runs in progress.
    void stop();
    bool running() const;
    // The settings of every run (zefrun, bounds, confinement); tests shorten the bounds.
    RunSettings& settings() { return settings_; }
    // Whether the program tested is the active one: while it is not, the results are
    // marked stale and no case moves a caret.
    void setProgramActive(bool active);
    const TrialBoard& board() const { return board_; }

    QListWidget* cases() const { return list_; }
    QPlainTextEdit* expectedText() const { return expected_; }
    QPlainTextEdit* obtainedText() const { return obtained_; }
    QPlainTextEdit* inputText() const { return input_; }
    QLabel* parameters() const { return parameters_; }
    QLabel* summary() const { return summary_; }
    const std::vector<CaseResult>& results() const { return board_.results(); }

signals:
    // Every case has run (or the trial was stopped).
    void finished(bool stopped);
    // A case that stopped at a line (on an error, or by a bound) was chosen: the editor
    // puts its caret on the line.
    void errorLineChosen(int line);

private:
    void caseDone(std::size_t index, const CaseResult& result);
    void trialFinished(bool stopped);
    void showCase(int row);
    void showRow(int row);
    void updateSummary();

    Trial trial_;
    RunSettings settings_;
    TrialBoard board_;
    QLabel* summary_;
    QListWidget* list_;
    QLabel* detail_;
    QLabel* parameters_;
    QPlainTextEdit* input_;
    QPlainTextEdit* expected_;
    QPlainTextEdit* obtained_;
};

} // namespace zef
