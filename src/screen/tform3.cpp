#include "tform3.h"

#include "qttext.h"
#include "tform12.h"
#include "zoom.h"

#include "messages.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QDateTime>
#include <QWindow>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace zef {

void showErrorBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

QString messageHelpTarget(const QString& message) {
    const auto known = messageOf(toCp1252(message));
    if (!known) return QStringLiteral("messages.html");
    return QStringLiteral("messages.html#") + QString::fromLatin1(messageName(*known));
}

void showRunErrorBox(QWidget* parent, const QString& message, int line, const QString& lineText,
                     const std::function<void(const QString& target)>& openHelp) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("RunErrorBox"));
    if (line > 0)
        box.setInformativeText(QStringLiteral("Ligne %1 : %2").arg(line).arg(lineText.trimmed()).toHtmlEscaped());
    QPushButton* help = openHelp ? box.addButton(QStringLiteral("Aide sur ce message"), QMessageBox::HelpRole)
                                 : nullptr;
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (help && box.clickedButton() == help) openHelp(messageHelpTarget(message));
}

// ---- Printer -------------------------------------------------------------------------

QtPrinterDevice::QtPrinterDevice() = default;
QtPrinterDevice::~QtPrinterDevice() { close(); }

bool QtPrinterDevice::open() {
    close();
    if (outputFile_.isEmpty() && QPrinterInfo::defaultPrinter().isNull()) return false;
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!outputFile_.isEmpty()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(outputFile_);
    }
    printer_->setDocName(QStringLiteral("Zef Pascal"));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        printer_.reset();
        return false;
    }
    QFont f = QApplication::font();
    f.setPointSize(11);
    painter_->setFont(f);
    y_ = 0;
    line_.clear();
    return true;
}

bool QtPrinterDevice::write(const std::string& text) {
    if (!painter_) return false;
    line_ += fromCp1252(text);
    return true;
}

bool QtPrinterDevice::newLine() {
    if (!painter_) return false;
    const QFontMetrics fm(painter_->font(), printer_.get());
    const QRect page = printer_->pageLayout().paintRectPixels(printer_->resolution());
    if (y_ + fm.height() > page.height()) {
        if (!printer_->newPage()) return false;
        y_ = 0;
    }
    painter_->drawText(0, y_ + fm.ascent(), line_);
    y_ += fm.height();
    line_.clear();
    return true;
}

bool QtPrinterDevice::close() {
    if (!painter_) return true;
    if (!line_.isEmpty()) newLine();
    const bool ok = painter_->end();
    painter_.reset();
    printer_.reset();
    return ok;
}

// ---- Screen window -------------------------------------------------------------------

TForm3::TForm3(TForm12* inputLine, QWidget* parent)
    // A window of the dialog kind, with the buttons of an ordinary window: a window
    // manager keeps such a window above the frame it belongs to, so clicking the frame or
    // opening its menus never hides the program's output.
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      inputLine_(inputLine) {
    setObjectName("Form3");
    setWindowTitle(QStringLiteral("Ecran"));
    resize(588, 438);
    QFont f = QApplication::font();
    f.setPixelSize(17);
    setFont(f);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    if (const QScreen* s = QApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    record_.setLineHeight(QFontMetrics(font()).height());
    // The input line is a part of this window: it stands on the cursor whatever the window
    // manager does, and it comes to the front with the output it belongs to.
    inputLine_->setParent(this);
    inputLine_->hide();
    inputLine_->onEscape = [this] { requestInterrupt(); };
    setZoom(zoom::load(QStringLiteral("ecran")));
    Platform platform;
    platform.screen = this;
    platform.messages = this;
    platform.printer = &printer_;
    platform.poll = this;
    platform.regional = regionalSettingsFromQt();
    interpreter_ = std::make_unique<Interpreter>(platform);
}

TForm3::~TForm3() = default;

void TForm3::InitPrg(const QString& programName, const QString& shownName) {
    interpreter_->InitPrg(toCp1252(programName));
    shownName_ = programName.isEmpty() ? shownName : QString();
    // What an earlier run drew is not this run's: a fresh run never writes over it.
    record_.clear(QSize());
    update();
}

QStringList TForm3::takeRunErrors() { return std::exchange(runErrors_, {}); }

void TForm3::Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus) {
    if (running_) return; // never re-entered
    running_ = true;
    interruptRequested_ = false;
    runErrors_.clear();
    emit runningChanged(true);
    struct Done {
        TForm3* self;
        ~Done() {
            self->running_ = false;
            self->update();
            emit self->runningChanged(false);
        }
    } done{this};
    interpreter_->Exec(lines, line, step, outStatus);
}

