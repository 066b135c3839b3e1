#include "variablesview.h"

#include "qttext.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zef {
namespace {

enum Column { NameColumn, TypeColumn, ValueColumn };

// What changed is red: lighter on a dark palette, where the usual red hardly stands out.
QBrush changedBrush(const QTreeWidget* tree) {
    const bool dark = tree && tree->palette().color(QPalette::Base).lightness() < 128;
    return QBrush(dark ? QColor(255, 123, 123) : QColor(Qt::red));
}

void showValue(QTreeWidgetItem* item, const std::string& value, bool changed) {
    item->setText(ValueColumn, fromCp1252(value));
    item->setForeground(ValueColumn, changed ? changedBrush(item->treeWidget()) : QBrush());
    QFont f = item->font(ValueColumn);
    f.setBold(changed);
    item->setFont(ValueColumn, f);
}

} // namespace

TVariablesView::TVariablesView(const Interpreter& interpreter, QWidget* parent)
    : QWidget(parent), interpreter_(interpreter) {
    setObjectName("VariablesView");
    tree_ = new QTreeWidget(this);
    tree_->setObjectName("Variables");
    tree_->setHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Type"), QStringLiteral("Valeur")});
    tree_->setRootIsDecorated(true);
    tree_->setUniformRowHeights(true);
    tree_->header()->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);
}

void TVariablesView::runStopped() {
    if (isVisible()) refresh();
    else stale_ = true;
}

void TVariablesView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) refresh();
}

void TVariablesView::refresh() {
    stale_ = false;
    snapshot_.refresh(interpreter_);
    if (snapshot_.sameShape() && tree_->topLevelItemCount() == static_cast<int>(snapshot_.rows().size()))
        updateValues();
    else
        rebuild();
}

void TVariablesView::rebuild() {
    tree_->clear();
    QList<QTreeWidgetItem*> items;
    for (const debugging::VariableRow& row : snapshot_.rows()) {
        auto* item = new QTreeWidgetItem;
        item->setText(NameColumn, fromCp1252(row.name));
        item->setText(TypeColumn, QString::fromUtf8(row.type));
        if (row.array) {
            for (std::size_t i = 0; i < row.values.size(); ++i) {
                auto* element = new QTreeWidgetItem(item);
                element->setText(NameColumn, fromCp1252(row.name) + QStringLiteral("[%1]").arg(i + 1));
                element->setText(TypeColumn, QString::fromUtf8(row.type));
            }
        }
        items.push_back(item);
    }
    tree_->addTopLevelItems(items);
    updateValues();
}

// Only the value cells change from one stop to the next; the rows stay, with the arrays
// the user opened still open.
void TVariablesView::updateValues() {
    const auto& rows = snapshot_.rows();
    for (int r = 0; r < tree_->topLevelItemCount(); ++r) {
        const debugging::VariableRow& row = rows[static_cast<std::size_t>(r)];
        QTreeWidgetItem* item = tree_->topLevelItem(r);
        if (!row.array) {
            showValue(item, row.values.front(), row.changed.front());
            continue;
        }
        // A closed array shows that something inside it changed.
        item->setForeground(NameColumn, row.anyChanged() ? changedBrush(tree_) : QBrush());
        for (int i = 0; i < item->childCount(); ++i)
            showValue(item->child(i), row.values[static_cast<std::size_t>(i)], row.changed[static_cast<std::size_t>(i)]);
    }
}

} // namespace zef
