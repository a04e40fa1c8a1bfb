// The file list at scale: listing a drop of many paths, choosing another algorithm, and the
// worker's cost per pass at the end of a long list.
#include "app/CVNInfo.h"
#include "app/FileListModel.h"
#include "app/frmCVNMain.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QTreeView>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

QList<QUrl> ManyUrls(int count) {
    QList<QUrl> urls;
    urls.reserve(count);
    for (int i = 0; i < count; ++i)
        urls << QUrl::fromLocalFile(
            QStringLiteral("/srv/archive/2024/batch-%1/file-%2.dat").arg(i / 1000).arg(i));
    return urls;
}

void Drop(TCVNMainForm& form, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(8, 8), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QDropEvent drop(QPoint(8, 8), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
}

TFileListModel* List(const TCVNMainForm& form) {
    return static_cast<TFileListModel*>(form.FileListView->model());
}

// Every digest at once, so that a pass costs only the list work and the hand-overs.
std::string InstantDigest(TAlgorithm, const std::filesystem::path&, const std::atomic<bool>*) {
    return "D41D8CD98F00B204E9800998ECF8427E";
}

// A shown window with nothing to hash yet.
std::unique_ptr<TCVNMainForm> NewForm(TComputeStep compute) {
    auto form = std::make_unique<TCVNMainForm>();
    form->ComputeStep = std::move(compute);
    form->show();
    QCoreApplication::processEvents();
    return form;
}

// From the drop until the view has laid out and painted the rows.
void BM_ListDroppedPaths(benchmark::State& state) {
    const QList<QUrl> urls = ManyUrls(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto form = NewForm(InstantDigest);
        state.ResumeTiming();
        Drop(*form, urls);
        QCoreApplication::processEvents();
        state.PauseTiming();
        benchmark::DoNotOptimize(List(*form)->Count());
        form.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListDroppedPaths)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One pass per row, from the first row to the last: a pass at the end of a long list costs as
// much as one at its top.
void BM_WorkerPasses(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const QList<QUrl> urls = ManyUrls(count);
    for (auto _ : state) {
        state.PauseTiming();
        auto form = NewForm(InstantDigest);
        state.ResumeTiming();
        Drop(*form, urls);
        const TCVNInfo& last = *List(*form)->Info(count - 1);
        while (last.Status != TCVNInfo::StatusDone)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["us_per_pass"] = benchmark::Counter(
        static_cast<double>(state.iterations() * count),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_WorkerPasses)
    ->Arg(1000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Another algorithm for every listed file, all of them already done with the first.
void BM_ChooseAlgorithm(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    auto form = NewForm(InstantDigest);
    Drop(*form, ManyUrls(count));
    const TCVNInfo& last = *List(*form)->Info(count - 1);
    while (last.Status != TCVNInfo::StatusDone)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    auto* md5 = form->findChild<QRadioButton*>(QStringLiteral("AlgorithmGroupItem4"));
    auto* sha1 = form->findChild<QRadioButton*>(QStringLiteral("AlgorithmGroupItem1"));
    for (auto _ : state) {
        sha1->click();
        state.PauseTiming();
        md5->click();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ChooseAlgorithm)->Arg(100000)->Unit(benchmark::kMillisecond);

// The worker's look for the next row once every row above the last is done.
void BM_PickNextAtTheEnd(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TFileListModel list([](const TCVNInfo&) { return QString(); }, nullptr);
    std::vector<TCVNInfo*> records;
    for (int i = 0; i < count; ++i) {
        auto* info = new TCVNInfo;
        info->FileName = QStringLiteral("/srv/file-%1").arg(i);
        info->Status = i + 1 < count ? TCVNInfo::StatusDone : TCVNInfo::StatusWaiting;
        list.Claim(info->FileName);
        records.push_back(info);
    }
    list.Append(records);
    const auto now = TFileListModel::TClock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(list.NextUnfinished(now));
    for (TCVNInfo* info : records)
        delete info;
}
BENCHMARK(BM_PickNextAtTheEnd)->Arg(1000)->Arg(100000);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
