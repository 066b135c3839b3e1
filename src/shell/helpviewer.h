// The help window: the French help pages shipped with the program (help/*.html, built
// into the executable as Qt resources under qrc:/help/), with a table of contents, a
// keyword search, and back, forward and home buttons.
#pragma once

#include "helpindex.h"

#include <QMainWindow>
#include <QUrl>

class QEvent;
class QLineEdit;
class QPalette;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

class THelpViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget* parent = nullptr);

    // "&Index": the table of contents and the contents page.
    void showContents();
    // "&Rechercher": the keyword search, its field holding key and the list showing the
    // matching keywords (every keyword for an empty key); a key with matches also opens
    // the best one.
    void showSearch(const QString& key = {});
    // "&Utiliser l'aide": the page on using the help.
    void showHelpOnHelp();
    // F1 on a menu: "page.html" or "page.html#anchor", with the table of contents beside it.
    void showTopic(const QString& target);

    // Opens "page.html" or "page.html#anchor" of the help.
    void openTarget(const QString& target);

    // The pages' style sheet for a palette: its own colours on a dark one.
    static QString pageStyle(const QPalette& palette);

    // The address of a help page or "page.html#anchor" inside the resources.
    static QUrl targetUrl(const QString& target);
    // The text of a file of the help (UTF-8), empty if it does not exist.
    static QByteArray helpFile(const QString& name);

    QTextBrowser* browser() const { return browser_; }
    QTabWidget* sideTabs() const { return tabs_; }
    QTreeWidget* contentsTree() const { return contents_; }
    QLineEdit* searchField() const { return searchField_; }
    QListWidget* matchList() const { return matches_; }
    const zef::HelpIndex& index() const { return index_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildContents();
    void updateMatches();
    void openMatch(QListWidgetItem* item);
    void followPage(const QUrl& url);
    void present();

    zef::HelpIndex index_;
    QTextBrowser* browser_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTreeWidget* contents_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QListWidget* matches_ = nullptr;
};
