#include "TabTree.h"

namespace {

// A ring is named by its tabs; a broken tree could make one of thousands.
constexpr int kTabsNamed = 10;

QString ringOf(const QList<int> &tabs)
{
    QStringList numbers;
    for (int t : tabs.mid(0, kTabsNamed))
        numbers.append(QString::number(t + 1));
    if (tabs.size() > kTabsNamed)
        numbers.append(QStringLiteral("..."));
    return numbers.join(QStringLiteral(", "));
}

} // namespace

TabTree::TabTree(const QList<int> &parents)
{
    const int count = int(parents.size());
    QList<int> named(count, -1);
    for (int t = 0; t < count; ++t) {
        const int p = parents.at(t);
        if (p == 0)
            continue;
        if (p < 0 || p > count)
            faults.append(QStringLiteral("tab %1 names tab %2 as its parent, which does not exist; "
                                         "it is shown in the strip")
                              .arg(t + 1)
                              .arg(p));
        else
            named[t] = p - 1;
    }
    breakRings(named);
    parent = named;
    for (int t = 0; t < count; ++t) {
        if (parent.at(t) < 0)
            strip.append(t);
    }
}

// Each tab names at most one parent, so following parents from any tab either reaches the
// strip or runs into a ring. The tabs of a ring stand in the strip; the folders that lead
// into it then lie under a tab of the strip, as their parent says.
void TabTree::breakRings(QList<int> &named)
{
    enum Mark { Unseen, OnPath, Done };
    QList<Mark> marks(named.size(), Unseen);
    for (int start = 0; start < named.size(); ++start) {
        QList<int> path;
        int t = start;
        while (t >= 0 && marks.at(t) == Unseen) {
            marks[t] = OnPath;
            path.append(t);
            t = named.at(t);
        }
        if (t >= 0 && marks.at(t) == OnPath) {
            const QList<int> ring = path.mid(path.indexOf(t));
            faults.append(ring.size() == 1
                              ? QStringLiteral("tab %1 names itself as its parent; it is shown in the strip").arg(t + 1)
                              : QStringLiteral("tabs %1 name one another as parents in a ring; they are shown in the "
                                               "strip")
                                    .arg(ringOf(ring)));
            for (int r : ring)
                named[r] = -1;
        }
        for (int done : std::as_const(path))
            marks[done] = Done;
    }
}
