// Copy-and-edit and JSON round trip of a page with one shot and 500 marks.
#include "document/History.h"
#include "document/MarkupJson.h"

#include <benchmark/benchmark.h>

namespace {

// A busy page: 100 arrows with comments, 100 free texts, 100 boxes, 100 redactions.
Markup busyPage()
{
    Markup m = Markup::single(QRectF(0, 0, 2560, 1440), QSizeF(2560, 1440), 1.5);
    for (int i = 0; i < 100; ++i) {
        const double x = i * 20, y = i * 11;
        Item arrow = Item::arrowFrom({x, y}, {x + 200, y + 90}, i % 6, i % 4);
        Item note = Item::noteAt({x, y}, TextSide::left, 240, "Helvetica-Bold", i % 6, i % 4, arrow.id);
        note.string = QStringLiteral("Comment number %1 about this spot").arg(i);
        Item free = Item::noteAt({x + 5, y + 300}, TextSide::right, 300, "Helvetica", 2, 2);
        free.string = QStringLiteral("Free text %1").arg(i);
        m.items << arrow << note << free
                << Item::withRect(ItemKind::box, QRectF(x, y + 500, 120, 60), 3, 1)
                << Item::withRect(ItemKind::redaction, QRectF(x, y + 700, 80, 20), 4, 2);
    }
    return m;
}

// What the canvas does on every edit: copy the live document, change it, record both states.
template<typename Edit>
void copyAndEdit(benchmark::State &state, Edit edit)
{
    Markup live = busyPage();
    History<Markup> history;
    int step = 0;
    for (auto _ : state) {
        const Markup before = live;
        edit(live, step++);
        history.record(before, live);
        benchmark::DoNotOptimize(live);
        if (history.past.size() > 1000)
            history.past.clear();
    }
}

void BM_CopyAndRestyleOneItem(benchmark::State &state)
{
    copyAndEdit(state, [](Markup &m, int step) {
        m.updateItems({m.items.at(250).id}, [&](Item &it) { it.color = step % 6; });
    });
}
BENCHMARK(BM_CopyAndRestyleOneItem)->Unit(benchmark::kMicrosecond);

void BM_CopyAndMoveOneArrow(benchmark::State &state)
{
    copyAndEdit(state, [](Markup &m, int step) {
        m.moveItems({m.items.at(100).id}, step % 2 ? -1 : 1, 0);
    });
}
BENCHMARK(BM_CopyAndMoveOneArrow)->Unit(benchmark::kMicrosecond);

void BM_JsonEncode(benchmark::State &state)
{
    const Markup page = busyPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(MarkupJson::encode(page));
}
BENCHMARK(BM_JsonEncode)->Unit(benchmark::kMicrosecond);

void BM_JsonDecode(benchmark::State &state)
{
    const QByteArray json = *MarkupJson::encode(busyPage());
    state.counters["bytes"] = double(json.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(MarkupJson::decode(json));
}
BENCHMARK(BM_JsonDecode)->Unit(benchmark::kMicrosecond);

void BM_JsonRoundTrip(benchmark::State &state)
{
    const Markup page = busyPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(MarkupJson::decode(*MarkupJson::encode(page)));
}
BENCHMARK(BM_JsonRoundTrip)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
