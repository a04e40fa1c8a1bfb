#include "app/CVNFileThread.h"

#include "app/CVNInfo.h"
#include "app/FileListModel.h"
#include "app/frmCVNMain.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

// The wait between attempts doubles with each failure in a row, up to this many times.
constexpr int MaxRetryDoublings = 6;

} // namespace

TCVNFileThread::TCVNFileThread(TCVNMainForm* window, TComputeStep compute)
    : QObject(QCoreApplication::instance()), FWindow(window), FCompute(std::move(compute)) {}

TCVNFileThread::~TCVNFileThread() {
    Terminate();
    FAbandon = true;
    if (FThread.joinable())
        FThread.join();
}

void TCVNFileThread::Start() {
    FThread = std::thread([this] { Execute(); });
}

void TCVNFileThread::Terminate() {
    {
        const std::lock_guard lock(FLock);
        FTerminated = true;
    }
    FWake.notify_all();
}

bool TCVNFileThread::Terminated() const {
    return FTerminated;
}

void TCVNFileThread::Detach() {
    CurrentItem = QPersistentModelIndex();
    FAbandon = true;
}

void TCVNFileThread::Execute() {
    while (!Terminated()) {
        try {
            bool picked = false;
            Synchronize([&] { picked = PickNext(); });
            if (picked)
                HashCurrent();
            else
                IdleWait();
        } catch (...) {
            // A failed pass ends quietly; the next one starts afresh.
        }
    }
    // Released on the window thread, which joins this thread as it ends.
    deleteLater();
}

bool TCVNFileThread::PickNext() {
    CurrentItem = QPersistentModelIndex();
    TFileListModel* list = FWindow->FileListModel;
    const int row = list->NextUnfinished(TFileListModel::TClock::now());
    if (row < 0)
        return false;
    CurrentItem = list->index(row, 0);
    return true;
}

void TCVNFileThread::HashCurrent() {
    bool started = false;
    QString fileName;
    int index = -1;
    Synchronize([&] {
        if (!CurrentItem.isValid())
            return;
        TCVNInfo& info = CurrentInfo();
        FAbandon = false;
        info.Status = TCVNInfo::StatusCalculating;
        fileName = info.FileName;
        index = info.FirstMissing();
        started = true;
        ShowStatus();
    });
    if (!started)
        return;

    std::string digest;
    if (index >= 0) {
        try {
            digest = FCompute(AlgorithmOfIndex(index),
                              std::filesystem::path(fileName.toStdU16String()), &FAbandon);
        } catch (...) {
            // Unreadable for now: the rows below go first, this one is tried again later.
            Synchronize([&] {
                if (!CurrentItem.isValid())
                    return;
                TCVNInfo& info = CurrentInfo();
                info.Status = TCVNInfo::StatusFailed;
                info.RetryAt =
                    TFileListModel::TClock::now() +
                    FWindow->FailedRetryDelay * (1 << std::min(info.Failures, MaxRetryDoublings));
                ++info.Failures;
                ShowStatus();
            });
            return;
        }
    }

    Synchronize([&] {
        // A row removed meanwhile gets nothing.
        if (!CurrentItem.isValid())
            return;
        TCVNInfo& info = CurrentInfo();
        if (index >= 0)
            info.Digest(index) = QString::fromStdString(digest);
        info.Failures = 0;
        info.Status = TCVNInfo::StatusWaiting;
        RefreshCurrentStatus();
        ShowStatus();
    });
}

void TCVNFileThread::ShowStatus() {
    if (!CurrentItem.isValid())
        return;
    const int row = CurrentItem.row();
    FWindow->FileListModel->StatusChanged(row);
    if (row == FWindow->FirstSelectedRow())
        FWindow->FileListViewSelectItem(nullptr, row, true);
}

void TCVNFileThread::RefreshCurrentStatus() {
    if (CurrentItem.isValid())
        RefreshInfoStatus(CurrentInfo());
}

TCVNInfo& TCVNFileThread::CurrentInfo() const {
    return *FWindow->FileListModel->Info(CurrentItem.row());
}

void TCVNFileThread::Synchronize(const std::function<void()>& step) {
    if (Terminated())
        return;
    {
        const std::lock_guard lock(FLock);
        FPendingStep = &step;
        FStepDone = false;
        FStepError = nullptr;
    }
    // Queued on this object, which lives on the window thread; a call still queued when the
    // object goes is dropped with it. Only one step is pending at a time: the worker waits for
    // each, unless it is stopping, and then it asks for no more.
    QMetaObject::invokeMethod(this, "RunPendingStep", Qt::QueuedConnection);
    std::unique_lock lock(FLock);
    FWake.wait(lock, [this] { return FStepDone || Terminated(); });
    FPendingStep = nullptr;
    if (FStepDone && FStepError)
        std::rethrow_exception(std::exchange(FStepError, nullptr));
}

void TCVNFileThread::RunPendingStep() {
    const std::function<void()>* step = nullptr;
    {
        const std::lock_guard lock(FLock);
        step = FPendingStep;
    }
    // After the stop request the window may be gone, and the worker no longer waits.
    if (step == nullptr || Terminated())
        return;
    std::exception_ptr error;
    try {
        (*step)();
    } catch (...) {
        error = std::current_exception();
    }
    {
        const std::lock_guard lock(FLock);
        FStepError = error;
        FStepDone = true;
    }
    FWake.notify_all();
}

void TCVNFileThread::IdleWait() {
    using namespace std::chrono_literals;
    for (int i = 0; i < 10; ++i) {
        std::unique_lock lock(FLock);
        if (FWake.wait_for(lock, 50ms, [this] { return Terminated(); }))
            return;
    }
}
