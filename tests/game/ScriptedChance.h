#pragma once

#include <QList>
#include <QQueue>
#include <QTime>

#include "game/GameChance.h"

// Scripted randomness for the game: queued draws first; once they run out, draws that
// walk the board cell by cell ((i + 0.5) / 100 for i = 0..99, round and round), so any
// rejection sampling ends. The clock reads `time` (midnight: one stirring draw).
class ScriptedChance {
public:
    // A draw that names `cell` on a board of `cells` cells.
    static double valueFor(int cell, int cells) { return (cell - 0.5) / cells; }

    void queueValue(double v) { queue_.enqueue(v); }
    void queueCells(const QList<int>& cells, int cellCount) {
        for (int c : cells)
            queueValue(valueFor(c, cellCount));
    }
    // The stirring draw(s) at `time`, then a deal that lays out `faces` (indexed by cell,
    // 0 unused): picture 0's cells in cell order, then picture 1's, ...
    void queueDeal(const QList<int>& faces) {
        const int cells = int(faces.size()) - 1;
        for (int i = time.minute() * time.second() + 1; i > 0; --i)
            queueValue(0.999);
        for (int v = 0; v < cells / 4; ++v)
            for (int c = 1; c <= cells; ++c)
                if (faces[c] == v)
                    queueValue(valueFor(c, cells));
    }

    double draw() {
        ++drawn_;
        if (!queue_.isEmpty())
            return queue_.dequeue();
        const double v = (walk_ + 0.5) / 100;
        walk_ = (walk_ + 1) % 100;
        return v;
    }
    int drawn() const { return drawn_; }
    int pending() const { return int(queue_.size()); }

    GameChance chance() {
        return {[this] { return draw(); }, [this] { return time; }};
    }

    QTime time{0, 0, 0};

private:
    QQueue<double> queue_;
    int walk_ = 0;
    int drawn_ = 0;
};

// Board layouts, indexed by cell (0 unused).
// Picture (c - 1) / 4: each picture on four cells in a row of the cell order.
inline QList<int> blockLayout(int size) {
    QList<int> faces{-1};
    for (int c = 1; c <= size * size; ++c)
        faces << (c - 1) / 4;
    return faces;
}
// Picture (c - 1) mod N²/4: neighbours differ, partners lie N²/4 cells apart.
inline QList<int> stripeLayout(int size) {
    QList<int> faces{-1};
    for (int c = 1; c <= size * size; ++c)
        faces << (c - 1) % (size * size / 4);
    return faces;
}
