// What a learner finds in any editor beside the design's own commands: undo and redo,
// going to a line, line numbers, a fixed-width font on request, the caption's mark of
// unsaved changes, and the light paper the program is written on.
#include "qttext.h"
#include "teditor.h"
#include "viewsettings.h"

#include <QDate>
#include <QFileInfo>
#include <QInputDialog>
#include <QTextBlock>

#include <algorithm>

namespace zef {

namespace {
const QString kModifiedMark = QStringLiteral("[*]");
const QString kCaptionPrefix = captionPrefix();
} // namespace

void TEditeur::setUpView() {
    // The colour rules are chosen for black text on white paper: a dark desktop theme
    // leaves the program text (and its scroll bars) as they were designed.
    Memo1->setPalette(view::lightPalette());
    const view::EditorView remembered = view::load();
    setLineNumbers(remembered.lineNumbers);
    setFixedPitch(remembered.fixedPitch);
    // "[*]" in the caption becomes "*" while the text has changes that Quitter would ask
    // about, and disappears when they are saved.
    connect(Memo1->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);
    setWindowModified(Memo1->document()->isModified());
}

void TEditeur::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Whoever sets the caption (the frame, Save As), it keeps the place of the mark.
    if (event->type() == QEvent::WindowTitleChange && !windowTitle().isEmpty() &&
        !windowTitle().endsWith(kModifiedMark))
        setWindowTitle(windowTitle() + kModifiedMark);
}

QString TEditeur::caption() const {
    QString shown = windowTitle();
    if (shown.endsWith(kModifiedMark)) shown.chop(kModifiedMark.size());
    return shown;
}

void TEditeur::Annuler() {
    if (!textLocked()) Memo1->undo();
}

void TEditeur::Retablir() {
    if (!textLocked()) Memo1->redo();
}

void TEditeur::goToLine(int line) {
    const int last = Memo1->blockCount();
    QTextCursor c(Memo1->document()->findBlockByNumber(std::clamp(line, 1, last) - 1));
    Memo1->setTextCursor(c);
    Memo1->ensureCursorVisible();
    Memo1->setFocus();
}

void TEditeur::AllerALaLigne() {
    const int last = Memo1->blockCount();
    int line = 0;
    if (lineNumberHook) {
        line = lineNumberHook(last);
    } else {
        bool ok = false;
        const int chosen = QInputDialog::getInt(this, QStringLiteral("Aller à la ligne"),
                                                QStringLiteral("Numéro de ligne (1 à %1) :").arg(last),
                                                Memo1->textCursor().blockNumber() + 1, 1, last, 1, &ok);
        if (ok) line = chosen;
    }
    if (line > 0) goToLine(line);
}

void TEditeur::setLineNumbers(bool on) { Memo1->setLineNumbersVisible(on); }

void TEditeur::setFixedPitch(bool on) {
    fixedPitch_ = on;
    Memo1->setFont(view::editorFont(on, zoom_));
}

Listing TEditeur::listing() const {
    Listing out;
    out.lines = lines();
    out.name = DocumentPath.isEmpty() ? caption().remove(0, caption().startsWith(kCaptionPrefix) ? kCaptionPrefix.size() : 0)
                                      : QFileInfo(DocumentPath).fileName();
    const QDate today = QDate::currentDate();
    out.date = fromCp1252(regionalSettingsFromQt().formatDate(DateTime{today.year(), today.month(), today.day()}));
    out.lineNumbers = Memo1->lineNumbersVisible();
    out.font = Memo1->font();
    return out;
}

} // namespace zef
