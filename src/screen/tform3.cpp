#include "tform3.h"

#include "qttext.h"
#include "tform12.h"
#include "zoom.h"

#include "messages.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
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
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QtMath>

namespace zef {

void showErrorBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

QString messageHelpTarget(const QString& message) {
    const std::string text = toCp1252(message);
    if (const auto known = messageOf(text))
        return QStringLiteral("messages.html#") + QString::fromLatin1(messageName(*known));
    if (const auto reason = stopReasonOf(text))
        return QStringLiteral("messages.html#") + QString::fromLatin1(stopReasonName(*reason));
    return QStringLiteral("messages.html");
}

void showRunErrorBox(QWidget* parent, const QString& message, int line, const QString& lineText,
                     const std::function<void(const QString& target)>& openHelp, const QString& detail) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("RunErrorBox"));
    // The message may quote the program (a name, a value): shown as it is, never as markup.
    box.setTextFormat(Qt::PlainText);
    // The line goes as rich text that holds it escaped, so that "<", ">" and "&" of the
    // program show as themselves whatever the label makes of the text.
    QString informative;
    if (line > 0)
        informative += QStringLiteral("<p>%1</p>")
                           .arg(QStringLiteral("Ligne %1 : %2").arg(line).arg(lineText.trimmed()).toHtmlEscaped());
    if (!detail.isEmpty()) informative += QStringLiteral("<p>%1</p>").arg(detail.toHtmlEscaped());
    if (!informative.isEmpty()) box.setInformativeText(informative);
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
    // Output past the bottom of the window is kept: the window scrolls to follow the
    // cursor, and the learner can scroll back during and after the run.
    vbar_ = new QScrollBar(Qt::Vertical, this);
    vbar_->setObjectName("ScreenScrollBar");
    vbar_->setFocusPolicy(Qt::NoFocus);
    vbar_->hide();
    connect(vbar_, &QScrollBar::valueChanged, this, [this] {
        placeInputLine();
        update();
    });
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
    updateScrollRange();
    update();
}

QStringList TForm3::takeRunErrors() { return std::exchange(runErrors_, {}); }

void TForm3::Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus) {
    if (running_) return; // never re-entered
    running_ = true;
    interruptRequested_ = false;
    runErrors_.clear();
    if (line == 0) emit freshRunStarting();
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
    caption_ = fromCp1252(caption) + shownName_;
    setRunState(QString::fromUtf8(kRunningState));
    bringToFront(false);
}

void TForm3::setRunState(const QString& state) {
    runState_ = state;
    if (!caption_.isEmpty()) setWindowTitle(state.isEmpty() ? caption_ : caption_ + QStringLiteral(" - ") + state);
    emit runStateChanged(state);
}

void TForm3::drawText(int x, int y, const std::string& text) {
    const QString s = fromCp1252(text);
    const QRect box = record_.add(x, y, QFontMetrics(font()).horizontalAdvance(s), s);
    // The learner must see what the program writes, even after closing or minimising the
    // window during the run.
    if (!isVisible() || isMinimized()) bringToFront(false);
    if (box.isEmpty()) return;
    const int top = scrollTop();
    followRow(y);
    if (scrollTop() != top) return; // scrolling repaints the whole window
    update(QRectF(box.x() * zoom_, (box.y() - top) * zoom_, box.width() * zoom_, box.height() * zoom_)
               .toAlignedRect()
               .adjusted(-1, -1, 1, 1));
}

int TForm3::scrollTop() const { return vbar_->value(); }

int TForm3::visibleUnits() const { return std::max(1, int(height() / zoom_)); }

void TForm3::updateScrollRange(int atLeast) {
    const int visible = visibleUnits();
    const int maximum = std::max(0, std::max(record_.bottom(), atLeast) - visible);
    const QSignalBlocker quiet(vbar_); // the repaint is the caller's
    vbar_->setRange(0, maximum);
    vbar_->setPageStep(visible);
    vbar_->setSingleStep(QFontMetrics(font()).height());
    const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vbar_);
    vbar_->setGeometry(width() - w, 0, w, height());
    vbar_->setVisible(maximum > 0);
}

void TForm3::followRow(int y, int height) {
    // The row's box as the record keeps it (the font's height and two pixels), or what
    // stands on it.
    const int rowBottom = y + std::max(QFontMetrics(font()).height() + 2, height);
    const int visible = visibleUnits();
    if (rowBottom > vbar_->maximum() + visible) updateScrollRange(rowBottom);
    const int top = scrollTop();
    if (y < top) vbar_->setValue(y);
    else if (rowBottom > top + visible) vbar_->setValue(std::min(vbar_->maximum(), rowBottom - visible));
}

void TForm3::placeInputLine() {
    if (inputLine_->isVisible())
        inputLine_->move(qRound(inputAt_.x() * zoom_), qRound((inputAt_.y() - scrollTop()) * zoom_));
}

void TForm3::resizeEvent(QResizeEvent* event) {
    updateScrollRange();
    QWidget::resizeEvent(event);
}

int TForm3::textWidth(const std::string& text) {
    return QFontMetrics(font()).horizontalAdvance(fromCp1252(text));
}

void TForm3::clearScreen() {
    // A white rectangle outlined in black over the whole outer size: only its top and left
    // edges fall inside the drawing area. Output further away is wiped too.
    record_.clear(frameGeometry().size());
    updateScrollRange();
    vbar_->setValue(0);
    update();
}

