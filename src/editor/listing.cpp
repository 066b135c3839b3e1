#include "listing.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zef {

QFont listingFont(const QFont& editorFont) {
    QFont font = editorFont;
    font.setPointSize(11);
    return font;
}

std::vector<ListingPage> layoutListing(const Listing& listing, const QFontMetricsF& metrics, QSizeF page) {
    const qreal lineHeight = metrics.height();
    // The header's line, a rule half a line below it, and a free line before the program.
    const qreal ruleY = lineHeight * 1.5;
    const qreal bodyTop = lineHeight * 2.5;
    const int perPage = std::max(1, static_cast<int>(std::floor((page.height() - bodyTop) / lineHeight)));
    const auto count = static_cast<int>(listing.lines.size());
    const int pages = std::max(1, (count + perPage - 1) / perPage);

    // The numbers take the width of the largest one and a space, right-aligned.
    const QString widest = QString::number(std::max(count, 1));
    const qreal numberWidth = metrics.horizontalAdvance(widest);
    const qreal textLeft = listing.lineNumbers ? numberWidth + metrics.horizontalAdvance(QStringLiteral("  ")) : 0;

    std::vector<ListingPage> out(static_cast<std::size_t>(pages));
    for (int p = 0; p < pages; ++p) {
        ListingPage& sheet = out[static_cast<std::size_t>(p)];
        sheet.ruleY = ruleY;
        const qreal headerBaseline = metrics.ascent();
        const QString pageText = QStringLiteral("page %1 / %2").arg(p + 1).arg(pages);
        sheet.texts.push_back({{0, headerBaseline}, listing.name});
        sheet.texts.push_back(
            {{(page.width() - metrics.horizontalAdvance(listing.date)) / 2, headerBaseline}, listing.date});
        sheet.texts.push_back({{page.width() - metrics.horizontalAdvance(pageText), headerBaseline}, pageText});
        const int first = p * perPage;
        const int last = std::min(count, first + perPage);
        for (int i = first; i < last; ++i) {
            const qreal baseline = bodyTop + (i - first) * lineHeight + metrics.ascent();
            if (listing.lineNumbers) {
                const QString number = QString::number(i + 1);
                sheet.texts.push_back({{numberWidth - metrics.horizontalAdvance(number), baseline}, number, true});
            }
            sheet.texts.push_back({{textLeft, baseline}, listing.lines[i]});
        }
    }
    return out;
}

bool printListing(QPagedPaintDevice& device, const Listing& listing) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QFont font = listingFont(listing.font);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const auto pages = layoutListing(listing, metrics, QSizeF(device.width(), device.height()));
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage()) return false;
        painter.setPen(QPen(Qt::black, std::max(1.0, device.logicalDpiY() / 96.0)));
        painter.drawLine(QPointF(0, pages[p].ruleY), QPointF(device.width(), pages[p].ruleY));
        for (const ListingText& text : pages[p].texts) {
            painter.setPen(text.faint ? Qt::darkGray : Qt::black);
            painter.drawText(text.baseline, text.text);
        }
    }
    return painter.end();
}

} // namespace zef
