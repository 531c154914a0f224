// Reading a question file against decoding its bytes alone.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QStringDecoder>
#include <QStringList>
#include <memory>

#include "benchdata.h"
#include "questionfile.h"

using namespace pobelo;

namespace {

const QByteArray& fullFile() {
    static const QByteArray bytes = bench::questionFile(QuestionTable::kRecords);
    return bytes;
}

// Reads the 2001 records into the table and lists their headings, as the open command does.
void BM_ReadAndList2001Records(benchmark::State& state) {
    const QByteArray& bytes = fullFile();
    auto table = std::make_unique<QuestionTable>();
    for (auto _ : state) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QStringList headings;
        const LoadResult result =
            loadQuestionDevice(buffer, *table, [&](const QString& h) { headings.append(h); });
        if (result.status != LoadStatus::Complete || headings.size() != QuestionTable::kRecords)
            state.SkipWithError("the file did not load whole");
        benchmark::DoNotOptimize(headings);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadAndList2001Records)->Unit(benchmark::kMillisecond);

// The same into a table that has never been loaded, as the first open of a run does.
void BM_FirstReadAndList2001Records(benchmark::State& state) {
    const QByteArray& bytes = fullFile();
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<QuestionTable>();
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QStringList headings;
        state.ResumeTiming();
        const LoadResult result =
            loadQuestionDevice(buffer, *table, [&](const QString& h) { headings.append(h); });
        if (result.status != LoadStatus::Complete)
            state.SkipWithError("the file did not load whole");
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_FirstReadAndList2001Records)->Unit(benchmark::kMillisecond);

// The floor: the same bytes through the code page decoder and nothing else.
void BM_DecodeOnly2001Records(benchmark::State& state) {
    const QByteArray& bytes = fullFile();
    for (auto _ : state) {
        QStringDecoder decoder("windows-31j");
        QString text = decoder.decode(bytes);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeOnly2001Records)->Unit(benchmark::kMillisecond);

// The least a reader that keeps each field as its own string can do: decode the whole file at
// once, then copy every field (all quoted here) into its slot and list the headings.
void BM_DecodeAndCopyFields2001Records(benchmark::State& state) {
    const QByteArray& bytes = fullFile();
    auto table = std::make_unique<QuestionTable>();
    for (auto _ : state) {
        QStringDecoder decoder("windows-31j");
        const QString text = decoder.decode(bytes);
        QStringList headings;
        int record = 0;
        int field = 0;
        for (qsizetype open = text.indexOf(u'"'); open >= 0; open = text.indexOf(u'"', open)) {
            const qsizetype close = text.indexOf(u'"', open + 1);
            table->set(record, field, text.sliced(open + 1, close - open - 1));
            if (field == 0) headings.append(table->at(record, 0));
            if (++field == slot::kFieldsPerRecord) {
                field = 0;
                ++record;
            }
            open = close + 1;
        }
        if (headings.size() != QuestionTable::kRecords) state.SkipWithError("miscounted");
        benchmark::DoNotOptimize(headings);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeAndCopyFields2001Records)->Unit(benchmark::kMillisecond);

// One field without a comma or line end, of 1 to 32 MiB (the largest file read): the time grows
// with the size alone.
void BM_ReadOneLongField(benchmark::State& state) {
    const QByteArray piece =
        QStringEncoder("windows-31j").encode(QStringLiteral("区切りのない文 plain text "));
    const QByteArray bytes = piece.repeated(state.range(0) / piece.size());
    auto table = std::make_unique<QuestionTable>();
    for (auto _ : state) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const LoadResult result = loadQuestionDevice(buffer, *table, {});
        if (result.status != LoadStatus::Incomplete) state.SkipWithError("expected one field");
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.SetComplexityN(bytes.size());
}
BENCHMARK(BM_ReadOneLongField)
    ->RangeMultiplier(4)
    ->Range(1 << 20, 32 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