std::string TForm3::readLine(int x, int y) {
    bringToFront(true);
    // The input line is a little taller than a row of text: all of it comes into sight.
    followRow(y, qCeil(inputLine_->heightNeeded() / zoom_) + 1);
    inputAt_ = QPoint(x, y);
    const QPoint at(qRound(x * zoom_), qRound((y - scrollTop()) * zoom_));
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
    const int barWidth = vbar_->isVisible() ? vbar_->width() : 0;
    setRunState(QString::fromUtf8(kWaitingState));
    const QString typed = inputLine_->ask(at, std::max(width() - barWidth - at.x() - 10, 40));
    setRunState(QString::fromUtf8(kRunningState));
    return toCp1252(typed);
}

void TForm3::showMessage(const std::string& text) {
    if (messageBoxHook) return messageBoxHook(fromCp1252(text));
    QMessageBox::information(this, QApplication::applicationName(), fromCp1252(text));
}

void TForm3::showError(const std::string& text) {
    if (messageBoxHook) return messageBoxHook(fromCp1252(text));
    // An error of a run is shown once the run has returned, with the line, the caret
    // already on it; one outside a run (a variable examined) at once.
    if (running_) runErrors_ << fromCp1252(text);
    else showErrorBox(this, fromCp1252(text));
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
    const int top = scrollTop();
    p.translate(0, -top);
    const QRectF exposed = QRectF(event->rect()).adjusted(-1, -1, 1, 1);
    paintDrawing(p, QRectF(exposed.topLeft() / zoom_, exposed.size() / zoom_).toAlignedRect().translated(0, top));
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
    updateScrollRange();
    update();
}

void TForm3::copyText() { QApplication::clipboard()->setText(record_.plainText()); }

QStringList TForm3::picturePaths(const QString& path, int* pieceUnits, qreal* scale) const {
    // At twice the screen scale where the size allows, so that the text stays sharp when the
    // picture is printed or projected. A drawing taller than one picture can reasonably be
    // (a long run scrolls far) is cut into pictures of that height, none over 64 million
    // pixels, so that everything kept is saved without holding gigabytes of pixels.
    constexpr int kMaxPictureHeight = 16384;
    constexpr qint64 kMaxPixels = 64ll << 20;
    const QRect area = drawingArea();
    const qreal s = std::clamp(4096.0 / std::max(area.width(), area.height()), 1.0, 2.0);
    const qreal widthPixels = std::max(1.0, area.width() * s);
    const int units = std::max(1, int(std::min<qreal>(kMaxPictureHeight, kMaxPixels / widthPixels) / s));
    const int pieces = std::max(1, (area.height() + units - 1) / units);
    if (pieceUnits) *pieceUnits = units;
    if (scale) *scale = s;
    const QFileInfo info(path);
    QStringList paths{path};
    for (int n = 2; n <= pieces; ++n)
        paths << info.dir().filePath(QStringLiteral("%1-%2.%3")
                                         .arg(info.completeBaseName())
                                         .arg(n)
                                         .arg(info.suffix().isEmpty() ? QStringLiteral("png") : info.suffix()));
    return paths;
}

int TForm3::savePicture(const QString& path) {
    int pieceUnits = 0;
    qreal scale = 1;
    const QStringList paths = picturePaths(path, &pieceUnits, &scale);
    const QRect area = drawingArea();
    for (int n = 0; n < paths.size(); ++n) {
        const QRect piece(0, n * pieceUnits, area.width(), std::min(pieceUnits, area.height() - n * pieceUnits));
        QImage image((piece.size() * scale).expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        if (image.isNull()) return 0;
        image.fill(Qt::white);
        QPainter p(&image);
        p.scale(scale, scale);
        p.translate(0, -piece.top());
        paintDrawing(p, piece);
        p.end();
        if (!image.save(paths[n], "PNG")) return 0;
    }
    return int(paths.size());
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
    switch (event->key()) {
    case Qt::Key_PageUp: return vbar_->triggerAction(QAbstractSlider::SliderPageStepSub);
    case Qt::Key_PageDown: return vbar_->triggerAction(QAbstractSlider::SliderPageStepAdd);
    case Qt::Key_Up: return vbar_->triggerAction(QAbstractSlider::SliderSingleStepSub);
    case Qt::Key_Down: return vbar_->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    case Qt::Key_Home: return vbar_->setValue(0);
    case Qt::Key_End: return vbar_->setValue(vbar_->maximum());
    default: break;
    }
    QWidget::keyPressEvent(event);
}

void TForm3::wheelEvent(QWheelEvent* event) {
    int direction = 0;
    if (zoom::fromWheel(*event, direction)) return zoomStep(direction);
    // Three lines a notch, as text views do.
    if (vbar_->isVisible() && event->angleDelta().y() != 0) {
        vbar_->setValue(vbar_->value() - event->angleDelta().y() * 3 * vbar_->singleStep() / 120);
        return event->accept();
    }
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
        // The file dialog asked about the first name only: the pictures after it replace no
        // file of the learner's without asking.
        QStringList existing;
        for (const QString& other : picturePaths(path).mid(1))
            if (QFileInfo::exists(other)) existing << QFileInfo(other).fileName();
        if (!existing.isEmpty() &&
            QMessageBox::question(this, QApplication::applicationName(),
                                  QStringLiteral("L'écran est trop long pour une seule image. Les fichiers %1 "
                                                 "existent déjà. Voulez-vous les remplacer ?")
                                      .arg(existing.size() > 3 ? existing.mid(0, 3).join(QStringLiteral(", ")) +
                                                                     QStringLiteral("...")
                                                               : existing.join(QStringLiteral(", "))),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        const int written = savePicture(path);
        if (written == 0)
            showErrorBox(this, QStringLiteral("Impossible d'enregistrer l'image %1").arg(path));
        else if (written > 1)
            QMessageBox::information(this, QApplication::applicationName(),
                                     QStringLiteral("L'écran est trop long pour une seule image : "
                                                    "%1 images enregistrées, %2 et les suivantes.")
                                         .arg(written)
                                         .arg(QFileInfo(path).fileName()));
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
