#pragma once

// A worker thread driven by posted messages, handled one at a time in the order they were posted:
// the sound recorder and writer talk to each other and to the program only this way, so none of
// them ever waits for another. An idle handler, when given, runs whenever no message has come for
// its period.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

namespace svu {

template <class Message>
class MessageThread {
public:
    using Handler = std::function<void(Message&)>;

    /// Starts the thread. The handlers run on it; they must stay valid until the destructor ends.
    explicit MessageThread(Handler handler, std::chrono::milliseconds idlePeriod = std::chrono::milliseconds(0),
                           std::function<void()> onIdle = {})
        : handler_(std::move(handler)), idlePeriod_(idlePeriod), onIdle_(std::move(onIdle)) {
        thread_ = std::thread([this] { Run(); });
    }

    /// Handles the messages already posted, then ends the thread.
    ~MessageThread() {
        {
            std::lock_guard guard(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    MessageThread(const MessageThread&) = delete;
    MessageThread& operator=(const MessageThread&) = delete;

    /// Queues a message; false (and the message dropped) when `limit` messages already wait.
    bool Post(Message message, std::size_t limit = std::numeric_limits<std::size_t>::max()) {
        {
            std::lock_guard guard(mutex_);
            if (queue_.size() >= limit) {
                return false;
            }
            queue_.push_back(std::move(message));
            ++posted_;
        }
        wake_.notify_all();
        return true;
    }

    /// Waits until every message posted before the call has been handled.
    void Sync() {
        std::unique_lock lock(mutex_);
        const uint64_t target = posted_;
        done_.wait(lock, [&] { return handled_ >= target; });
    }

    bool OnThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (queue_.empty()) {
                if (quit_) {
                    return;
                }
                if (onIdle_ && idlePeriod_.count() > 0) {
                    if (!wake_.wait_for(lock, idlePeriod_, [this] { return quit_ || !queue_.empty(); })) {
                        lock.unlock();
                        onIdle_();
                        lock.lock();
                    }
                } else {
                    wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
                }
                continue;
            }
            Message message = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            handler_(message);
            lock.lock();
            ++handled_;
            done_.notify_all();
        }
    }

    Handler handler_;
    std::chrono::milliseconds idlePeriod_;
    std::function<void()> onIdle_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Message> queue_;
    uint64_t posted_ = 0;
    uint64_t handled_ = 0;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace svu
