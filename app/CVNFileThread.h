#pragma once

#include "hash/FileDigest.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TCVNMainForm;
struct TCVNInfo;

// The digest of a whole file as upper-case hexadecimal; raises on any failure and once *abandon
// becomes true. DigestOfFile, the step that corvanth-sum uses, unless a test puts in its own.
using TComputeStep =
    std::function<std::string(TAlgorithm, const std::filesystem::path&, const std::atomic<bool>*)>;

// The File page's one background worker: takes the topmost unfinished row, computes one missing
// digest of it on its own thread, stores it, and starts again. It touches the list and the
// records only in steps that run on the window thread while it waits for them. The object lives
// on the window thread and releases itself there once its loop has ended; the application
// releases, and so joins, any that are left when it ends.
class TCVNFileThread : public QObject {
    Q_OBJECT

public:
    TCVNFileThread(TCVNMainForm* window, TComputeStep compute);
    // Joins the thread; the stop request and the abandoned digest make that quick.
    ~TCVNFileThread() override;

    void Start();
    void Terminate();
    bool Terminated() const;

    // Window thread only: the row being worked on, or none.
    QPersistentModelIndex CurrentItem;
    // Sets CurrentItem to none and abandons the digest in progress; nothing is stored for it.
    void Detach();

private:
    void Execute();
    bool PickNext();
    void HashCurrent();
    void ShowStatus();
    void RefreshCurrentStatus();
    TCVNInfo& CurrentInfo() const;
    // Runs the step on the window thread and waits for it; once stopping, the step is skipped.
    void Synchronize(const std::function<void()>& step);
    // The window thread's side of Synchronize.
    Q_INVOKABLE void RunPendingStep();
    void IdleWait();

    TCVNMainForm* FWindow;
    TComputeStep FCompute;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FAbandon{false};
    // FLock guards the step handed to the window thread and its outcome.
    std::mutex FLock;
    std::condition_variable FWake;
    const std::function<void()>* FPendingStep = nullptr;
    bool FStepDone = false;
    std::exception_ptr FStepError;
    std::thread FThread;
};
