#include "tools/aehost/row_iteration.h"

namespace aehost {

int worker_count(int64_t rows, int threads)
{
    if (rows <= 0) return 1;
    int count = threads < 1 ? 1 : threads;
    return rows < count ? (int)rows : count;
}

WorkerPool::WorkerPool(int threads)
{
    for (int i = 1; i < threads; ++i) workers_.emplace_back(&WorkerPool::work, this);
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::run(int count, const std::function<void()>& task)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        task_ = &task;
        const int extra = (count < size() ? count : size()) - 1;
        to_start_ = extra > 0 ? extra : 0;
    }
    wake_.notify_all();
    task();
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return to_start_ == 0 && running_ == 0; });
    task_ = nullptr;
}

void WorkerPool::work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || to_start_ > 0; });
        if (stop_) return;
        --to_start_;
        ++running_;
        const std::function<void()>* task = task_;
        lock.unlock();
        (*task)();
        lock.lock();
        if (--running_ == 0 && to_start_ == 0) done_.notify_all();
    }
}

}  // namespace aehost
