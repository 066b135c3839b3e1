#include "helpviewer.h"

#include <QEvent>
#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

// The resources live in a static library: nothing would otherwise pull their object in.
static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace {

constexpr int TargetRole = Qt::UserRole;

// The pages' look, on the palette's paper: every box that has a paper of its own gives
// its text a colour of its own too, and a dark palette has its own colours, so that a
// text never stands dark on dark or light on light.
const char* const lightPageStyle = R"(
body { font-size: 11pt; }
h1 { color: #1a4d80; font-size: 17pt; }
h2 { color: #1a4d80; font-size: 13pt; margin-top: 14px; }
h3 { font-size: 11pt; margin-top: 10px; }
pre { background-color: #f2f5f9; color: #101010; font-family: monospace; margin-left: 12px; }
pre.sortie { background-color: #ffffff; color: #205020; }
pre.message { background-color: #fff4e0; color: #803000; }
code { font-family: monospace; color: #00007f; }
td { padding: 2px 6px; }
th { padding: 2px 6px; background-color: #e4eaf2; color: #101010; text-align: left; }
p.voir { color: #505050; }
.change { color: #c00000; }
)";

const char* const darkPageStyle = R"(
body { font-size: 11pt; }
h1 { color: #8cbcf0; font-size: 17pt; }
h2 { color: #8cbcf0; font-size: 13pt; margin-top: 14px; }
h3 { font-size: 11pt; margin-top: 10px; }
pre { background-color: #2a313b; color: #ececec; font-family: monospace; margin-left: 12px; }
pre.sortie { background-color: #1c261c; color: #a6e0a6; }
pre.message { background-color: #3a2b14; color: #ffc27a; }
code { font-family: monospace; color: #a9cdff; }
td { padding: 2px 6px; }
th { padding: 2px 6px; background-color: #34404e; color: #ececec; text-align: left; }
p.voir { color: #b0b0b0; }
.change { color: #ff7b7b; }
)";

std::string utf8(const QString& s) {
    return s.toStdString();
}

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

QString THelpViewer::pageStyle(const QPalette& palette) {
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    return QString::fromLatin1(dark ? darkPageStyle : lightPageStyle);
}

void THelpViewer::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::PaletteChange || !browser_) return;
    // The desktop's palette changed: the page is laid out again in the other colours.
    const QString style = pageStyle(browser_->palette());
    if (browser_->document()->defaultStyleSheet() == style) return;
    browser_->document()->setDefaultStyleSheet(style);
    if (!browser_->source().isEmpty()) browser_->reload();
}

QUrl THelpViewer::targetUrl(const QString& target) {
    return QUrl(QStringLiteral("qrc:/help/")).resolved(QUrl(target));
}

QByteArray THelpViewer::helpFile(const QString& name) {
    initHelpResources();
    QFile f(QStringLiteral(":/help/") + name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

THelpViewer::THelpViewer(QWidget* parent) : QMainWindow(parent) {
    initHelpResources();
    setWindowTitle(QStringLiteral("Aide de Zef Pascal"));
    resize(960, 640);

    browser_ = new QTextBrowser;
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDefaultStyleSheet(pageStyle(browser_->palette()));
    connect(browser_, &QTextBrowser::sourceChanged, this, &THelpViewer::followPage);

    // Table of contents.
    contents_ = new QTreeWidget;
    contents_->setHeaderHidden(true);
    contents_->setColumnCount(1);
    connect(contents_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { openTarget(item->data(0, TargetRole).toString()); });
    connect(contents_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { openTarget(item->data(0, TargetRole).toString()); });
    buildContents();

    // Keyword search.
    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    auto* prompt = new QLabel(QStringLiteral("Tapez les premières lettres du mot cherché :"));
    prompt->setWordWrap(true);
    searchField_ = new QLineEdit;
    searchField_->setClearButtonEnabled(true);
    prompt->setBuddy(searchField_);
    matches_ = new QListWidget;
    auto* show = new QPushButton(QStringLiteral("&Afficher"));
    searchLayout->addWidget(prompt);
    searchLayout->addWidget(searchField_);
    searchLayout->addWidget(matches_);
    searchLayout->addWidget(show);
    connect(searchField_, &QLineEdit::textChanged, this, &THelpViewer::updateMatches);
    connect(searchField_, &QLineEdit::returnPressed, this, [this] { openMatch(matches_->currentItem()); });
    connect(matches_, &QListWidget::itemActivated, this, &THelpViewer::openMatch);
    connect(matches_, &QListWidget::itemClicked, this, &THelpViewer::openMatch);
    connect(show, &QPushButton::clicked, this, [this] { openMatch(matches_->currentItem()); });

    std::vector<std::string> errors;
    index_.load(helpFile(QStringLiteral("motscles.txt")).toStdString(), &errors);
    updateMatches();

    tabs_ = new QTabWidget;
    tabs_->addTab(contents_, QStringLiteral("Sommaire"));
    tabs_->addTab(searchPage, QStringLiteral("Rechercher"));

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({330, 630});
    setCentralWidget(splitter);

    // Tool bar: back, forward, contents.
    auto* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Précédent"));
    back->setShortcut(QKeySequence::Back);
    back->setToolTip(QStringLiteral("Revenir à la page précédente"));
    back->setEnabled(false);
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    auto* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Suivant"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setToolTip(QStringLiteral("Aller à la page suivante"));
    forward->setEnabled(false);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    auto* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Sommaire"));
    home->setToolTip(QStringLiteral("Afficher le sommaire de l'aide"));
    connect(home, &QAction::triggered, this, &THelpViewer::showContents);
    auto* search = bar->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                  QStringLiteral("Rechercher"));
    search->setToolTip(QStringLiteral("Rechercher un mot-clé"));
    connect(search, &QAction::triggered, this, [this] { showSearch(searchField_->text()); });
    auto* helpOnHelp = bar->addAction(style()->standardIcon(QStyle::SP_DialogHelpButton),
                                      QStringLiteral("Utiliser l'aide"));
    connect(helpOnHelp, &QAction::triggered, this, &THelpViewer::showHelpOnHelp);

    browser_->setSource(targetUrl(QStringLiteral("index.html")));
}

void THelpViewer::buildContents() {
    std::vector<std::string> errors;
    const auto topics = zef::parseHelpContents(helpFile(QStringLiteral("sommaire.txt")).toStdString(), &errors);
    std::vector<QTreeWidgetItem*> parents;
    for (const auto& t : topics) {
        parents.resize(static_cast<std::size_t>(std::min<int>(t.level, static_cast<int>(parents.size()))));
        auto* item = parents.empty() ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
        item->setText(0, qs(t.title));
        item->setData(0, TargetRole, qs(t.target));
        parents.push_back(item);
    }
    contents_->expandToDepth(0);
}

void THelpViewer::updateMatches() {
    matches_->clear();
    for (const auto& e : index_.search(utf8(searchField_->text()))) {
        QString label = qs(e.keyword);
        if (!e.title.empty() && index_.isShared(e)) label += QStringLiteral(" — ") + qs(e.title);
        auto* item = new QListWidgetItem(label, matches_);
        item->setData(TargetRole, qs(e.target));
        if (!e.title.empty()) item->setToolTip(qs(e.title));
    }
    if (matches_->count() > 0) matches_->setCurrentRow(0);
}

void THelpViewer::openMatch(QListWidgetItem* item) {
    if (item) openTarget(item->data(TargetRole).toString());
}

void THelpViewer::openTarget(const QString& target) {
    if (!target.isEmpty()) browser_->setSource(targetUrl(target));
}

// Keeps the table of contents on the page shown, whichever way it was reached.
void THelpViewer::followPage(const QUrl& url) {
    const QString page = url.adjusted(QUrl::RemoveFragment).fileName();
    const QString fragment = url.fragment();
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const auto [p, a] = zef::splitHelpTarget(utf8((*it)->data(0, TargetRole).toString()));
        if (qs(p) != page) continue;
        if (qs(a) == fragment) {
            best = *it;
            break;
        }
        if (!best && a.empty()) best = *it;
    }
    if (best) {
        const QSignalBlocker block(contents_);
        contents_->setCurrentItem(best);
        contents_->scrollToItem(best); // opens the topics above it
    }
}

void THelpViewer::present() {
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void THelpViewer::showContents() {
    tabs_->setCurrentWidget(contents_);
    openTarget(QStringLiteral("index.html"));
    present();
    contents_->setFocus();
}

void THelpViewer::showSearch(const QString& key) {
    tabs_->setCurrentIndex(1);
    searchField_->setText(key);
    updateMatches(); // also when the text did not change
    if (!key.trimmed().isEmpty()) openMatch(matches_->currentItem());
    present();
    searchField_->setFocus();
    searchField_->selectAll();
}

void THelpViewer::showHelpOnHelp() { showTopic(QStringLiteral("aide.html")); }

void THelpViewer::showTopic(const QString& target) {
    tabs_->setCurrentWidget(contents_);
    openTarget(target);
    present();
}
