// The dockable "Essais" view of "Exécuter > Tester avec les essais": the cases of the
// exercise with their verdicts (✓ or ✗ and the French verdict) as the runs finish, and for
// the case chosen its expected and obtained outputs side by side, the first difference
// highlighted. The runs are a Trial (plain C++, its own thread); the view only shows what
// it reports, so the IDE stays responsive throughout.
#pragma once

#include "trial.h"

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

    QListWidget* cases() const { return list_; }
    QPlainTextEdit* expectedText() const { return expected_; }
    QPlainTextEdit* obtainedText() const { return obtained_; }
    QLabel* summary() const { return summary_; }
    const std::vector<CaseResult>& results() const { return results_; }

signals:
    // Every case has run (or the trial was stopped).
    void finished(bool stopped);
    // A case that stopped on an error was chosen: the editor puts its caret on the line.
    void errorLineChosen(int line);

private:
    void caseDone(std::size_t index, const CaseResult& result);
    void trialFinished(bool stopped);
    void showCase(int row);
    void updateSummary();

    Trial trial_;
    RunSettings settings_;
    std::vector<CaseResult> results_;
    std::vector<bool> done_;
    bool stopped_ = false;
    QLabel* summary_;
    QListWidget* list_;
    QLabel* detail_;
    QPlainTextEdit* expected_;
    QPlainTextEdit* obtained_;
};

} // namespace zef
