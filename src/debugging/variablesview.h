// The live "Variables" view: a dockable list of every variable of the program with its
// type and value, arrays expandable to their elements, the values that changed since the
// previous stop in colour. It reads the interpreter only when told that a run stopped and
// only while it is visible, so a running program never pays for it.
#pragma once

#include "interpreter.h"
#include "variables.h"

#include <QWidget>

class QTreeWidget;

namespace zef {

class TVariablesView : public QWidget {
    Q_OBJECT
public:
    explicit TVariablesView(const Interpreter& interpreter, QWidget* parent = nullptr);

    // A run has stopped (a step, a breakpoint, an error, the end, an interruption).
    void runStopped();
    // A fresh run (not a continued one) starts.
    void freshRunStarting() { snapshot_.startOver(); }
    QTreeWidget* tree() const { return tree_; }
    const debugging::VariablesSnapshot& snapshot() const { return snapshot_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void rebuild();
    void updateValues();

    const Interpreter& interpreter_;
    QTreeWidget* tree_;
    debugging::VariablesSnapshot snapshot_;
    bool stale_ = true; // a run stopped while the view was hidden
};

} // namespace zef
