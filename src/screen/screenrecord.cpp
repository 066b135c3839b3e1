#include "screenrecord.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace zef {

QRect ScreenRecord::add(int x, int y, int width, const QString& text) {
    if (x < 0 || y < 0 || x >= kMaxCoordinate || y >= kMaxRowCoordinate) return {};
    bottom_ = std::max(bottom_, y + lineHeight_ + 2);
    width = std::max(width, 0);
    // The opaque background hides the earlier texts of the same row that it spans whole;
    // a program that writes again and again at one place (a counter, a clock) then keeps
    // one text there instead of a growing list.
    auto& row = rows_[y];
    std::erase_if(row, [&](std::size_t i) {
        Entry& e = entries_[i];
        if (e.text.x >= x && e.text.x + e.text.width <= x + width) {
            e.live = false;
            --live_;
            return true;
        }
        return false;
    });
    row.push_back(entries_.size());
    entries_.push_back({{x, y, width, text}, true});
    ++live_;
    if (live_ > kMaxTexts) {
        for (Entry& e : entries_) {
            if (live_ <= kMaxTexts) break;
            if (e.live) {
                e.live = false;
                --live_;
            }
        }
    }
    if (entries_.size() > 2 * live_ + 1024) compact();
    return QRect(x, y, width + 1, lineHeight_ + 2);
}

void ScreenRecord::compact() {
    std::vector<Entry> kept;
    kept.reserve(live_);
    rows_.clear();
    for (Entry& e : entries_) {
        if (!e.live) continue;
        rows_[e.text.y].push_back(kept.size());
        kept.push_back(std::move(e));
    }
    entries_ = std::move(kept);
}

void ScreenRecord::clear(const QSize& outline) {
    entries_.clear();
    rows_.clear();
    live_ = 0;
    outline_ = outline;
    bottom_ = outline.height();
}

std::vector<const ScreenText*> ScreenRecord::texts() const {
    std::vector<const ScreenText*> out;
    out.reserve(live_);
    for (const Entry& e : entries_)
        if (e.live) out.push_back(&e.text);
    return out;
}

QRect ScreenRecord::extent() const {
    QRect r(QPoint(0, 0), outline_);
    for (const Entry& e : entries_)
        if (e.live) r |= QRect(e.text.x, e.text.y, e.text.width + 1, lineHeight_ + 2);
    return r;
}

QString ScreenRecord::plainText() const {
    std::vector<const ScreenText*> all = texts();
    // Rows top to bottom, texts left to right; equal places keep their drawing order.
    std::stable_sort(all.begin(), all.end(), [](const ScreenText* a, const ScreenText* b) {
        return a->y != b->y ? a->y < b->y : a->x < b->x;
    });
    QStringList lines;
    int previousY = 0;
    for (std::size_t i = 0; i < all.size();) {
        const int y = all[i]->y;
        const int gapRows = static_cast<int>(std::lround(double(y - previousY) / lineHeight_));
        for (int n = lines.isEmpty() ? gapRows : gapRows - 1; n > 0; --n) lines << QString();
        QString row;
        int end = 0;
        for (; i < all.size() && all[i]->y == y; ++i) {
            const ScreenText& t = *all[i];
            if (t.x > end) row += QString(static_cast<int>(std::lround((t.x - end) / 8.0)), QLatin1Char(' '));
            row += t.text;
            end = std::max(end, t.x + t.width);
        }
        lines << row;
        previousY = y;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace zef
