#include "sheetvariant.h"

#include <algorithm>

namespace pobelo {

namespace {

// splitmix64: a small generator whose every output is fixed by its seed, unlike the standard
// library's distributions, which differ between implementations.
class Generator {
  public:
    explicit Generator(quint64 seed) : state_(seed) {}
    quint64 next() {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A whole number from 0 to bound - 1, every one as likely.
    quint64 below(quint64 bound) {
        const quint64 limit = ~quint64{0} - (~quint64{0} % bound);
        quint64 value = next();
        while (value >= limit) value = next();
        return value % bound;
    }

  private:
    quint64 state_;
};

// Fisher-Yates: the first count places of list end up a random pick in random order.
template <typename T>
void shuffleFront(QList<T>& list, qsizetype count, Generator& random) {
    for (qsizetype i = 0; i < count && i + 1 < list.size(); ++i) {
        const qsizetype j = i + qsizetype(random.below(quint64(list.size() - i)));
        std::swap(list[i], list[j]);
    }
}

}  // namespace

QString itemName(const ItemRef& ref) {
    return QStringLiteral("%1:%2").arg(ref.record + 1).arg(ref.item + 1);
}

std::optional<ItemRef> itemNamed(const QString& name) {
    const QStringList parts = name.split(QLatin1Char(':'));
    bool headingOk = false;
    bool itemOk = false;
    const int heading = parts.value(0).toInt(&headingOk);
    const int item = parts.value(1).toInt(&itemOk);
    if (parts.size() != 2 || !headingOk || !itemOk || heading < 1 ||
        heading > QuestionTable::kRecords || item < 1 || item > 10)
        return std::nullopt;
    return ItemRef{qint16(heading - 1), qint16(item - 1)};
}

bool itemHasText(const QuestionTable& table, const ItemRef& ref) {
    if (ref.isEmpty() || ref.item > 9 || !QuestionTable::inRange(ref.record, slot::kFontName))
        return false;
    for (const int s : {slot::beforeText(ref.item), slot::askedText(ref.item),
                        slot::afterText(ref.item), slot::answer(ref.item)}) {
        if (!table.at(ref.record, s).isEmpty()) return true;
    }
    return false;
}

PageItems headingItems(int record) {
    PageItems items;
    for (int i = 0; i < 10; ++i) items[i] = ItemRef{qint16(record), qint16(i)};
    return items;
}

PageItems pageItemsOf(const QList<ItemRef>& items) {
    PageItems page;
    for (qsizetype i = 0; i < items.size() && i < qsizetype(page.size()); ++i) page[i] = items[i];
    return page;
}

PageItems shuffledItems(const QuestionTable& table, const PageItems& items, quint32 seed,
                        int page) {
    if (seed == 0) return items;
    QList<ItemRef> list;
    QList<int> rows;  // each item's own row
    for (int row = 0; row < int(items.size()); ++row) {
        if (itemHasText(table, items[row])) {
            list.append(items[row]);
            rows.append(row);
        }
    }
    // Each page its own stream, so that the two pages of one seed differ.
    Generator random(quint64{seed} + (quint64(page) << 32));
    // An order in which no item keeps its own row; a little over one in three orders is one, so
    // a few tries find it. (Two items or more can always move.)
    const auto moved = [&rows](const QList<ItemRef>& order, const QList<ItemRef>& own) {
        for (qsizetype i = 0; i < order.size(); ++i) {
            const qsizetype was = own.indexOf(order[i]);
            if (rows[was] == i) return false;
        }
        return true;
    };
    const QList<ItemRef> own = list;
    for (int attempt = 0; attempt < 10000; ++attempt) {
        shuffleFront(list, list.size(), random);
        if (list.size() < 2 || moved(list, own)) break;
    }
    return pageItemsOf(list);
}

QList<ItemRef> drawItems(const QuestionTable& table, int first, int last, int count, quint32 seed) {
    QList<ItemRef> pool;
    first = std::max(first, 0);
    last = std::min(last, QuestionTable::kRecords - 1);
    for (int record = first; record <= last; ++record) {
        for (int i = 0; i < 10; ++i) {
            const ItemRef ref{qint16(record), qint16(i)};
            if (!table.at(record, slot::askedText(i)).isEmpty()) pool.append(ref);
        }
    }
    // A different stream from the reordering of a page with the same seed.
    Generator random(quint64{seed} ^ 0x5245564945570000ULL);
    // A page holds ten.
    const qsizetype n = std::clamp<qsizetype>(std::min(count, 10), 0, pool.size());
    shuffleFront(pool, n, random);
    pool.resize(n);
    std::sort(pool.begin(), pool.end());
    return pool;
}

QString headingsLabel(const QList<ItemRef>& items) {
    QList<int> headings;
    for (const ItemRef& ref : items) {
        if (!ref.isEmpty() && !headings.contains(ref.record + 1)) headings.append(ref.record + 1);
    }
    std::sort(headings.begin(), headings.end());
    if (headings.isEmpty()) return {};
    // Short enough to stay clear of the name field after the title.
    if (headings.size() == 1) return QString::number(headings.first());
    return QStringLiteral("%1〜%2").arg(headings.first()).arg(headings.last());
}

QString versionMark(quint32 seed) {
    if (seed == 0) return {};
    // The file's own order is version A; the small seeds a teacher types are B to Z.
    if (seed <= 25) return QStringLiteral("並べ替え ") + QLatin1Char(char('A' + seed));
    return QStringLiteral("並べ替え %1").arg(seed);
}

}  // namespace pobelo
