// TEditeur's editing commands: find and replace, automatic indentation, the procedure
// and keyword lists, and the insertion of generated fragments.
#include "editing.h"
#include "finddialog.h"
#include "generators.h"
#include "teditor.h"

#include <QKeyEvent>
#include <QTextBlock>

namespace zef {

namespace {

// The memo's lines as the text logic reads them (UTF-8).
std::vector<std::string> memoLines(const TColorMemo& memo) {
    std::vector<std::string> lines;
    for (QTextBlock b = memo.document()->begin(); b.isValid(); b = b.next()) lines.push_back(b.text().toStdString());
    return lines;
}

// The memo's positions count a line break as CR LF, as the fragments hold it; its
// blocks hold one line break.
QString asBlocks(const QString& text) {
    QString out = text;
    return out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

void TEditeur::setUpEditing() {
    FindDialog1 = new TFindDialog(TFindDialog::Kind::Find, this);
    ReplaceDialog1 = new TFindDialog(TFindDialog::Kind::Replace, this);
    FindDialog1->OnFind = [this](TFindDialog& d) { Find(d); };
    ReplaceDialog1->OnFind = [this](TFindDialog& d) { Find(d); };
    ReplaceDialog1->OnReplace = [this](TFindDialog& d) { Replace(d); };
}

GeneratorWindows& TEditeur::generators() {
    if (generators_) return *generators_;
    if (!ownGenerators_) ownGenerators_ = std::make_shared<GeneratorWindows>(this);
    return *ownGenerators_;
}

void TEditeur::Chercher() { FindDialog1->Execute(); }

void TEditeur::Remplacer() { ReplaceDialog1->Execute(); }

void TEditeur::Find(TFindDialog& sender) {
    if (Memo1->SearchText(sender.FindText(), sender.Options())) return;
    // The message's misspelling and its blank before "non" are the system's own.
    showMessage(QStringLiteral("Chaîne rechechée \"%1\" non trouvée").arg(sender.FindText()));
}

void TEditeur::Continuer() { Find(*FindDialog1); }

void TEditeur::Replace(TFindDialog& sender) {
    if (textLocked() || !acceptText(sender.ReplaceText())) return;
    const QString what = sender.FindText();
    // The match selected by the last search is replaced first, whatever its letter case
    // and whatever the match-case option says.
    // However many replacements, one "Annuler" takes them all back.
    QTextCursor oneStep(Memo1->document());
    oneStep.beginEditBlock();
    if (!what.isEmpty() && Memo1->textCursor().selectedText().compare(what, Qt::CaseInsensitive) == 0)
        insertText(sender.ReplaceText(), static_cast<int>(sender.ReplaceText().size()));
    bool found = Memo1->SearchText(what, sender.Options());
    while (found && sender.replaceAll()) {
        insertText(sender.ReplaceText(), static_cast<int>(sender.ReplaceText().size()));
        found = Memo1->SearchText(what, sender.Options());
    }
    oneStep.endEditBlock();
    // Here the message has no blank before "non", as the system has always written it.
    if (!found && sender.replaceOne()) showMessage(QStringLiteral("Chaîne recherchée \"%1\"non trouvée").arg(what));
}

bool TEditeur::FormKeyPress(QKeyEvent* event) {
    const int key = event->key();
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    // Shift+Enter is Enter too: a program line never holds a soft line break.
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || (modifiers & ~Qt::ShiftModifier) != Qt::NoModifier)
        return false;
    const QTextCursor c = Memo1->textCursor();
    const QTextBlock block = Memo1->document()->findBlock(c.selectionStart());
    const auto indentation =
        editor::EnterIndentation(block.blockNumber(), c.selectionStart() - block.position(), [this](int line) {
            return Memo1->document()->findBlockByNumber(line).text().toStdString();
        });
    // Without a reference line (on the first line) the line break stands alone.
    QTextCursor edit = Memo1->textCursor();
    edit.insertText(QStringLiteral("\n") + QString::fromStdString(indentation.value_or(std::string())));
    Memo1->setTextCursor(edit);
    Memo1->ensureCursorVisible();
    return true;
}

void TEditeur::insertText(const QString& text, int caret) {
    const int start = Memo1->SelStart();
    QTextCursor c = Memo1->textCursor();
    // An undo step of its own: not merged with what was typed just before.
    c.beginEditBlock();
    c.insertText(asBlocks(text));
    c.endEditBlock();
    Memo1->setTextCursor(c);
    Memo1->Select(start + caret, 0);
}

void TEditeur::insertFragment(const QString& fragment, editor::Insertion kind) {
    // A cancelled dialog, or one left without a required field, changes nothing.
    if (fragment.isEmpty() || textLocked() || !acceptText(fragment)) return;
    const std::string utf8 = fragment.toStdString();
    const std::size_t caret = editor::CaretInFragment(kind, utf8);
    insertText(fragment, static_cast<int>(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(caret)).size()));
    Memo1->setFocus();
}

void TEditeur::ListeSubs() {
    TListeSel& list = *generators().ListeSel;
    list.Init(*Memo1);
    list.exec();
    const QString chosen = list.selectedText();
    if (chosen.isEmpty()) return;
    if (const auto line = editor::FirstLineContaining(memoLines(*Memo1), chosen.toStdString())) {
        QTextCursor c(Memo1->document()->findBlockByNumber(*line));
        Memo1->setTextCursor(c);
        Memo1->ensureCursorVisible();
    }
    Memo1->setFocus();
}

void TEditeur::Instructions() {
    if (textLocked()) return;
    TMotsCle& list = *generators().MotsCle;
    list.exec();
    const QString word = list.selectedText();
    if (word.isEmpty()) return;
    insertText(word, static_cast<int>(word.size()));
    Memo1->setFocus();
}

void TEditeur::generate(QDialog& dialog, const std::function<GeneratedText()>& result, editor::Insertion kind) {
    // The text cannot change during a run: the dialog is not even offered then.
    if (textLocked()) return;
    dialog.exec();
    insertFragment(result().text, kind);
}

void TEditeur::Forg() {
    TBoucleFor& dialog = *generators().BoucleFor;
    generate(dialog, [&dialog] { return dialog.Result(); }, editor::Insertion::For);
}

void TEditeur::whileg() {
    TBoucleWhile& dialog = *generators().BoucleWhile;
    dialog.setWindowTitle(QStringLiteral("Boucle While"));
    generate(dialog, [&dialog] { return dialog.Result1(); }, editor::Insertion::While);
}

void TEditeur::Dog() {
    TBoucleWhile& dialog = *generators().BoucleWhile;
    dialog.setWindowTitle(QStringLiteral("Boucle Repeat"));
    generate(dialog, [&dialog] { return dialog.Result2(); }, editor::Insertion::Repeat);
}

void TEditeur::Ifg() {
    TConditionIf& dialog = *generators().ConditionIf;
    generate(dialog, [&dialog] { return dialog.Result(); }, editor::Insertion::If);
}

void TEditeur::Liref() {
    TFileIO& dialog = *generators().FileIO;
    dialog.setMode(generators::FileMode::Read);
    generate(dialog, [&dialog] { return dialog.Result(); }, editor::Insertion::File);
}

void TEditeur::Ecriref() {
    TFileIO& dialog = *generators().FileIO;
    dialog.setMode(generators::FileMode::Write);
    generate(dialog, [&dialog] { return dialog.Result(); }, editor::Insertion::File);
}

void TEditeur::Imprimf() {
    insertFragment(QString::fromLatin1(generators::kPrinterFragment.data(),
                                       static_cast<qsizetype>(generators::kPrinterFragment.size())),
                   editor::Insertion::Printer);
}

} // namespace zef
