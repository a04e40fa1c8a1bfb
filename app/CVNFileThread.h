#pragma once

#include "hash/FileDigest.h"

#include <QPersistentModelIndex>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

class TCVNMainForm;
struct TCVNInfo;

// The digest of a whole file as upper-case hexadecimal; raises on any failure and once *abandon
// becomes true. DigestOfFile, the step that corvanth-sum uses, unless a test puts in its own.
using TComputeStep =
    std::function<std::string(TAlgorithm, const std::filesystem::path&, const std::atomic<bool>*)>;

// The File page's one background worker: takes the topmost unfinished row, computes one missing
// digest of it on its own thread, stores it, and starts again. It touches the list and the
// records only in steps that run on the window thread while it waits for them.
class TCVNFileThread : public QThread {
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

protected:
    void run() override;

private:
    void Execute();
    bool PickNext();
    void HashCurrent();
    void ShowStatus();
    void RefreshCurrentStatus();
    TCVNInfo& CurrentInfo() const;
    // Runs the step on the window thread and waits for it; once stopping, the step is skipped.
    void Synchronize(const std::function<void()>& step);
    void IdleWait();

    TCVNMainForm* FWindow;
    TComputeStep FCompute;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FAbandon{false};
    std::mutex FLock;
    std::condition_variable FWake;
};
