#include "picklists.h"

#include "colormemo.h"
#include "fragments.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTextBlock>
#include <QVBoxLayout>

namespace zef {

TPickList::TPickList(QWidget* parent) : QDialog(parent) {
    // A title bar with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    // A double click (whose first click selected the entry) chooses it.
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
}

int TPickList::ItemIndex() const {
    QListWidgetItem* item = ListBox1->currentItem();
    return item && item->isSelected() ? ListBox1->row(item) : -1;
}

void TPickList::setItemIndex(int row) {
    if (row < 0) {
        ListBox1->clearSelection();
        ListBox1->setCurrentRow(-1);
    } else {
        ListBox1->setCurrentRow(row);
    }
}

QString TPickList::selectedText() const {
    const int row = ItemIndex();
    return row < 0 ? QString() : ListBox1->item(row)->text();
}

void TPickList::ListBox1KeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
    } else if (event->key() == Qt::Key_Escape) {
        setItemIndex(-1);
        reject();
    } else {
        event->ignore();
    }
}

bool TPickList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        key->accept();
        ListBox1KeyPress(key);
        if (key->isAccepted()) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TPickList::keyPressEvent(QKeyEvent* event) {
    event->accept();
    ListBox1KeyPress(event);
    if (!event->isAccepted()) QDialog::keyPressEvent(event);
}

void TPickList::closeEvent(QCloseEvent* event) {
    // The close box hands back the highlighted entry, like Enter.
    event->accept();
    accept();
}

void TPickList::showEvent(QShowEvent* event) {
    // The entry kept from the last use is in view.
    ListBox1->setFocus();
    if (QListWidgetItem* item = ListBox1->currentItem()) ListBox1->scrollToItem(item);
    QDialog::showEvent(event);
}

TMotsCle::TMotsCle(QWidget* parent) : TPickList(parent) {
    setObjectName("MotsCle");
    setWindowTitle(QStringLiteral("Mots clé"));
    for (const std::string& word : generators::KeywordListEntries()) ListBox1->addItem(QString::fromStdString(word));
    Explanation = new QLabel(this);
    Explanation->setObjectName("Explanation");
    Explanation->setWordWrap(true);
    Explanation->setMinimumHeight(2 * Explanation->fontMetrics().height());
    layout()->addWidget(Explanation);
    resize(260, 380);
}

void TMotsCle::setExplainer(std::function<QString(const QString& word)> explain) {
    auto show = [this, explain](int row) {
        const QListWidgetItem* item = row < 0 ? nullptr : ListBox1->item(row);
        Explanation->setText(item ? explain(item->text().trimmed()) : QString());
    };
    connect(ListBox1, &QListWidget::currentRowChanged, this, show);
    show(ListBox1->currentRow());
}

void TMotsCle::mousePressEvent(QMouseEvent* event) {
    event->accept();
    accept();
}

TListeSel::TListeSel(QWidget* parent) : TPickList(parent) {
    setObjectName("ListeSel");
    setWindowTitle(QStringLiteral("Liste des Procedures"));
    resize(380, 260);
}

void TListeSel::Init(const TColorMemo& memo) {
    std::vector<std::string> lines;
    for (QTextBlock b = memo.document()->begin(); b.isValid(); b = b.next()) lines.push_back(b.text().toStdString());
    ListBox1->clear();
    for (const std::string& heading : generators::ProcedureHeadings(lines))
        ListBox1->addItem(QString::fromStdString(heading));
    setItemIndex(-1);
}

} // namespace zef