int TForm3::CloseAll() { return interpreter_->CloseAll(); }

void TForm3::requestInterrupt() {
    interruptRequested_ = true;
    if (inputLine_->waiting()) inputLine_->cancel();
}

void TForm3::bringToFront(bool takeKeyboard) {
    if (isMinimized()) showNormal();
    show();
    raise();
    // Only the input line needs the keyboard: a run or a step otherwise leaves it where
    // it is (in the editor, for the next F7), while the window stands in sight above the
    // frame it belongs to.
    if (takeKeyboard) activateWindow();
}

void TForm3::prepare(const std::string& caption) {
    // A new document has no file name; the caption names it as its editor's title does.
    setWindowTitle(fromCp1252(caption) + shownName_);
    bringToFront(false);
}

void TForm3::drawText(int x, int y, const std::string& text) {
    const QString s = fromCp1252(text);
    const QRect box = record_.add(x, y, QFontMetrics(font()).horizontalAdvance(s), s);
    // The learner must see what the program writes, even after closing or minimising the
    // window during the run.
    if (!isVisible() || isMinimized()) bringToFront(false);
    if (!box.isEmpty())
        update(QRectF(box.x() * zoom_, box.y() * zoom_, box.width() * zoom_, box.height() * zoom_)
                   .toAlignedRect()
                   .adjusted(-1, -1, 1, 1));
}

int TForm3::textWidth(const std::string& text) {
    return QFontMetrics(font()).horizontalAdvance(fromCp1252(text));
}

void TForm3::clearScreen() {
    // A white rectangle outlined in black over the whole outer size: only its top and left
    // edges fall inside the drawing area. Output further away is wiped too.
    record_.clear(frameGeometry().size());
    update();
}

std::string TForm3::readLine(int x, int y) {
    bringToFront(true);
    const QPoint at(qRound(x * zoom_), qRound(y * zoom_));
    inputSeenActive_ = isActiveWindow();
    inputLeft_ = false;
    // A window manager ignores the activation of a window it has not mapped yet (the first
    // input of a session) or is still placing: ask again until the window has been active
    // once, for five seconds at most; after that the user decides where the keyboard goes.
    QTimer retry;
    int tries = 0;
    connect(&retry, &QTimer::timeout, this, [&] {
        if (inputSeenActive_ || ++tries > 100) return retry.stop();
        activateWindow();
    });
    retry.start(50);
    const QString typed = inputLine_->ask(at, std::max(width() - at.x() - 10, 40));
    return toCp1252(typed);
}

void TForm3::showMessage(const std::string& text) {
    if (messageBoxHook) return messageBoxHook(fromCp1252(text));
    QMessageBox::information(this, QApplication::applicationName(), fromCp1252(text));
}

void TForm3::showError(const std::string& text) {
    if (messageBoxHook) return messageBoxHook(fromCp1252(text));
    // Shown once the run has returned, with the line, the caret already on it.
    runErrors_ << fromCp1252(text);
}

bool TForm3::poll() {
    // Keep the application alive while a program runs: repaint, take the interrupt command.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - lastPoll_ >= 20) {
        lastPoll_ = now;
        QApplication::processEvents();
    }
    return interruptRequested_;
}

void TForm3::paintDrawing(QPainter& p, const QRect& area) const {
    // `area` is in screen units; texts outside it are skipped.
    const QFontMetrics fm(font());
    p.setFont(font());
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    if (!record_.outline().isEmpty()) {
        p.setPen(Qt::black);
        p.drawRect(QRectF(0.5, 0.5, record_.outline().width() - 1, record_.outline().height() - 1));
    }
    p.setPen(Qt::black);
    for (const ScreenText* t : record_.texts()) {
        if (t->y > area.bottom() || t->y + fm.height() < area.top() || t->x > area.right() ||
            t->x + t->width < area.left())
            continue;
        p.drawText(t->x, t->y + fm.ascent(), t->text);
    }
}

