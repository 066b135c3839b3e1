#include "teditor.h"

#include "qttext.h"
#include "tform3.h"
#include "viewsettings.h"
#include "zoom.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QWheelEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace zef {

// The memo's lines as the run control and the interpreter see them.
class TEditeur::MemoText : public editor::EditorText {
public:
    explicit MemoText(TEditeur& owner) : owner_(owner) {}
    int count() const override { return owner_.Memo1->blockCount(); }
    std::string line(int index) const override { return owner_.Memo1->LineText(index); }
    void deleteLine(int index) override {
        QTextBlock block = owner_.Memo1->document()->findBlockByNumber(index);
        if (!block.isValid()) return;
        QTextCursor c(block);
        c.select(QTextCursor::BlockUnderCursor);
        if (index == 0) {
            // The first block has no line break before it: take the one after it.
            c.setPosition(block.position());
            c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        }
        c.removeSelectedText();
    }
    void deleteLines(int index, int count) override {
        // One edit for the whole range: a line at a time would be quadratic.
        QTextBlock first = owner_.Memo1->document()->findBlockByNumber(index);
        QTextBlock after = owner_.Memo1->document()->findBlockByNumber(index + count);
        if (!first.isValid() || count <= 0) return;
        QTextCursor c(first);
        c.setPosition(after.isValid() ? after.position() : owner_.Memo1->document()->characterCount() - 1,
                      QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    void setLine(int index, const std::string& text) override {
        QTextBlock block = owner_.Memo1->document()->findBlockByNumber(index);
        if (!block.isValid()) return;
        QTextCursor c(block);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.insertText(fromCp1252(text));
    }
    std::int64_t caret() const override { return owner_.Memo1->SelStart(); }
    void setCaret(std::int64_t offset) override { owner_.Memo1->Select(static_cast<int>(offset), 0); }
    std::string fileName() const override { return toCp1252(QFileInfo(owner_.DocumentPath).fileName()); }

private:
    TEditeur& owner_;
};

class TEditeur::ScreenRunner : public editor::Runner {
public:
    ScreenRunner(TForm3& screen, const TEditeur& editor) : screen_(screen), editor_(editor) {}
    void InitPrg(const std::string& name) override { screen_.InitPrg(fromCp1252(name), editor_.documentName()); }
    void Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& status) override {
        screen_.Exec(lines, line, step, status);
    }

private:
    TForm3& screen_;
    const TEditeur& editor_;
};

TEditeur::TEditeur(TForm3& screen, editor::RunState& runState, QWidget* parent)
    : QWidget(parent), screen_(screen) {
    setObjectName("Editeur");
    resize(502, 265);
    Memo1 = new TColorMemo(this);
    Memo1->setObjectName("Memo1");
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(17);
    Memo1->setFont(f);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setWantTabs(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    // The formatting rectangle: the text stands a little away from the edges.
    Memo1->document()->setDocumentMargin(3);
    SetEditorColorRules(*Memo1);
    Memo1->installEventFilter(this);
    Memo1->viewport()->installEventFilter(this);
    Memo1->OnAcceptText = [this](TColorMemo&, const QString& text) { return acceptText(text); };
    setZoom(zoom::load(QStringLiteral("editeur")));

    QStringList lines;
    for (const auto& l : editor::templateLines()) lines << fromCp1252(l);
    Memo1->setPlainText(lines.join('\n'));
    Memo1->document()->setModified(false);

    text_ = std::make_unique<MemoText>(*this);
    runner_ = std::make_unique<ScreenRunner>(screen_, *this);
    runControl_ = std::make_unique<editor::RunControl>(*runner_, runState);
    runControl_->onAbandoned = [this](const std::string& message) {
        // The run ends where it stood; the caret is not moved, the box says where.
        runErrors_.push_back({fromCp1252(message), screen_.interpreter().currentLine()});
    };
    runControl_->onRunning = [this](bool running) { Memo1->setReadOnly(running); };
    setUpEditing();
    setUpView();
}

TEditeur::~TEditeur() = default;

QStringList TEditeur::lines() const {
    QStringList out;
    for (QTextBlock b = Memo1->document()->begin(); b.isValid(); b = b.next()) out << b.text();
    return out;
}

bool TEditeur::textLocked() const { return screen_.running(); }

void TEditeur::showMessage(const QString& text) {
    if (messageHook) return messageHook(text);
    QMessageBox::information(this, QApplication::applicationName(), text);
}

QString TEditeur::askSaveFile(const QString& title, const QString& filter, const QString& name) {
    if (saveFileHook) return saveFileHook(title, filter, name);
    return QFileDialog::getSaveFileName(this, title, name, filter);
}

QString TEditeur::askOpenFile(const QString& title, const QString& filter, const QString& name) {
    if (openFileHook) return openFileHook(title, filter, name);
    // The dialog opens on the filter that the suggested name belongs to.
    QString selected = QString::fromStdString(editor::filterMatching(filter.toStdString(), name.toStdString()));
    return QFileDialog::getOpenFileName(this, title, name, filter, &selected);
}

void TEditeur::Raz() {
    if (!textLocked()) editor::RunControl::Raz(*text_);
}

bool TEditeur::OpenFile(const QString& path) {
    std::string error;
    const auto source = editor::loadSource(path.toStdString(), error);
    if (!source) {
        showErrorBox(this, QString::fromStdString(error));
        return false;
    }
    DocumentPath = QFileInfo(path).absoluteFilePath();
    encoding_ = source->encoding;
    QStringList lines;
    for (const auto& l : source->lines) lines << fromCp1252(l);
    Memo1->setPlainText(lines.join('\n'));
    Memo1->Select(0, 0);
    Memo1->document()->setModified(false);
    if (!editor::programNameMatches(toCp1252(QFileInfo(path).fileName()),
                                    source->lines.empty() ? std::string() : source->lines[0]))
        showMessage(QStringLiteral("Le nom du programme ne correspond pas au fichier"));
    return true;
}

bool TEditeur::SaveAs() {
    if (textLocked()) return false;
    // The program's own name and folder are proposed; a new program's, from its PROGRAM line,
    // in the folder the IDE works in.
    const QString proposed = QString::fromStdString(editor::proposedSavePath(
        DocumentPath.toStdString(), text_->count() > 0 ? cp1252ToUtf8(text_->line(0)) : std::string(),
        documentName().toStdString(), QDir::currentPath().toStdString()));
    const QString chosen = askSaveFile(QStringLiteral("Enregistrer sous"),
                                       QStringLiteral("Fichiers pascal (*.pas);;Tous les fichiers (*)"), proposed);
    if (chosen.isEmpty()) return false;
    const QString path = QString::fromStdString(editor::saveAsPath(chosen.toStdString()));
    const std::string programLine = editor::programLineFor(toCp1252(path));
    // The first line, the caption and the path change only once the file is written.
    if (!saveTo(path, programLine)) return false;
    DocumentPath = path;
    text_->setLine(0, programLine);
    Memo1->document()->setModified(false);
    const QString caption = captionPrefix() + QFileInfo(DocumentPath).fileName();
    setWindowTitle(caption);
    emit captionChanged(caption);
    emit saved(DocumentPath);
    return true;
}

bool TEditeur::Enregistrer() {
    if (DocumentPath.isEmpty()) return SaveAs();
    if (!saveTo(DocumentPath, std::nullopt)) return false;
    Memo1->document()->setModified(false);
    emit saved(DocumentPath);
    return true;
}

bool TEditeur::acceptText(const QString& text) {
    const std::string lost = charactersOutside1252(text.toStdString());
    if (lost.empty()) return true;
    showMessage(QStringLiteral("Le texte contient des caractères que l'éditeur ne peut pas conserver (%1) : "
                               "il n'est pas inséré.")
                    .arg(QString::fromStdString(lost)));
    return false;
}

bool TEditeur::saveTo(const QString& path, const std::optional<std::string>& firstLine) {
    // Every way in refuses such characters; should one still be there, the file is not
    // written with a "?" in its place while the window shows it.
    if (const std::string lost = charactersOutside1252(plainText().toStdString()); !lost.empty()) {
        const QString error = QStringLiteral("Impossible d'enregistrer %1 : le programme contient des caractères "
                                             "que l'éditeur ne peut pas conserver (%2). Remplacez-les, puis "
                                             "enregistrez.")
                                  .arg(path, QString::fromStdString(lost));
        if (messageHook) messageHook(error);
        else showErrorBox(this, error);
        return false;
    }
    Raz();
    std::vector<std::string> lines;
    for (int i = 0; i < text_->count(); ++i) lines.push_back(text_->line(i));
    if (firstLine && !lines.empty()) lines[0] = *firstLine;
    const auto confirmReadOnly = [this](const std::string& file) {
        const QString question = QStringLiteral("Le fichier %1 est en lecture seule. Voulez-vous le remplacer ?")
                                     .arg(QString::fromStdString(file));
        const int answer = questionHook ? questionHook(question)
                                        : QMessageBox::question(this, QApplication::applicationName(), question,
                                                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        return answer == QMessageBox::Yes;
    };
    std::string error;
    if (!editor::saveSource(path.toStdString(), lines, encoding_, error, confirmReadOnly)) {
        if (error.empty()) return false; // the user kept the read-only file
        if (messageHook) messageHook(QString::fromStdString(error));
        else showErrorBox(this, QString::fromStdString(error));
        return false;
    }
    return true;
}

void TEditeur::Imprimer() {
    QPrinter ownPrinter(QPrinter::HighResolution);
    QPrinter& printer = printer_ ? *printer_ : ownPrinter;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    Raz();
    if (!printListing(printer, listing()))
        showErrorBox(this, QStringLiteral("Erreur d'impression"));
}

void TEditeur::Copier() { Memo1->copy(); }

void TEditeur::Couper() {
    if (!textLocked()) Memo1->cut();
}

void TEditeur::Coller() {
    if (!textLocked()) Memo1->paste();
}

void TEditeur::ToutSelectionner() { Memo1->selectAll(); }

void TEditeur::Importer() {
    if (textLocked()) return;
    const QString path = askOpenFile(
        QStringLiteral("Insérer fichier"),
        // "*" rather than "*.*", which would hide the files without a dot.
        QStringLiteral("Fichiers pascal (*.pas);;Fichiers texte (*.txt);;Tous les fichiers (*)"),
        QStringLiteral("*.txt"));
    if (path.isEmpty()) return;
    // An empty file has nothing to insert: the selection stays as it is.
    if (QFileInfo(path).isFile() && QFileInfo(path).size() == 0) return;
    std::string error;
    const auto source = editor::loadSource(path.toStdString(), error);
    if (!source) {
        showErrorBox(this, QString::fromStdString(error));
        return;
    }
    // Each line of the file followed by a line break, at the caret; the first replaces the
    // selection.
    QTextCursor c = Memo1->textCursor();
    c.beginEditBlock();
    for (const auto& line : source->lines) c.insertText(fromCp1252(line) + '\n');
    c.endEditBlock();
    Memo1->setTextCursor(c);
}

void TEditeur::Executer() {
    if (screen_.running()) return; // F9 again while a program waits for its input
    runErrors_.clear();
    markStoppedLine(-1, false);
    runControl_->Executer(*text_);
    takeFocusBack();
    reportRunErrors();
}

void TEditeur::Continuer2() {
    if (screen_.running()) return;
    runErrors_.clear();
    markStoppedLine(-1, false);
    runControl_->Continuer2(*text_);
    takeFocusBack();
    reportRunErrors();
}

QString TEditeur::documentName() const {
    if (!DocumentPath.isEmpty()) return QFileInfo(DocumentPath).fileName();
    // A new document is known by its title ("ZuzOvozov - PAS2.PAS").
    const QString title = caption();
    const QString prefix = captionPrefix();
    return title.startsWith(prefix) ? title.mid(prefix.size()) : title;
}

void TEditeur::reportRunErrors() {
    // The errors the run reported come after it is over: the caret already stands on the
    // line, and the box says which line and what it holds.
    // A run abandoned by the platform names the line it was running; any other stop, the
    // line where the caret went.
    const std::int32_t stopLine = runErrors_.empty() ? runControl_->state().CurrentLine : runErrors_.front().line;
    std::vector<RunError> errors;
    for (const QString& message : screen_.takeRunErrors()) errors.push_back({message, stopLine});
    // The message that stopped the run (the last) may be about a file it does not name.
    if (!errors.empty()) errors.back().detail = fromCp1252(screen_.interpreter().messageDetail());
    errors.insert(errors.end(), runErrors_.begin(), runErrors_.end());
    // A stop without a message of its own (a division by zero...) says why all the same.
    // (Where the screen hands its errors to a hook, the reason goes there as well.)
    QString why = errors.empty() ? QString() : errors.front().message;
    if (const std::string& reason = screen_.interpreter().stopReason(); errors.empty() && !reason.empty()) {
        why = fromCp1252(reason); // the state says "Arrêté" already
        const QString said = fromCp1252(stoppedBecause(reason));
        if (screen_.messageBoxHook && !runErrorHook) screen_.messageBoxHook(said);
        else errors.push_back({said, stopLine});
    }
    runErrors_.clear();
    showRunState(why, stopLine);
    for (const RunError& error : errors) {
        QString text;
        if (error.line >= 0 && error.line < text_->count()) {
            std::string raw = text_->line(error.line);
            while (!raw.empty() && (raw[0] == editor::kStepMarker || raw[0] == editor::kBreakMarker)) raw.erase(0, 1);
            text = fromCp1252(raw);
        }
        const int shownLine = error.line >= 0 && error.line < text_->count() ? error.line + 1 : 0;
        if (runErrorHook)
            runErrorHook(error.detail.isEmpty() ? error.message : error.message + QStringLiteral(" (%1)").arg(error.detail),
                         shownLine, text.trimmed());
        else showRunErrorBox(this, error.message, shownLine, text, screen_.openHelp, error.detail);
    }
}

void TEditeur::showRunState(const QString& firstError, std::int32_t errorLine) {
    const editor::RunState& state = runControl_->state();
    editor::RunStop stop;
    stop.status = runControl_->lastStatus();
    stop.onError = stop.status < 0 || screen_.interpreter().stoppedOnError();
    stop.stepping = state.StepMode == 1;
    const std::int32_t line = stop.onError ? errorLine : state.CurrentLine;
    stop.line = line + 1;
    stop.why = firstError.toStdString();
    screen_.setRunState(QString::fromStdString(editor::runStateText(stop)));
    markStoppedLine(stop.status == 0 ? -1 : line, stop.onError);
}

void TEditeur::markStoppedLine(int line, bool onError) {
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = Memo1->document()->findBlockByNumber(line);
    markedStopLine_ = line >= 0 && block.isValid() ? line : -1;
    if (markedStopLine_ >= 0) {
        // The whole line on a tint of the text's own background, so that its colours stay
        // readable on a light or a dark palette alike: red for an error, yellow otherwise.
        const QColor tint = onError ? QColor(230, 40, 40) : QColor(240, 200, 0);
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(view::tinted(Memo1->palette().color(QPalette::Base), tint, 0.3));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.cursor = QTextCursor(block);
        marks << mark;
    }
    Memo1->setExtraSelections(marks);
}

void TEditeur::takeFocusBack() {
    // After a run, a stop or an error box the learner goes on typing in the program, where
    // the caret now shows the line concerned; the screen window stays in sight.
    if (auto* host = qobject_cast<QMdiSubWindow*>(parentWidget()))
        if (QMdiArea* area = host->mdiArea()) area->setActiveSubWindow(host);
    window()->activateWindow();
    Memo1->setFocus(Qt::OtherFocusReason);
}

void TEditeur::RestoreText(const QString& path, editor::Encoding encoding, const QString& text) {
    DocumentPath = path;
    encoding_ = encoding;
    const std::string lost = charactersOutside1252(text.toStdString());
    // What the window shows is what a save writes and a run reads.
    Memo1->setPlainText(lost.empty() ? text : fromCp1252(toCp1252(text)));
    if (!lost.empty())
        showMessage(QStringLiteral("Le document récupéré %1 contenait des caractères que l'éditeur ne peut pas "
                                   "conserver (%2) : chacun est remplacé par « ? ».")
                        .arg(path.isEmpty() ? windowTitle() : path, QString::fromStdString(lost)));
    Memo1->Select(0, 0);
    // What was taken back is not saved yet.
    Memo1->document()->setModified(true);
}

QString TEditeur::plainText() const { return Memo1->toPlainText(); }

void TEditeur::setZoom(double factor) {
    zoom_ = factor;
    QFont f = Memo1->font();
    f.setPixelSize(std::max(6, qRound(17 * factor)));
    Memo1->setFont(f);
}

bool TEditeur::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the program keeps the indentation (FormKeyPress), before the memo sees it.
    if (watched == Memo1 && event->type() == QEvent::KeyPress && !Memo1->isReadOnly() &&
        FormKeyPress(static_cast<QKeyEvent*>(event)))
        return true;
    // Ctrl + wheel and Ctrl +/-/0 zoom the program text; the zoom is kept for the next
    // windows and the next start.
    int direction = 0;
    const bool zoomEvent =
        watched == Memo1 || watched == Memo1->viewport()
            ? (event->type() == QEvent::KeyPress && zoom::fromKey(*static_cast<QKeyEvent*>(event), direction)) ||
                  (event->type() == QEvent::Wheel && zoom::fromWheel(*static_cast<QWheelEvent*>(event), direction))
            : false;
    if (!zoomEvent) return QWidget::eventFilter(watched, event);
    setZoom(zoom::step(zoom_, direction));
    zoom::save(QStringLiteral("editeur"), zoom_);
    return true;
}

void TEditeur::Arret() { runControl_->Arret(*text_); }

void TEditeur::Pasapas(bool checked) { runControl_->Pasapas(checked); }

void TEditeur::FormActivate() { runControl_->FormActivate(); }

// Losing the focus leaves the program's files and printer open: a stopped run goes on
// writing to them at the next step. Closing the window or the next fresh run closes them.
void TEditeur::FormDeactivate() {}

void TEditeur::closeEvent(QCloseEvent* event) {
    if (screen_.running()) {
        // A run reads this window's lines: stop it first, then close.
        screen_.requestInterrupt();
        event->ignore();
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(&screen_, &TForm3::runningChanged, this, [this, connection](bool running) {
            if (running) return;
            disconnect(*connection);
            QTimer::singleShot(0, this, [this] {
                if (auto* host = qobject_cast<QMdiSubWindow*>(parentWidget())) host->close();
                else close();
            });
        });
        return;
    }
    if (!closeAgreed_ && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    closeAgreed_ = false;
    // The files the program left open are closed now; lines that cannot be written (a full
    // disk) are an input/output error, said rather than lost in silence.
    if (const int error = screen_.CloseAll(); error != 0)
        showErrorBox(this, QString::fromStdString(cp1252ToUtf8(messageFor(Message::IoError, std::to_string(error)))));
    event->accept();
}

bool TEditeur::FormCloseQuery() {
    if (!Memo1->document()->isModified()) return true;
    // French spacing, without a line break inside: « name » ?
    const QString question = QStringLiteral("Enregistrer les modifications de «\u00A0%1\u00A0»\u00A0?").arg(documentName());
    int answer = QMessageBox::Cancel;
    if (questionHook) {
        answer = questionHook(question);
    } else {
        QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        // French whether or not Qt's own translations are installed.
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Annuler"));
        box.setDefaultButton(QMessageBox::Yes);
        answer = box.exec();
    }
    if (answer == QMessageBox::Cancel) return false;
    // A save that did not happen (Save As cancelled, a write error) keeps the window.
    if (answer == QMessageBox::Yes) return Enregistrer();
    return true;
}

} // namespace zef
