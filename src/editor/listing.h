// The printed listing of a program: a header on every page (the file's name, the date,
// "page n / m"), then the lines in order, numbered when the editor shows line numbers.
// The layout is computed first, as texts at positions on pages, so that what will be
// printed can be checked without a printer; printing only draws it.
#pragma once

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

class QFontMetricsF;
class QPagedPaintDevice;

namespace zef {

struct Listing {
    QStringList lines;
    QString name;       // the document's file name, as its caption shows it
    QString date;       // already in the regional format
    bool lineNumbers = false;
    QFont font;         // the editor's font; printed at a size fit for paper
};

struct ListingText {
    QPointF baseline; // left end of the text's baseline, in device pixels
    QString text;
    bool faint = false; // line numbers, lighter than the program
};

struct ListingPage {
    std::vector<ListingText> texts;
    qreal ruleY = 0; // the line under the header
};

// The listing's pages for a page of `page` device pixels, with the given print font.
std::vector<ListingPage> layoutListing(const Listing& listing, const QFontMetricsF& metrics, QSizeF page);

// The font a listing is printed in: the editor's family at 11 points.
QFont listingFont(const QFont& editorFont);

// Prints the listing on a printer (or a PDF writer), one page after the other. False when
// the device could not be painted on or refused a new page.
bool printListing(QPagedPaintDevice& device, const Listing& listing);

} // namespace zef