void TForm3::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(zoom_, zoom_);
    const QRectF exposed = QRectF(event->rect()).adjusted(-1, -1, 1, 1);
    paintDrawing(p, QRectF(exposed.topLeft() / zoom_, exposed.size() / zoom_).toAlignedRect());
}

QRect TForm3::drawingArea() const { return record_.extent() | QRect(QPoint(0, 0), size() / zoom_); }

QImage TForm3::canvas(qreal scale) const {
    const QRect area = drawingArea();
    QImage image((area.size() * scale).expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.scale(scale, scale);
    paintDrawing(p, area);
    return image;
}

void TForm3::setZoom(double factor) {
    const QSize unscaled = size() / zoom_;
    zoom_ = factor;
    QFont f = inputLine_->font();
    f.setPixelSize(std::max(6, qRound(17 * zoom_)));
    inputLine_->setFont(f);
    // The window grows with its text, as far as the screen allows.
    QSize wanted = unscaled * zoom_;
    if (const QScreen* s = screen()) wanted = wanted.boundedTo(s->availableGeometry().size());
    resize(wanted);
    update();
}

void TForm3::copyText() { QApplication::clipboard()->setText(record_.plainText()); }

bool TForm3::savePicture(const QString& path) {
    // At twice the screen scale where the size allows, so that the text stays sharp when the
    // picture is printed or projected.
    const QRect area = drawingArea();
    const qreal scale = std::clamp(4096.0 / std::max(area.width(), area.height()), 1.0, 2.0);
    return canvas(scale).save(path, "PNG");
}

bool TForm3::printDrawing(QPrinter& printer) {
    // Drawn as text, not as a picture: sharp at the printer's resolution. The drawing keeps
    // its size on screen (96 units to the inch) unless it is wider than the page, and runs
    // over as many pages as its height needs.
    const QRect area = drawingArea();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const qreal scale = std::min(printer.resolution() / 96.0, qreal(page.width()) / area.width());
    const int pageUnits = std::max(1, int(page.height() / scale));
    QPainter p;
    if (!p.begin(&printer)) return false;
    for (int top = 0; top < area.height(); top += pageUnits) {
        if (top > 0 && !printer.newPage()) return false;
        p.save();
        p.scale(scale, scale);
        p.translate(0, -top);
        p.setClipRect(QRect(0, top, area.width(), pageUnits));
        paintDrawing(p, QRect(0, top, area.width(), pageUnits));
        p.restore();
    }
    return p.end();
}

void TForm3::zoomStep(int direction) {
    setZoom(zoom::step(zoom_, direction));
    zoom::save(QStringLiteral("ecran"), zoom_);
}

void TForm3::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && running_) {
        requestInterrupt();
        return;
    }
    int direction = 0;
    if (zoom::fromKey(*event, direction)) return zoomStep(direction);
    QWidget::keyPressEvent(event);
}

void TForm3::wheelEvent(QWheelEvent* event) {
    int direction = 0;
    if (zoom::fromWheel(*event, direction)) return zoomStep(direction);
    QWidget::wheelEvent(event);
}

void TForm3::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Copier le texte"), this, &TForm3::copyText);
    menu.addAction(QStringLiteral("&Enregistrer l'image..."), this, [this] {
        const QString path =
            savePictureHook ? savePictureHook()
                            : QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer l'image"),
                                                           QStringLiteral("ecran.png"),
                                                           QStringLiteral("Images PNG (*.png)"));
        if (path.isEmpty()) return;
        if (!savePicture(path))
            showErrorBox(this, QStringLiteral("Impossible d'enregistrer l'image %1").arg(path));
    });
    menu.addAction(QStringLiteral("&Imprimer..."), this, [this] {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted) return;
        if (!printDrawing(printer)) showErrorBox(this, QStringLiteral("Erreur d'impression"));
    });
    menu.exec(event->globalPos());
}

void TForm3::changeEvent(QEvent* event) {
    // The input line starts empty each time the window comes back to the front while it
    // waits (it was emptied when it was shown; the window manager's first activation of the
    // window may come later and must not wipe what was typed already).
    if (event->type() == QEvent::ActivationChange && inputLine_->waiting()) {
        if (!isActiveWindow()) {
            inputLeft_ = inputSeenActive_;
        } else {
            if (inputLeft_) inputLine_->FormActivate();
            inputSeenActive_ = true;
            inputLeft_ = false;
        }
    }
    QWidget::changeEvent(event);
}

} // namespace zef
